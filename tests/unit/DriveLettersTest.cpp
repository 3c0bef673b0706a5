#include <gtest/gtest.h>

#include "core/DriveLetters.h"
#include "tests/support/fakes/FakeFileSystem.h"

namespace kestrova {
namespace {

using testing::FakeFileSystem;

std::vector<std::string> Letters(const std::string& from, const std::string& to) {
    std::vector<std::string> letters;
    for (char c = from[0]; c <= to[0]; ++c) {
        letters.push_back(std::string{c, ':'});
    }
    return letters;
}

TEST(DriveLettersTest, OnlyLettersWithoutAVolumeAreFree) {
    FakeFileSystem fs;
    fs.AddDrive("C:");
    fs.AddDrive("D:", 5);  // CD-ROM
    DriveLetters table;
    LetterList combo;
    combo.items = {"stale"};
    combo.selected = 0;
    FillList(combo, table, fs);

    std::vector<std::string> expected = {"A:", "B:"};
    for (const std::string& letter : Letters("E", "Z")) {
        expected.push_back(letter);
    }
    EXPECT_EQ(combo.items, expected);
    EXPECT_FALSE(combo.selected.has_value());

    fs.AddDrive("A:", 2);  // removable drive without a medium: still a volume
    fs.AddDrive("F:", 0);  // type not determined
    FillList(combo, table, fs);
    EXPECT_EQ(combo.items.front(), "B:");
    EXPECT_EQ(combo.items[1], "E:");
    EXPECT_EQ(combo.items[2], "G:");
}

TEST(DriveLettersTest, EachCallerEndsTheRefreshItsOwnWay) {
    FakeFileSystem fs;
    fs.AddDrive("C:");
    fs.AddDrive("D:");
    DriveLetters table;
    for (LetterRefresh caller :
         {LetterRefresh::StartUp, LetterRefresh::RemoveDrive, LetterRefresh::RemoveAll}) {
        LetterList combo;
        RefreshLetterList(combo, table, fs, caller);
        EXPECT_EQ(combo.items.size(), 24u);
        EXPECT_EQ(combo.SelectedText(), "A:");
    }
    for (LetterRefresh caller : {LetterRefresh::MountAll, LetterRefresh::CreateDrive}) {
        LetterList combo;
        RefreshLetterList(combo, table, fs, caller);
        EXPECT_EQ(combo.items.size(), 23u);
        EXPECT_EQ(combo.items.front(), "B:");
        EXPECT_EQ(combo.SelectedText(), "B:");
    }
}

TEST(DriveLettersTest, MountedLettersAndTheFirstFreeOneAreMissingAfterMountAll) {
    FakeFileSystem fs;
    fs.AddDrive("C:");
    fs.AddDrive("E:");  // mounted virtual drives
    fs.AddDrive("F:");
    DriveLetters table;
    LetterList combo;
    RefreshLetterList(combo, table, fs, LetterRefresh::MountAll);
    std::vector<std::string> expected = {"B:", "D:"};
    for (const std::string& letter : Letters("G", "Z")) {
        expected.push_back(letter);
    }
    EXPECT_EQ(combo.items, expected);
}

TEST(DriveLettersTest, NoFreeLetterLeavesAnEmptyListWithoutSelection) {
    FakeFileSystem fs;
    for (const std::string& letter : Letters("A", "Z")) {
        fs.AddDrive(letter);
    }
    DriveLetters table;
    for (LetterRefresh caller : {LetterRefresh::StartUp, LetterRefresh::MountAll}) {
        LetterList combo;
        RefreshLetterList(combo, table, fs, caller);
        EXPECT_TRUE(combo.items.empty());
        EXPECT_FALSE(combo.selected.has_value());
        EXPECT_EQ(combo.SelectedText(), "");
    }
    // With one free letter, dropping it leaves nothing to select.
    fs.RemoveDrive("Q:");
    LetterList combo;
    RefreshLetterList(combo, table, fs, LetterRefresh::CreateDrive);
    EXPECT_TRUE(combo.items.empty());
    EXPECT_FALSE(combo.selected.has_value());
}

}  // namespace
}  // namespace kestrova
