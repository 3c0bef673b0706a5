#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/DriveLetters.h"
#include "core/PathNames.h"
#include "core/RemovalBatch.h"
#include "core/StoreEntry.h"
#include "core/StoreFile.h"
#include "tests/support/fakes/FakeFileSystem.h"

namespace kestrova {
namespace {

using Lines = std::vector<std::string>;
// A row as the window shows it: its long folder and whether its drive leads there.
using Shown = std::vector<std::pair<std::string, bool>>;
const std::string kStore = "C:\\Kestrova\\Shrt.dat";

Shown ShownRows(const DriveTable& table) {
    Shown rows;
    for (const DriveRow& row : table.Rows()) {
        rows.emplace_back(row.folder, row.mounted);
    }
    return rows;
}

class CoreTest : public ::testing::Test {
  protected:
    CoreTest() {
        fs.MapDrive("E:", "C:\\Program Files\\My Data");  // mounted
        fs.AddFolder("C:\\Kestrova");
        fs.AddFolder("C:\\Program Files\\My Data", "MYDATA~1");
        fs.AddFolder("C:\\Program Files", "PROGRA~1");
        fs.AddFolder("C:\\Work");
        fs.AddFolder("C:\\MY-DIR\\My-Folder", "MY-FOL~1");
        fs.AddFolder("C:\\Work, old", "WORKOL~1");
    }
    DriveTable Load(const std::string& contents) {
        fs.AddFile(kStore, contents);
        DriveTable table;
        EXPECT_EQ(LoadDriveTable(table, fs, kStore), ReadStatus::Ok);
        return table;
    }
    std::string SaveAndRead(const DriveTable& table) {
        EXPECT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::Saved);
        return fs.Contents(kStore);
    }
    testing::FakeFileSystem fs;
};

TEST_F(CoreTest, EntriesSplitAtTheFirstDashAndOnlyDrivesWithAbsoluteFoldersAreMappings) {
    const std::tuple<std::string, std::string, std::string, bool> cases[] = {
        {"E:-C:\\PROGRA~1", "E:", "C:\\PROGRA~1", true},
        {"F:-C:\\MY-DIR\\MY-FOL~1", "F:", "C:\\MY-DIR\\MY-FOL~1", true},  // inner "-" kept
        {"G:-\"\\\\server\\share dir\"", "G:", "\"\\\\server\\share dir\"", true},
        {"z:-C:\\", "z:", "C:\\", true},
        {"H:-\\\\server\\share", "H:", "\\\\server\\share", true},
        {"hello world", "hello world", "", false},
        {"ZZ:-C:\\X", "ZZ:", "C:\\X", false},
        {"H:-", "H:", "", false},
        {"H:-\\\\", "H:", "\\\\", false},
        {"K:-relative\\path", "K:", "relative\\path", false},
        {"L:-C:relative", "L:", "C:relative", false},
        {"M:-\"\\\\server", "M:", "\"\\\\server", false},
        {"1:-C:\\X", "1:", "C:\\X", false},
    };
    for (const auto& [line, letter, folder, mountable] : cases) {
        const SplitEntry split = SplitStoreEntry(line);
        const DriveRow row{split.letter, "", split.storedFolder, split.hasSeparator, false};
        EXPECT_EQ(std::tuple(split.letter, split.storedFolder, row.Mountable(), row.MountEntry()),
                  std::tuple(letter, folder, mountable, line));
    }
}

// Lines are read whole (no comma splitting), blank ones and a byte-order mark dropped; the save
// writes every line back as it was read, and the rows added since in their stored form.
TEST_F(CoreTest, TheStoreReadsLinesWholeAndWritesThemBackAsTheyWere) {
    EXPECT_EQ(StorePath("C:\\Program Files\\Kestrova"), "C:\\Program Files\\Kestrova\\Shrt.dat");
    EXPECT_EQ(StorePath("C:\\"), "C:\\Shrt.dat");
    DriveTable table = Load(
        "\xEF\xBB\xBF"
        "E:-C:\\PROGRA~1\\MYDATA~1\r\n\r\n  \r\nF:-C:\\MY-DIR\\MY-FOL~1\nG:-\"\\\\srv\\a,b\"\r"
        "H:-C:\\WORKOL~1\r\nh:-C:\\GONE~1\\DATA\r\nhello world\r\nL:-C:\r\n");
    const std::string saved =
        "E:-C:\\PROGRA~1\\MYDATA~1\r\nF:-C:\\MY-DIR\\MY-FOL~1\r\nG:-\"\\\\srv\\a,b\"\r\n"
        "H:-C:\\WORKOL~1\r\nh:-C:\\GONE~1\\DATA\r\nhello world\r\nL:-C:\r\n";
    EXPECT_EQ(ShownRows(table), (Shown{{"C:\\Program Files\\My Data", true},
                                       {"C:\\MY-DIR\\My-Folder", false},
                                       {"\\\\srv\\a,b", false},
                                       {"C:\\Work, old", false},
                                       {"", false},  // gone: no long form, the stored folder kept
                                       {"", false},
                                       {"C:", false}}));
    EXPECT_EQ(SaveAndRead(table), saved);

    table.Append({"M:", "C:\\Not There", "C:\\Not There", true, false});
    table.Append({"N:", "\\\\server\\share", "\"\\\\server\\share\"", true, false});
    EXPECT_EQ(SaveAndRead(table), saved + "M:-C:\\Not There\r\nN:-\"\\\\server\\share\"\r\n");
    EXPECT_FALSE(fs.Exists(kStore + ".tmp"));

    fs.AddFolder("C:\\M\xC3\xBCller");
    EXPECT_EQ(Load("G:-C:\\M\xFCller\r\n").Row(0).folder, "C:\\M\xC3\xBCller");  // Latin-1 here
    EXPECT_EQ(StoreText(fs, "E:-C:\\D\xC3\xA4ta"), "E:-C:\\D\xC3\xA4ta");        // UTF-8 stays

    // UTF-16 in either byte order; a lone surrogate and an odd last byte become U+FFFD.
    const std::u16string wide = u"E:-C:\\M\u00FCller\r\nF:-C:\\\U0001F4C1\r\n\xD800!";
    for (const bool bigEndian : {false, true}) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t unit : wide) {
            bytes += static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
            bytes += static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
        }
        EXPECT_EQ(StoreText(fs, bytes + "x"),
                  "E:-C:\\M\xC3\xBCller\r\nF:-C:\\\xF0\x9F\x93\x81\r\n\xEF\xBF\xBD!\xEF\xBF\xBD");
    }
}

// Rows on one folder and below another's: one read asks for each folder once, as lines alone read.
TEST_F(CoreTest, OneReadOfTheStoreAsksForEachFolderOnce) {
    const Lines lines = {"E:-C:\\PROGRA~1\\MYDATA~1", "F:-C:\\PROGRA~1",
                         "G:-C:\\PROGRA~1\\MYDATA~1", "H:-C:\\PROGRA~1\\GONE~1"};
    fs.ClearQueries();
    const DriveTable table = Load(lines[0] + "\r\n" + lines[1] + "\n" + lines[2] + "\n" + lines[3]);
    Lines queries = fs.Queries();
    std::sort(queries.begin(), queries.end());
    EXPECT_EQ(queries, (Lines{"C:\\PROGRA~1", "C:\\PROGRA~1\\GONE~1", "C:\\PROGRA~1\\MYDATA~1"}));
    DriveTable alone;
    for (const std::string& line : lines) {
        alone.Append(ReadStoreLine(fs, line));
    }
    EXPECT_EQ(ShownRows(table), ShownRows(alone));
    RememberedNames names(fs);  // the same path with another mask is another question
    EXPECT_TRUE(DirExists(names, "C:\\Work"));
    EXPECT_FALSE(FileExists(names, "C:\\Work"));
}

// A failed save leaves the old file whole, no cut copy; an unread file is kept, a missing one made.
TEST_F(CoreTest, AFailedSaveLeavesTheOldFileWholeAndAnUnreadFileIsNeverOverwritten) {
    const std::string old = "E:-C:\\WORK\r\n";
    DriveTable table = Load(old);
    table.Append({"F:", "C:\\Program Files", "C:\\PROGRA~1", true, false});
    fs.SetReadOnly(kStore);
    EXPECT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::ReplaceFailed);
    fs.SetDiskFullAfter(5);  // the empty table saved below still fits
    EXPECT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::WriteFailed);
    EXPECT_EQ(fs.Contents(kStore), old);
    EXPECT_FALSE(fs.Exists(kStore + ".tmp"));

    const std::string other = "C:\\Kestrova\\other.dat";
    EXPECT_EQ(LoadDriveTable(table, fs, other), ReadStatus::NotFound);  // no rows, and no fault
    ASSERT_EQ(SaveDriveList(fs, table, other), SaveStatus::Saved);
    fs.SetUnreadable(other);
    table.Append({"F:", "C:\\Program Files", "C:\\PROGRA~1", true, false});
    EXPECT_EQ(LoadDriveTable(table, fs, other), ReadStatus::Failed);
    EXPECT_EQ(table.Count(), 1u);  // the rows as they were
    EXPECT_EQ(SaveDriveList(fs, table, other), SaveStatus::StoreUnread);
}

TEST_F(CoreTest, ShortAndLongNames) {
    EXPECT_EQ(GetShortPath(fs, "C:\\Program Files\\My Data"), "C:\\PROGRA~1\\MYDATA~1");
    EXPECT_EQ(GetShortPath(fs, "C:\\Program Files\\Missing"), "");
    fs.AddFolder("C:\\" + std::string(160, 'a'));  // 163 characters fit the buffer
    fs.AddFolder("C:\\" + std::string(161, 'b'));  // 164 do not
    EXPECT_EQ(GetShortPath(fs, "C:\\" + std::string(160, 'a')).size(), 163u);
    EXPECT_EQ(GetShortPath(fs, "C:\\" + std::string(161, 'b')), "");

    EXPECT_EQ(GetLongName(fs, "c:\\progra~1\\MYDATA~1"), "c:\\Program Files\\My Data");
    fs.ClearQueries();
    EXPECT_EQ(GetLongName(fs, "C:\\PROGRA~1\\GONE~1"), "");  // never partly converted
    EXPECT_EQ(fs.Queries(), (Lines{"C:\\PROGRA~1", "C:\\PROGRA~1\\GONE~1"}));
    fs.AddFile("C:\\hidden.dat", "", "", kAttributeHidden);
    EXPECT_TRUE(FileExists(fs, "C:\\hidden.dat"));
}

TEST_F(CoreTest, FreeLettersAreLettersWithoutAVolumeThatNoRowHolds) {
    fs.AddDrive("A:", 2);  // removable without a medium: still a volume
    fs.AddDrive("D:", 5);
    DriveLetters table;
    LetterList combo;
    RefreshLetterList(combo, table, fs, LetterRefresh::StartUp, {"b:", "G:", "hello"});
    EXPECT_EQ(Lines(combo.items.begin(), combo.items.begin() + 3), (Lines{"F:", "H:", "I:"}));
    EXPECT_EQ(combo.items.size(), 20u);
    EXPECT_EQ(combo.SelectedText(), "F:");
    for (LetterRefresh caller : {LetterRefresh::MountAll, LetterRefresh::CreateDrive}) {
        RefreshLetterList(combo, table, fs, caller);  // the first free one is dropped too
        EXPECT_EQ(combo.SelectedText(), "F:");
        EXPECT_EQ(combo.items.size(), 21u);
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        fs.AddDrive(std::string{c, ':'});
    }
    RefreshLetterList(combo, table, fs, LetterRefresh::MountAll);
    EXPECT_TRUE(combo.items.empty());
    EXPECT_EQ(combo.SelectedText(), "");
}

// Every path is quoted with % doubled, so that any folder name reaches cmd whole; a folder that
// cannot be written safely gets no line.
TEST_F(CoreTest, CleanupBatchFilesQuoteEveryPathAndNameOnlyPlainLocalFolders) {
    EXPECT_EQ(
        RemovalBatchText(
            {"C:\\MY-DIR\\DATA", "\"\\\\srv\\x\"", "", "C:\\", "C:WORK", "\\WORK",
             "C:\\D\xC3\xA4TA", "C:\\a\"b", "C:\\t\tab", "C:\\R&D (old)\\50%off,a;b=c^d!"},
            "C:\\K&P (x)\\100%", "C:\\Users\\Me", "\\Removea.bat"),
        "if exist \"C:\\MY-DIR\\DATA\\RECYCLER\" \"C:\\K&P (x)\\100%%\\rm\" /y "
        "\"C:\\MY-DIR\\DATA\\RECYCLER\"\r\n"
        "if exist \"C:\\R&D (old)\\50%%off,a;b=c^d!\\RECYCLER\" \"C:\\K&P (x)\\100%%\\rm\" /y "
        "\"C:\\R&D (old)\\50%%off,a;b=c^d!\\RECYCLER\"\r\n"
        "del \"C:\\Users\\Me\\Removea.bat\"\r\nExit\r\n");
    EXPECT_EQ(BatchCommandLine("C:\\Windows\\system32\\cmd.exe", "\\Remove.bat"),
              "\"C:\\Windows\\system32\\cmd.exe\" /d /v:off /c .\\Remove.bat");
}

TEST_F(CoreTest, TheSelectionFollowsItsRowWhenOthersAreRemoved) {
    DriveTable table;
    for (const char* letter : {"E:", "F:", "G:", "H:"}) {
        table.Append({letter, "", "C:\\X", true, false});
    }
    table.Select(2);
    table.RemoveAt(0);
    table.RemoveAt(2);
    EXPECT_EQ(table.Row(*table.Selected()).letter, "G:");
    table.RemoveAt(*table.Selected());
    EXPECT_FALSE(table.Selected().has_value());
    table.Select(9);
    EXPECT_FALSE(table.Selected().has_value());
}

}  // namespace
}  // namespace kestrova
