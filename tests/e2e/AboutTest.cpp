#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/e2e/TestProgram.h"
#include "tests/support/e2e/UiDriver.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;

const char kMsinfoKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

void SetMsinfoPath(const std::string& path) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMsinfoKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, "PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
}

void ClearMsinfo() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kMsinfoKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools Location");
}

TEST(AboutTest, ShowsItsTextsAndStartsSystemInformationWhenRegistered) {
    AttachToDesktop();
    ClearMsinfo();
    ProgramFolder program("about", "E:-C:\\WINDOWS\r\n");
    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 30000);
    ASSERT_NE(window, nullptr);
    Click(FindDescendantById(window, ids::cmdAbout));
    HWND about = WaitForWindow(kestrova.Id(), "About Kestrova", 15000);
    ASSERT_NE(about, nullptr);
    for (const char* text : {"Kestrova", "Version 1.0.0", "Halvorn Software",
                             "  Come to the Halvorn Web Site for more free programs.  Click the "
                             "Halvorn button below to visit us or click the Mailing List button "
                             "to be notified of new releases."}) {
        EXPECT_NE(FindDescendant(about, "Static", text), nullptr) << text;
    }
    for (const char* caption :
         {"&Join the Halvorn mailing list", "&Halvorn", "Clos&e", "&System Info"}) {
        EXPECT_NE(FindDescendant(about, "Button", caption), nullptr) << caption;
    }
    EXPECT_TRUE(Screenshot(ScreenshotPath("about-window")));

    // Nothing registered: the message, once.
    Click(FindDescendant(about, "Button", "&System Info"));
    std::optional<MessageBoxInfo> box = WaitForMessageBox(kestrova.Id(), 10000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "System Information Is Unavailable At This Time");
    EXPECT_EQ(box->iconStyle, 0);
    DismissMessageBox(box->window);

    // A registered program is started.
    SetMsinfoPath(WindowsPathOf(DRIVER_TARGET_UNIX_PATH));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->window); }, 10000));
    Click(FindDescendant(about, "Button", "&System Info"));
    HWND started = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            started = FindWindowA("DriverTarget", "Driver Target");
            return started != nullptr;
        },
        20000));
    if (started != nullptr) {
        PostClose(started);
    }
    ClearMsinfo();

    // Close leaves the main window as it was; the About window opens again.
    Click(FindDescendant(about, "Button", "Clos&e"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 10000));
    EXPECT_TRUE(IsShown(window));
    EXPECT_EQ(WindowText(FindDescendantById(window, ids::lblStatus)),
              "1 Virtual Drives (Red X indicates Drive is Not Mounted)");
    Click(FindDescendantById(window, ids::cmdAbout));
    about = WaitForWindow(kestrova.Id(), "About Kestrova", 15000);
    ASSERT_NE(about, nullptr);
    EXPECT_NE(FindDescendant(about, "Static", "Version 1.0.0"), nullptr);

    // Closing the main window unloads the About window with it.
    PostClose(window);
    EXPECT_TRUE(kestrova.WaitForExit(15000));
}

}  // namespace
}  // namespace kestrova
