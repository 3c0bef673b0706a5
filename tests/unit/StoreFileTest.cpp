#include <gtest/gtest.h>

#include <string>

#include "core/StoreFile.h"
#include "tests/support/fakes/FakeFileSystem.h"

namespace kestrova {
namespace {

using testing::FakeFileSystem;

const std::string kStore = "C:\\Kestrova\\Shrt.dat";

class StoreFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs.AddDrive("C:");
        fs.AddFolder("C:\\Kestrova");
        fs.AddFolder("C:\\Program Files", "PROGRA~1");
        fs.AddFolder("C:\\Program Files\\My Data", "MYDATA~1");
        fs.AddFolder("C:\\Work");
        fs.AddFolder("C:\\MY-DIR\\My-Folder", "MY-FOL~1");
        fs.AddFolder("C:\\Work, old", "WORKOL~1");
        fs.AddDrive("E:");  // mounted
    }

    DriveTable Load(const std::string& contents) {
        fs.AddFile(kStore, contents);
        DriveTable table;
        EXPECT_EQ(LoadDriveTable(table, fs, kStore), ReadStatus::Ok);
        return table;
    }

    FakeFileSystem fs;
};

TEST_F(StoreFileTest, StorePathIsBesideTheProgram) {
    EXPECT_EQ(StorePath("C:\\Program Files\\Kestrova"), "C:\\Program Files\\Kestrova\\Shrt.dat");
    EXPECT_EQ(StorePath("C:\\"), "C:\\Shrt.dat");
}

TEST_F(StoreFileTest, LinesAreReadWholeWhateverTheirEnding) {
    EXPECT_EQ(SplitLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitLines("a\nb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitLines("a\rb\r\n\r\nc"), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(SplitLines("x,y \"z\"\r\n"), (std::vector<std::string>{"x,y \"z\""}));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST_F(StoreFileTest, MountListGetsEveryEntryUnchangedAndBlanksGoWhole) {
    fs.AddFile(kStore, "E:-C:\\WORK\r\n\r\n\r\nF:-\"\\\\srv\\share\"\r\n  \r\n");
    std::vector<std::string> list = {"kept"};
    EXPECT_EQ(LoadMountList(list, fs, kStore), ReadStatus::Ok);
    EXPECT_EQ(list, (std::vector<std::string>{"kept", "E:-C:\\WORK", "", "",
                                              "F:-\"\\\\srv\\share\"", "  "}));
    RemoveBlankEntries(list);
    EXPECT_EQ(list, (std::vector<std::string>{"kept", "E:-C:\\WORK", "F:-\"\\\\srv\\share\""}));

    std::vector<std::string> untouched = {"x"};
    EXPECT_EQ(LoadMountList(untouched, fs, "C:\\Kestrova\\none.dat"), ReadStatus::NotFound);
    EXPECT_EQ(untouched, std::vector<std::string>{"x"});
}

TEST_F(StoreFileTest, EmptyFileIsAnEmptyTable) {
    const DriveTable table = Load("");
    EXPECT_TRUE(table.Empty());
    EXPECT_TRUE(table.MountEntries().empty());
}

TEST_F(StoreFileTest, RowsShowLongFoldersAndTheirDriveState) {
    const DriveTable table = Load(
        "E:-C:\\PROGRA~1\\MYDATA~1\r\n"
        "F:-C:\\MY-DIR\\MY-FOL~1\r\n"
        "G:-\"\\\\server\\share dir\"\r\n"
        "h:-C:\\GONE~1\r\n");
    ASSERT_EQ(table.Count(), 4u);
    EXPECT_EQ(table.Row(0).letter, "E:");
    EXPECT_EQ(table.Row(0).folder, "C:\\Program Files\\My Data");
    EXPECT_TRUE(table.Row(0).mounted);
    EXPECT_EQ(table.Row(1).folder, "C:\\MY-DIR\\My-Folder");
    EXPECT_FALSE(table.Row(1).mounted);
    EXPECT_EQ(table.Row(2).folder, "\\\\server\\share dir");
    EXPECT_EQ(table.Row(3).letter, "h:");
    EXPECT_EQ(table.Row(3).folder, "");  // the folder is gone
    EXPECT_EQ(table.MountEntries(),
              (std::vector<std::string>{"E:-C:\\PROGRA~1\\MYDATA~1", "F:-C:\\MY-DIR\\MY-FOL~1",
                                        "G:-\"\\\\server\\share dir\"", "h:-C:\\GONE~1"}));
}

TEST_F(StoreFileTest, SaveWritesTheExactFileFormat) {
    DriveTable table;
    table.Append({"E:", "C:\\Program Files\\My Data", "", true, false});
    table.Append({"F:", "\\\\server\\share", "", true, false});
    table.Append({"G:", "C:\\Work", "", true, false});
    ASSERT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::Saved);
    EXPECT_EQ(fs.Contents(kStore),
              "E:-C:\\PROGRA~1\\MYDATA~1\r\nF:-\"\\\\server\\share\"\r\nG:-C:\\Work\r\n");
    EXPECT_FALSE(fs.Exists(kStore + ".tmp"));

    DriveTable empty;
    ASSERT_EQ(SaveDriveList(fs, empty, kStore), SaveStatus::Saved);
    EXPECT_EQ(fs.Contents(kStore), "");
}

TEST_F(StoreFileTest, SavedTableReadsBackTheSame) {
    const std::string original =
        "E:-C:\\PROGRA~1\\MYDATA~1\r\nF:-\"\\\\srv\\a,b\"\r\nG:-C:\\WORKOL~1\r\n";
    DriveTable table = Load(original);
    EXPECT_EQ(table.Row(2).folder, "C:\\Work, old");  // a comma does not cut the line
    ASSERT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::Saved);
    EXPECT_EQ(fs.Contents(kStore), original);
}

TEST_F(StoreFileTest, EntryWithoutShortFormKeepsItsFolder) {
    // Read while the folder was there; gone before the save.
    DriveTable table = Load("E:-C:\\WORK\r\nF:-C:\\GONE~1\\DATA\r\n");
    fs.Remove("C:\\Work");
    DriveRow created;  // a new row whose folder has no short form right now
    created.letter = "G:";
    created.folder = "C:\\Not There";
    created.storedFolder = "C:\\Not There";
    table.Append(created);
    ASSERT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::Saved);
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\WORK\r\nF:-C:\\GONE~1\\DATA\r\nG:-C:\\Not There\r\n");
}

TEST_F(StoreFileTest, HandWrittenLinesAreKeptAndWrittenBack) {
    DriveTable table = Load("\r\n# my drives\r\n\nE:-C:\\WORK\n\r\n\t\r\nnot a drive");
    ASSERT_EQ(table.Count(), 3u);
    EXPECT_EQ(table.MountEntries(),
              (std::vector<std::string>{"# my drives", "E:-C:\\WORK", "not a drive"}));
    EXPECT_FALSE(table.Row(0).mounted);
    EXPECT_EQ(table.Row(0).folder, "");
    ASSERT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::Saved);
    EXPECT_EQ(fs.Contents(kStore), "# my drives\r\nE:-C:\\Work\r\nnot a drive\r\n");
}

// A hand-written line that names a bare drive or a single character has no
// folder to show, and a save writes it back as it was.
TEST_F(StoreFileTest, EntryWithoutAFolderBelowARootIsWrittenBackUnchanged) {
    const std::string original = "E:-C:\r\nF:-Q:\r\nG:-X\r\n";
    DriveTable table = Load(original);
    ASSERT_EQ(table.Count(), 3u);
    for (const DriveRow& row : table.Rows()) {
        EXPECT_EQ(row.folder, "") << row.MountEntry();
    }
    ASSERT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::Saved);
    EXPECT_EQ(fs.Contents(kStore), original);
}

TEST_F(StoreFileTest, HostileBytesNeitherCrashNorCostAWellFormedEntry) {
    std::string contents = "E:-C:\\WORK\r\n";
    contents += std::string("F:-C:\\A\0B\x01\x7f", 11) + "\r\n";
    contents += "G:-C:\\" + std::string(5000, 'x') + "\n";
    contents += std::string(3000, '-') + "\r\n";
    contents += "\x1b\x80\xff-\xfe\r\n";
    contents += "H:-\"\\\\srv\\x\"";  // no final line end
    DriveTable table = Load(contents);
    ASSERT_EQ(table.Count(), 6u);
    EXPECT_EQ(table.Row(0).folder, "C:\\Work");
    EXPECT_EQ(table.Row(1).folder, "");  // a NUL inside names no folder
    EXPECT_EQ(table.Row(5).folder, "\\\\srv\\x");
    ASSERT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::Saved);
    const std::vector<std::string> saved = SplitLines(fs.Contents(kStore));
    ASSERT_EQ(saved.size(), 6u);
    EXPECT_EQ(saved[0], "E:-C:\\Work");
    EXPECT_EQ(saved[1], std::string("F:-C:\\A\0B\x01\x7f", 11));
    EXPECT_EQ(saved[2].size(), 5006u);
    EXPECT_EQ(saved[5], "H:-\"\\\\srv\\x\"");
}

TEST_F(StoreFileTest, TenThousandLinesLoadAndSave) {
    std::string contents;
    for (int i = 0; i < 10000; ++i) {
        contents += (i % 2 == 0 ? "E:-C:\\WORK\r\n" : "F:-C:\\PROGRA~1\r\n");
    }
    DriveTable table = Load(contents);
    EXPECT_EQ(table.Count(), 10000u);
    ASSERT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::Saved);
    EXPECT_EQ(SplitLines(fs.Contents(kStore)).size(), 10000u);
}

TEST_F(StoreFileTest, FailedSaveLeavesTheOldFileWhole) {
    const std::string old = "E:-C:\\WORK\r\n";
    DriveTable table = Load(old);
    table.Append({"F:", "C:\\Program Files", "", true, false});

    fs.SetDiskFullAfter(5);
    EXPECT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::WriteFailed);
    EXPECT_EQ(fs.Contents(kStore), old);
    EXPECT_FALSE(fs.Exists(kStore + ".tmp"));  // the cut copy is cleaned up
    fs.SetDiskFullAfter(1 << 20);

    fs.SetReadOnly(kStore);
    EXPECT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::ReplaceFailed);
    EXPECT_EQ(fs.Contents(kStore), old);
    EXPECT_FALSE(fs.Exists(kStore + ".tmp"));

    fs.SetReadOnly("C:\\Kestrova");
    fs.Remove(kStore);
    EXPECT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::WriteFailed);
    EXPECT_FALSE(fs.Exists(kStore));
}

TEST_F(StoreFileTest, UnreadableFileIsNeverOverwritten) {
    DriveTable table = Load("E:-C:\\WORK\r\n");
    fs.SetUnreadable(kStore);
    EXPECT_EQ(LoadDriveTable(table, fs, kStore), ReadStatus::Failed);
    EXPECT_EQ(table.Count(), 1u);  // the table in memory is kept
    EXPECT_TRUE(table.StoreUnread());
    EXPECT_EQ(SaveDriveList(fs, table, kStore), SaveStatus::StoreUnread);
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\WORK\r\n");

    DriveTable fresh;
    fs.Remove(kStore);
    fs.AddFolder(kStore);  // a folder where the file belongs
    EXPECT_EQ(LoadDriveTable(fresh, fs, kStore), ReadStatus::Failed);
    EXPECT_TRUE(fresh.StoreUnread());
    EXPECT_EQ(SaveDriveList(fs, fresh, kStore), SaveStatus::StoreUnread);
    EXPECT_TRUE(fs.Exists(kStore));

    // Once the file reads again, the table follows it and may be saved.
    fs.Remove(kStore);
    fs.AddFile(kStore, "F:-C:\\WORK\r\n");
    EXPECT_EQ(LoadDriveTable(fresh, fs, kStore), ReadStatus::Ok);
    EXPECT_FALSE(fresh.StoreUnread());
    EXPECT_EQ(SaveDriveList(fs, fresh, kStore), SaveStatus::Saved);
}

TEST_F(StoreFileTest, MissingFileIsAnEmptyTable) {
    DriveTable table;
    table.Append({"E:", "C:\\Work", "C:\\WORK", true, false});
    EXPECT_EQ(LoadDriveTable(table, fs, kStore), ReadStatus::NotFound);
    EXPECT_TRUE(table.Empty());
    EXPECT_FALSE(table.StoreUnread());
}

}  // namespace
}  // namespace kestrova
