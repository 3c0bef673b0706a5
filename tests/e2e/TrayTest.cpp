#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/e2e/TestProgram.h"
#include "tests/support/e2e/UiDriver.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;

void IconMessage(HWND window, UINT mouseMessage) {
    PostMessageA(window, ids::kTrayCallbackMessage, 1, mouseMessage);
}

class TrayTest : public ::testing::Test {
  protected:
    void SetUp() override { AttachToDesktop(); }
    void TearDown() override { DeleteRunValue(); }
};

TEST_F(TrayTest, TrayStartLivesInTheNotificationAreaUntilTheMenuClosesIt) {
    ProgramFolder program("tray", "E:-C:\\WINDOWS\r\n");
    SetRunValue(program.Path() + "\\Kestrova.exe /T");
    RunningProgram kestrova(program.File("Kestrova.exe"), "/T", program.Path());
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 30000, false);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return HasTrayIcon(window); }, 10000));
    EXPECT_FALSE(IsShown(window));
    EXPECT_FALSE(kestrova.WaitForExit(500));

    // A plain start of another copy's kind has no icon: the check can fail.
    EXPECT_FALSE(HasTrayIcon(GetDesktopWindow()));

    IconMessage(window, WM_LBUTTONUP);  // a click on the icon restores the window
    ASSERT_TRUE(WaitUntil([&] { return IsShown(window); }, 10000));
    EXPECT_FALSE(IsIconic(window));

    // The close box with "/T" registered: back into the tray.
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsShown(window); }, 10000));
    EXPECT_FALSE(kestrova.WaitForExit(500));
    EXPECT_TRUE(HasTrayIcon(window));

    IconMessage(window, WM_RBUTTONUP);
    HWND menu = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            menu = FindWindowA("#32768", nullptr);
            return menu != nullptr && IsWindowVisible(menu);
        },
        10000));
    EXPECT_TRUE(Screenshot(ScreenshotPath("tray-menu")));
    PostMessageA(window, WM_CANCELMODE, 0, 0);
    WriteFileText(program.File("Shrt.dat"), "");
    // The menu's "&Close  Kestrova".
    PostMessageA(window, WM_COMMAND, ids::mPopExit, 0);
    ASSERT_TRUE(kestrova.WaitForExit(15000));
    EXPECT_EQ(program.Store().substr(0, 3), "E:-");  // saved on the way out
}

TEST_F(TrayTest, TrayAndMountStartMountsThenGoesToTheTray) {
    ProgramFolder program("tray-mount");
    const std::string folder = program.MakeFolder("Mounted");
    char shortFolder[MAX_PATH] = {};
    GetShortPathNameA(folder.c_str(), shortFolder, MAX_PATH);
    WriteFileText(program.File("Shrt.dat"), std::string("E:-") + shortFolder + "\r\n");
    SetRunValue(program.Path() + "\\Kestrova.exe /B");
    RunningProgram kestrova(program.File("Kestrova.exe"), "/B", program.Path());
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 30000, false);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return HasTrayIcon(window); }, 30000));
    EXPECT_FALSE(IsShown(window));
    EXPECT_EQ(program.SubstLog(), std::vector<std::string>{std::string("E: ") + shortFolder});
    EXPECT_NE(GetDriveTypeA("E:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    PostMessageA(window, WM_COMMAND, ids::mPopExit, 0);
    ASSERT_TRUE(kestrova.WaitForExit(15000));
    RunToEnd("\"" + program.File("subst.exe") + "\" E: /d");
}

}  // namespace
}  // namespace kestrova
