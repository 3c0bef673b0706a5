#include "tests/e2e/Journey.h"

#include <sddl.h>

namespace kestrova::e2e {
namespace {

// Each Create Drive is in Shrt.dat at once: the program is killed right after the second.
TEST_F(Journey, CreateDrivesOnTheChosenLettersWithMouseAndKeyboard) {
    ProgramFolder program("create");
    const std::string documents = Environment("USERPROFILE") + "\\Documents\\";
    const std::string projects = CreateFolder(documents + "Projects");
    const std::string photos = CreateFolder(documents + "Photos");
    Start(program);
    HWND combo = At(ids::Combo1);
    const std::vector<std::string> free = ComboItems(combo);
    ASSERT_GT(free.size(), 6u);

    // The mouse: browse, a letter that is not the first, Create Drive.
    Browse(projects);
    ChooseInDropDown(combo, free[3]);
    ASSERT_TRUE(WaitUntil([&] { return Text(combo) == free[3]; }));
    Click(At(ids::Command3));
    ASSERT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).size() == 1; }));
    EXPECT_TRUE(Screenshot("mounted-drive"));

    // The keyboard: back to Browse, a letter typed and left by an arrow key, Create Drive by Enter.
    Tabs({ids::Combo1, ids::lstDrives, ids::Command2}, VK_SHIFT);
    Browse(photos, true);
    Tabs({ids::lstDrives, ids::Combo1});
    Key('P');
    Key(VK_DOWN);
    ASSERT_TRUE(WaitUntil([&] { return Text(combo) == "Q:"; }));
    Step(VK_TAB, ids::Command3);
    Key(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return Status() == "2 Virtual Drives (Mounted)"; })) << Status();
    kestrova.reset();
    EXPECT_TRUE(Mapped(free[3][0]) && Mapped('Q'));
    EXPECT_EQ(program.Store(),
              free[3] + "-" + ShortPath(projects) + "\r\nQ:-" + ShortPath(photos) + "\r\n");
}

TEST_F(Journey, TabWalksEachPaneOnScreenAndArrowsChooseTheOptions) {
    ProgramFolder program("tab-walk", "E:-C:\\WINDOWS\r\n");
    Start(program);
    ASSERT_TRUE(WaitForFocus(window, ids::Text1));
    const std::vector<int> drivePane = {
        ids::Command2, ids::lstDrives,  ids::Combo1,   ids::Command3,  ids::Command4,
        ids::cmdAbout, ids::cmdOptions, ids::cmdMount, ids::cmdRemove, ids::Text1};
    Tabs(drivePane);
    Tabs({drivePane.rbegin() + 1, drivePane.rend()}, VK_SHIFT);
    Step(VK_TAB, ids::Text1, VK_SHIFT);

    Click(At(ids::cmdOptions));
    ASSERT_TRUE(WaitUntil([&] { return OptionsInFront(); }));
    const std::vector<int> optionsPane = {ids::cmdMount, ids::cmdRemove, ids::optNone,
                                          ids::cmdBack,  ids::cmdAbout,  ids::cmdOptions};
    Tabs(optionsPane);
    Tabs({optionsPane.rbegin() + 1, optionsPane.rend()}, VK_SHIFT);
    // The arrows walk the options in their order and choose each one (stored with its NUL).
    const std::string exe = program.Path() + "\\Kestrova.exe ";
    Tabs({ids::cmdRemove, ids::optNone});
    const auto arrow = [&](WORD key, int id, const std::string& value) {
        Step(key, id);
        EXPECT_TRUE(WaitUntil([&] { return StoredRunValue() == value; })) << id;
    };
    arrow(VK_DOWN, ids::optB, exe + "/B" + '\0');
    arrow(VK_DOWN, ids::optM, exe + "/M" + '\0');
    arrow(VK_RIGHT, ids::optT, exe + "/T" + '\0');
    arrow(VK_DOWN, ids::optNone, "");
    arrow(VK_UP, ids::optT, exe + "/T" + '\0');
    Click(At(ids::optM));
    EXPECT_TRUE(WaitUntil([&] { return StoredRunValue() == exe + "/M" + '\0'; }));
    EXPECT_TRUE(Screenshot("options-pane"));
    Step(VK_TAB, ids::cmdBack);
    Key(VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return !OptionsInFront(); }));
    ASSERT_TRUE(WaitForFocus(window, ids::Text1));
    Close();
}

TEST_F(Journey, TheFocusComesBackAfterAMessageTheBrowserAndTheNotificationArea) {
    ProgramFolder program("focus-back");
    SetRunValue(program.Path() + "\\Kestrova.exe /T");
    Start(program);

    // A message box closed by Enter: the clicked control has the focus, Tab and access keys work.
    Click(At(ids::Command3));
    EXPECT_EQ(TakeMessage(), "Please select a Directory to Mount     ");
    ASSERT_TRUE(WaitForFocus(window, ids::Command3));
    Step(VK_TAB, ids::Command4);
    Key(VK_SPACE);
    EXPECT_EQ(TakeMessage(), "There are no Virtual Drives to remove     ");
    ASSERT_TRUE(WaitForFocus(window, ids::Command2));  // where a folder is chosen first
    Key('O', VK_MENU);
    ASSERT_TRUE(WaitUntil([&] { return OptionsInFront(); }));
    Click(At(ids::cmdBack));
    ASSERT_TRUE(WaitUntil([&] { return !OptionsInFront(); }));

    // The folder browser, cancelled with Escape.
    Click(At(ids::Text1));
    Step(VK_TAB, ids::Command2);
    Key(VK_SPACE);
    ASSERT_NE(WaitForDialog(kestrova->Id()), nullptr);
    Key(VK_ESCAPE);
    ASSERT_TRUE(WaitForFocus(window, ids::Command2));
    Step(VK_TAB, ids::lstDrives);

    // Closed into the notification area; back by a click on the icon, or its menu's access key.
    Key(VK_F4, VK_MENU);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window) && HasTrayIcon(window); }));
    ClickAt(TrayIconPoint());
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != 0; }));
    ASSERT_TRUE(WaitForFocus(window, ids::lstDrives));
    Step(VK_TAB, ids::Combo1);
    ClickCloseBox(window);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    ASSERT_NE(OpenTrayMenu(), nullptr);
    EXPECT_TRUE(Screenshot("tray-menu"));
    Key('S');
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != 0; }));
    ASSERT_TRUE(WaitForFocus(window, ids::Combo1));
    Key('M', VK_MENU);  // Mount All with nothing to mount says so
    EXPECT_EQ(TakeMessage(IDOK), "There are no Virtual Drives in the list     ");
    ASSERT_TRUE(WaitForFocus(window, ids::cmdMount));  // where the access key put it

    // The menu's items by mouse: Show, then Close, which ends the program. (A combo box under Wine
    // keeps Alt+F4 to itself, so the title bar hides the window here.)
    for (const bool show : {true, false}) {
        ClickCloseBox(window);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
        HWND menu = OpenTrayMenu();
        ASSERT_NE(menu, nullptr);
        const RECT place = Place(menu);
        ClickAt({(place.left + place.right) / 2, show ? place.top + 8 : place.bottom - 8});
        ASSERT_TRUE(!show || WaitUntil([&] { return IsWindowVisible(window) != 0; }));
    }
    EXPECT_TRUE(kestrova->WaitForExit());
}

// The About window by the keyboard, then by the mouse, once a program is registered for System
// Information under a key that refuses writes, as HKEY_LOCAL_MACHINE does to a standard user.
TEST_F(Journey, TheAboutWindowByKeyboardAndByMouse) {
    ProgramFolder program("about");
    const char path[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);  // left by an earlier run
    Start(program);
    Key('A', VK_MENU);
    HWND about = WaitForWindow(kestrova->Id(), "About Kestrova");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(Screenshot("about-window"));
    HWND main = std::exchange(window, about);
    ASSERT_TRUE(WaitForFocus(window, ids::aboutCommand3));
    Tabs({ids::aboutCommand1, ids::aboutCommand2, ids::aboutCommand4, ids::aboutCommand3});
    Step(VK_TAB, ids::aboutCommand4, VK_SHIFT);
    Key(VK_RETURN);  // System Info: none is registered yet
    EXPECT_EQ(TakeMessage(), "System Information Is Unavailable At This Time");
    ASSERT_TRUE(WaitForFocus(window, ids::aboutCommand4));
    Key(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    window = main;  // the access key pressed About, which kept the focus
    ASSERT_TRUE(WaitForFocus(window, ids::cmdAbout));
    Key('A', VK_MENU);
    ASSERT_NE(about = WaitForWindow(kestrova->Id(), "About Kestrova"), nullptr);
    Key('E', VK_MENU);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

    // The mouse: System Information, once one is registered, and the links, each opening its page.
    const std::string command = "\"" + program.File("subst.exe") + "\" system-info";
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, path, "PATH", REG_SZ, command.c_str(),
                    static_cast<DWORD>(command.size() + 1));
    // Everyone may read and delete the key; setting values and adding keys is denied.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;0x6;;;WD)(A;;KRSD;;;WD)",
                                                         SDDL_REVISION_1, &descriptor, nullptr);
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, WRITE_DAC, &key);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    RegCloseKey(key);
    LocalFree(descriptor);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE, &key), ERROR_ACCESS_DENIED);
    Click(At(ids::cmdAbout));
    ASSERT_NE(about = WaitForWindow(kestrova->Id(), "About Kestrova"), nullptr);
    Click(Control(about, ids::aboutCommand4));
    EXPECT_TRUE(
        WaitUntil([&] { return program.SubstLog() == std::vector<std::string>{"system-info"}; }));
    EXPECT_EQ(WaitForDialog(kestrova->Id(), 1000), nullptr);
    std::string pages = PagesOpened();
    const auto opens = [&](const std::string& page) {
        pages += page;
        return WaitUntil([&] { return PagesOpened() == pages; });
    };
    const std::string site = "https://www.halvorn.example/\n";
    const std::string list = "https://www.halvorn.example/mailing-list\n";
    Click(Control(about, ids::aboutCommand1));
    EXPECT_TRUE(opens(list));
    Key('H', VK_MENU);
    EXPECT_TRUE(opens(site));
    for (int id : {ids::picIcon, ids::Image1, ids::aboutCommand2}) {
        Click(Control(about, id));
        EXPECT_TRUE(opens(site)) << id;
    }
    window = about;  // the click left the focus on Halvorn
    Step(VK_TAB, ids::aboutCommand1, VK_SHIFT);
    Key(VK_SPACE);
    EXPECT_TRUE(opens(list));
    Click(Control(about, ids::aboutCommand3));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}

TEST_F(Journey, AFirstStartALogonStartAndASecondStart) {
    ProgramFolder program("starts");
    DeleteFileA(program.File("Shrt.dat").c_str());
    Start(program);
    EXPECT_EQ(program.Store(), "");  // created, empty
    EXPECT_TRUE(PathExists(program.File("Shrt.dat")));
    EXPECT_EQ(Status(), "Virtual Drives");
    const RECT place = Place(window);
    EXPECT_NEAR(place.left + place.right, GetSystemMetrics(SM_CXSCREEN), 2);  // centred
    EXPECT_NEAR(place.top + place.bottom, GetSystemMetrics(SM_CYSCREEN), 2);
    EXPECT_FALSE(HasTrayIcon(window));
    Close();

    // "/B" mounts everything, then waits in the notification area.
    const std::string store = "K:-" + ShortPath(program.MakeFolder("Logon")) + "\r\n";
    WriteFileText(program.File("Shrt.dat"), store);
    kestrova = std::make_unique<RunningProgram>(program, "/b");
    window = WaitForWindow(kestrova->Id(), "Kestrova", 30000, false);
    ASSERT_TRUE(WaitUntil([&] { return HasTrayIcon(window); }));
    EXPECT_TRUE(Mapped('K'));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(Status(), "1 Virtual Drives (Mounted)");

    // Another start with a switch does nothing; one without shows the first window, keys ready.
    program.ClearSubstLog();
    RunningProgram withSwitch(program, "/m");
    ASSERT_TRUE(withSwitch.WaitForExit());
    EXPECT_TRUE(program.SubstLog().empty());
    EXPECT_FALSE(IsWindowVisible(window));
    RunningProgram second(program);
    ASSERT_TRUE(second.WaitForExit());
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != 0; }));
    ASSERT_TRUE(WaitForFocus(window, ids::Text1));
    Step(VK_TAB, ids::Command2);
    ASSERT_NE(OpenTrayMenu(), nullptr);  // its Close by its access key
    Key('C');
    ASSERT_TRUE(kestrova->WaitForExit());
    EXPECT_EQ(program.Store(), store);
}

}  // namespace
}  // namespace kestrova::e2e
