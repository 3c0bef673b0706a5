#include <gtest/gtest.h>

#include <windows.h>

#include "core/DriveLetters.h"
#include "core/PathNames.h"
#include "platform/win32/Win32FileSystem.h"
#include "tests/support/e2e/TestProgram.h"
#include "tests/win32/WineTestFolder.h"

namespace kestrova {
namespace {

using e2e::ProgramFolder;
using e2e::RunToEnd;

// The double sits in a program folder as subst.exe; it logs every call.
class SubstDoubleTest : public ::testing::Test {
  protected:
    SubstDoubleTest() : program_("subst-double") {}
    DWORD Subst(const std::string& arguments) {
        return RunToEnd("\"" + program_.File("subst.exe") + "\" " + arguments);
    }
    void TearDown() override { Subst("E: /d"); }

    ProgramFolder program_;
    Win32FileSystem fs_;
};

TEST_F(SubstDoubleTest, MapsAFolderOntoADriveAndTakesItAway) {
    const std::string target = program_.MakeFolder("Mapped Folder");
    ASSERT_TRUE(e2e::WriteFileText(target + "\\inside.txt", "seen through E:"));
    ASSERT_EQ(fs_.DriveType("e:"), kDriveNoRootDir);

    ASSERT_EQ(Subst("E: \"" + target + "\""), 0u);
    EXPECT_EQ(GetDriveTypeA("e:\\"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_TRUE(DirExists(fs_, "E:"));
    EXPECT_EQ(e2e::ReadFileText("E:\\inside.txt"), "seen through E:");

    // The mapped letter is no longer offered; C: never is; an unused one is.
    DriveLetters letters;
    LetterList combo;
    FillList(combo, letters, fs_);
    const auto offered = [&](const std::string& letter) {
        return std::find(combo.items.begin(), combo.items.end(), letter) != combo.items.end();
    };
    EXPECT_FALSE(offered("E:"));
    EXPECT_FALSE(offered("C:"));
    EXPECT_TRUE(offered("Q:"));

    ASSERT_EQ(Subst("E: /d"), 0u);
    EXPECT_EQ(fs_.DriveType("e:"), kDriveNoRootDir);
    EXPECT_FALSE(DirExists(fs_, "E:"));

    const std::vector<std::string> log = program_.SubstLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "E: \"" + target + "\"");
    EXPECT_EQ(log[1], "E: /d");
}

TEST_F(SubstDoubleTest, FailsAsSubstDoes) {
    const std::string target = program_.MakeFolder("Target");
    EXPECT_NE(Subst("E:"), 0u);                              // too few arguments
    EXPECT_NE(Subst("E: " + target + " extra"), 0u);         // too many
    EXPECT_NE(Subst("E: " + program_.File("missing")), 0u);  // no such folder
    EXPECT_NE(Subst("E: /d"), 0u);                           // not mapped
    EXPECT_NE(Subst("C: " + target), 0u);                    // already a drive
    EXPECT_NE(Subst("C: /d"), 0u);                           // not a mapping of ours
    EXPECT_EQ(fs_.DriveType("e:"), kDriveNoRootDir);
    ASSERT_EQ(Subst("E: " + target), 0u);
    EXPECT_NE(Subst("E: " + target), 0u);  // letter already mapped
    EXPECT_EQ(program_.SubstLog().size(), 8u);
}

}  // namespace
}  // namespace kestrova
