#include <gtest/gtest.h>

#include <windows.h>

#include "core/PathNames.h"
#include "core/StoreFile.h"
#include "platform/win32/Win32FileSystem.h"
#include "tests/support/e2e/TestProgram.h"
#include "tests/win32/WineTestFolder.h"

namespace kestrova {
namespace {

using e2e::ReadFileText;
using e2e::WriteFileText;
using testing::WineTestFolder;

TEST(Win32FileSystemTest, QueriesHonourTheAttributeMask) {
    WineTestFolder folder("mask");
    Win32FileSystem fs;
    const std::string sub = folder.MakeFolder("Sub Folder");
    const std::string file = folder.Sub("plain.txt");
    const std::string hidden = folder.Sub("hidden.txt");
    ASSERT_TRUE(WriteFileText(file, "x"));
    ASSERT_TRUE(WriteFileText(hidden, "x"));
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(fs.FindFirstName(sub, 22), "Sub Folder");
    EXPECT_EQ(fs.FindFirstName(sub, 6), "");  // folders need the directory bit
    EXPECT_EQ(fs.FindFirstName(file, 0), "plain.txt");
    EXPECT_EQ(fs.FindFirstName(hidden, 0), "");
    EXPECT_EQ(fs.FindFirstName(hidden, 6), "hidden.txt");
    EXPECT_TRUE(FileExists(fs, file));
    EXPECT_FALSE(FileExists(fs, sub));
    EXPECT_FALSE(FileExists(fs, folder.Sub("missing.txt")));
    EXPECT_EQ(fs.FindFirstName(std::string("C:\\win\0dows", 11), 22), "");
}

TEST(Win32FileSystemTest, DriveRootsAndTypes) {
    Win32FileSystem fs;
    EXPECT_TRUE(DirExists(fs, "C:"));
    EXPECT_TRUE(DirExists(fs, "c:\\"));
    EXPECT_FALSE(FileExists(fs, "C:"));
    EXPECT_EQ(fs.DriveType("c:"), 3u);
    // Wine's default prefix has no Q: drive.
    EXPECT_FALSE(DirExists(fs, "Q:"));
    EXPECT_EQ(fs.DriveType("q:"), kDriveNoRootDir);
}

TEST(Win32FileSystemTest, ShortAndLongNamesRoundTrip) {
    WineTestFolder folder("names");
    Win32FileSystem fs;
    const std::string deep = folder.MakeFolder("A Long Folder Name\\Another-Long Name");
    const std::string shortForm = GetShortPath(fs, deep);
    ASSERT_FALSE(shortForm.empty());
    EXPECT_EQ(shortForm.find(' '), std::string::npos) << shortForm;
    EXPECT_EQ(GetLongName(fs, shortForm), deep);
    EXPECT_EQ(GetShortPath(fs, folder.Sub("missing")), "");
    EXPECT_EQ(GetLongName(fs, shortForm + "\\GONE~1"), "");
}

TEST(Win32FileSystemTest, SaveReplacesTheStoreInOneStep) {
    WineTestFolder folder("save");
    Win32FileSystem fs;
    const std::string data = folder.MakeFolder("My Data");
    const std::string store = folder.Sub("Shrt.dat");
    ASSERT_TRUE(WriteFileText(store, "Q:-C:\\OLD\r\n"));

    DriveTable table;
    table.Append({"E:", data, data, true, false});
    ASSERT_EQ(SaveDriveList(fs, table, store), SaveStatus::Saved);
    EXPECT_EQ(ReadFileText(store), "E:-" + GetShortPath(fs, data) + "\r\n");
    EXPECT_FALSE(e2e::PathExists(store + ".tmp"));

    DriveTable reread;
    ASSERT_EQ(LoadDriveTable(reread, fs, store), ReadStatus::Ok);
    ASSERT_EQ(reread.Count(), 1u);
    EXPECT_EQ(reread.Row(0).folder, data);
}

TEST(Win32FileSystemTest, StoreThatCannotBeReadOrReplacedStaysWhole) {
    WineTestFolder folder("locked");
    Win32FileSystem fs;
    const std::string store = folder.Sub("Shrt.dat");
    const std::string old = "E:-C:\\OLD\r\n";
    ASSERT_TRUE(WriteFileText(store, old));
    DriveTable table;
    table.Append({"F:", "C:\\windows", "C:\\windows", true, false});

    {
        // Held open without sharing by another program.
        HANDLE held = CreateFileA(store.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        DriveTable unread;
        EXPECT_EQ(LoadDriveTable(unread, fs, store), ReadStatus::Failed);
        EXPECT_TRUE(unread.StoreUnread());
        EXPECT_NE(SaveDriveList(fs, table, store), SaveStatus::Saved);
        CloseHandle(held);
    }
    EXPECT_EQ(ReadFileText(store), old);

    SetFileAttributesA(store.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(SaveDriveList(fs, table, store), SaveStatus::ReplaceFailed);
    SetFileAttributesA(store.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFileText(store), old);
    EXPECT_FALSE(e2e::PathExists(store + ".tmp"));

    // A folder where the store file belongs.
    const std::string folderStore = folder.MakeFolder("sub") + "\\Shrt.dat";
    CreateDirectoryA(folderStore.c_str(), nullptr);
    DriveTable fromFolder;
    EXPECT_EQ(LoadDriveTable(fromFolder, fs, folderStore), ReadStatus::Failed);
    EXPECT_EQ(SaveDriveList(fs, fromFolder, folderStore), SaveStatus::StoreUnread);
    EXPECT_EQ(LoadDriveTable(fromFolder, fs, folder.Sub("none.dat")), ReadStatus::NotFound);
}

TEST(Win32FileSystemTest, ProgramFolderIsTheExecutablesFolder) {
    const std::string folder = ProgramFolder();
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(std::string(path).rfind(folder + "\\", 0), 0u);
    EXPECT_NE(folder.back(), '\\');
}

}  // namespace
}  // namespace kestrova
