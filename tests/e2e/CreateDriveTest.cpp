#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/e2e/TestProgram.h"
#include "tests/support/e2e/UiDriver.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;

// The folder browser: a dialog of the program with the browse text in it.
HWND WaitForBrowser(DWORD processId) {
    const std::optional<MessageBoxInfo> dialog = WaitForMessageBox(processId, 20000);
    return dialog ? dialog->window : nullptr;
}

TEST(CreateDriveTest, BrowseThenCreateMapsTheFolderOnTheChosenLetter) {
    AttachToDesktop();
    ProgramFolder program("create-drive");
    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 30000);
    ASSERT_NE(window, nullptr);
    HWND text1 = FindDescendantById(window, ids::Text1);

    // Cancelling the browser leaves nothing behind and says nothing.
    Click(FindDescendantById(window, ids::Command2));
    HWND browser = WaitForBrowser(kestrova.Id());
    ASSERT_NE(browser, nullptr);
    EXPECT_NE(FindDescendant(browser, "Static", "Select Folder to Mount"), nullptr);
    EXPECT_TRUE(Screenshot(ScreenshotPath("folder-browser")));
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browser); }, 10000));
    EXPECT_FALSE(WaitForMessageBox(kestrova.Id(), 1000).has_value());
    EXPECT_EQ(WindowText(text1), "");

    // Accepting the browser's first folder makes it the pending folder.
    Click(FindDescendantById(window, ids::Command2));
    browser = WaitForBrowser(kestrova.Id());
    ASSERT_NE(browser, nullptr);
    PostMessageA(browser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !WindowText(text1).empty(); }, 10000));
    const std::string folder = WindowText(text1);
    ASSERT_GT(folder.size(), 3u) << folder;

    HWND combo = FindDescendantById(window, ids::Combo1);
    const std::string letter =
        ComboItems(combo).at(static_cast<std::size_t>(ComboSelection(combo)));
    Click(FindDescendantById(window, ids::Command3));
    HWND list = FindDescendantById(window, ids::lstDrives);
    ASSERT_TRUE(WaitUntil([&] { return ListViewRows(list, 2).size() == 1; }, 30000));
    const ListViewRow row = ListViewRows(list, 2)[0];
    EXPECT_EQ(row.columns, (std::vector<std::string>{letter, folder}));
    EXPECT_EQ(row.image, 0);
    const char root[] = {letter[0], ':', '\\', '\0'};
    EXPECT_NE(GetDriveTypeA(root), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    const std::vector<std::string> letters = ComboItems(combo);
    EXPECT_EQ(std::find(letters.begin(), letters.end(), letter), letters.end());
    EXPECT_EQ(program.Store(), "");  // written when the program ends

    PostClose(window);
    ASSERT_TRUE(kestrova.WaitForExit(15000));
    char shortFolder[MAX_PATH] = {};
    GetShortPathNameA(folder.c_str(), shortFolder, MAX_PATH);
    EXPECT_EQ(program.Store(), letter + "-" + shortFolder + "\r\n");
    RunToEnd("\"" + program.File("subst.exe") + "\" " + letter + " /d");
}

}  // namespace
}  // namespace kestrova
