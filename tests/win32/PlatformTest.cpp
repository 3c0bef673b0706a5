#include <gtest/gtest.h>

#include <windows.h>

#include "core/PathNames.h"
#include "core/StoreFile.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ProcessRunner.h"
#include "tests/support/e2e/Program.h"

namespace kestrova::e2e {
namespace {

TEST(Win32FileSystem, QueriesNamesAndTheStoreAsTheCoreExpectsThem) {
    ProgramFolder folder("platform");
    Win32FileSystem fs;
    const std::string deep = folder.MakeFolder("A Long Folder Name\\Another-Long Name");
    const std::string hidden = folder.File("hidden.txt");
    WriteFileText(hidden, "x");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(fs.FindFirstName(hidden, 0), "");
    EXPECT_EQ(fs.FindFirstName(hidden, 6), "hidden.txt");
    EXPECT_EQ(fs.FindFirstName(deep, 6), "");  // a folder needs the directory bit
    EXPECT_EQ(fs.FindFirstName(std::string("C:\\win\0dows", 11), 22), "");  // never cut short
    EXPECT_TRUE(DirExists(fs, "C:") && DirExists(fs, "c:\\"));  // roots are asked another way
    EXPECT_FALSE(DirExists(fs, "Q:"));
    const std::string shortForm = GetShortPath(fs, deep);
    EXPECT_EQ(shortForm.find(' '), std::string::npos) << shortForm;
    EXPECT_EQ(GetLongName(fs, shortForm), deep);

    const std::string store = folder.File("Shrt.dat");
    DriveTable table;
    table.Append({"F:", deep, shortForm, true, false});
    {
        UniqueHandle held(CreateFileA(store.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));  // held without sharing
        DriveTable unread;
        EXPECT_EQ(LoadDriveTable(unread, fs, store), ReadStatus::Failed);
        EXPECT_NE(SaveDriveList(fs, table, store), SaveStatus::Saved);
    }
    EXPECT_EQ(SaveDriveList(fs, table, store), SaveStatus::Saved);
    EXPECT_EQ(ReadFileText(store), "F:-" + shortForm + "\r\n");
}

// A wait dispatches messages (its CPU cost is a benchmark figure) and gives the exit code.
TEST(Win32ProcessRunner, AWaitHandlesMessagesAndGivesTheExitCode) {
    ProgramFolder folder("process-runner");
    const std::string subst = "\"" + folder.File("subst.exe") + "\"";
    static bool handled = false;  // by the timer's callback, which only DispatchMessage calls
    const UINT_PTR timer =
        SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) { handled = true; });
    Win32ProcessRunner runner;
    SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", "2000");
    const std::uint32_t id = runner.Start(subst, WindowStyle::Hidden);
    SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", nullptr);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(runner.WaitForProcess(id));  // exit code 0
    EXPECT_TRUE(handled);
    EXPECT_GE(GetTickCount() - start, 1800u);
    KillTimer(nullptr, timer);

    EXPECT_TRUE(runner.WaitForProcess(runner.Start(subst + " too many here", WindowStyle::Hidden)));
    EXPECT_EQ(runner.Start("no-such-program.exe", WindowStyle::Hidden), 0u);
    EXPECT_FALSE(runner.WaitForProcess(0));
    EXPECT_FALSE(runner.WaitForProcess(id));  // gone: the wait ends at once
}

}  // namespace
}  // namespace kestrova::e2e
