#include <cstdlib>

#include "tests/e2e/Journey.h"
#include "ui/win32/Layout.h"

namespace kestrova::e2e {
namespace {

// The README's pictures, made as a user makes drives: three folders of their
// own, each browsed to and given a letter of their choice; then the options,
// the About window, and the menu of the notification area.
TEST_F(Journey, PicturesOfAUsersOwnDrives) {
    ProgramFolder program("pictures");
    SetRunValue(program.Path() + "\\Kestrova.exe /T");
    const std::string documents = std::string(std::getenv("USERPROFILE")) + "\\Documents\\";
    Start(program);
    const struct {
        std::string folder;
        std::string letter;
    } drives[] = {{CreateFolder(documents + "Projects"), "P:"},
                  {CreateFolder(documents + "Photos\\2026"), "K:"},
                  {CreateFolder(documents + "Music"), "M:"}};
    std::size_t made = 0;
    for (const auto& drive : drives) {
        Browse(drive.folder);
        ChooseInDropDown(At(ids::Combo1), drive.letter);
        ASSERT_TRUE(WaitUntil([&] { return ComboText(At(ids::Combo1)) == drive.letter; }));
        Click(At(ids::Command3));
        ++made;
        ASSERT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).size() == made; }));
    }
    ClickRow(At(ids::lstDrives), 1);
    EXPECT_EQ(Status(), "3 Virtual Drives (Mounted)");
    EXPECT_TRUE(Screenshot("mounted-drives", window));

    Click(At(ids::cmdOptions));
    ASSERT_TRUE(WaitUntil([&] { return OptionsInFront(); }));
    EXPECT_TRUE(Screenshot("options-pane", window));
    Click(At(ids::cmdBack));
    Click(At(ids::cmdAbout));
    HWND about = WaitForWindow(kestrova->Id(), "About Kestrova");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(Screenshot("about-window", about));
    Click(Control(about, ids::aboutCommand3));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

    ClickCloseBox(window);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window) && HasTrayIcon(window); }));
    ClickAt(TrayIconPoint(), true);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowA("#32768", nullptr)) != nullptr; }));
    EXPECT_TRUE(Screenshot("tray-menu", menu));
    ClickAt({200, 200});  // on the desktop: the menu goes, as any menu does
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 3000));
    ClickAt(TrayIconPoint());
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != 0; }));
    Key(VK_F4, VK_MENU);  // closes to the notification area again
    EXPECT_TRUE(Mapped('P') && Mapped('K') && Mapped('M'));
}

// At 150% every control sits where the layout puts it, scaled, and answers
// the mouse and keyboard there.
TEST_F(Journey, ScaledTo150PercentEveryControlKeepsItsPlace) {
    ProgramFolder program("scaled", "E:-C:\\WINDOWS\r\nF:-C:\\Program Files\r\n");
    Start(program);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 648);
    EXPECT_EQ(client.bottom, 465);
    const auto expectAt = [&](int id, const layout::Rect& place) {
        RECT inParent{};
        GetWindowRect(At(id), &inParent);
        MapWindowPoints(nullptr, GetParent(At(id)), reinterpret_cast<POINT*>(&inParent), 2);
        EXPECT_EQ(inParent.left, MulDiv(place.left, 144, 1440)) << id;
        EXPECT_EQ(inParent.top, MulDiv(place.top, 144, 1440)) << id;
        EXPECT_EQ(inParent.right, MulDiv(place.left + place.width, 144, 1440)) << id;
        EXPECT_EQ(inParent.bottom, MulDiv(place.top + place.height, 144, 1440)) << id;
    };
    expectAt(ids::cmdRemove, layout::cmdRemove);
    expectAt(ids::lstDrives, layout::lstDrives);
    expectAt(ids::Command4, layout::Command4);
    expectAt(ids::optB, layout::optB);
    EXPECT_TRUE(Screenshot("main-window-150", window));

    Click(At(ids::cmdOptions));
    ASSERT_TRUE(WaitUntil([&] { return OptionsInFront(); }));
    Click(At(ids::optB));
    const std::string exe = program.Path() + "\\Kestrova.exe ";
    EXPECT_TRUE(WaitUntil([&] { return StoredRunValue() == exe + "/B" + '\0'; }));
    Step(VK_UP, ids::optNone);
    EXPECT_TRUE(WaitUntil([&] { return StoredRunValue().empty(); }));
    Key('B', VK_MENU);
    ASSERT_TRUE(WaitUntil([&] { return !OptionsInFront(); }));
    ClickRow(At(ids::lstDrives), 1);
    Click(At(ids::Command4));
    ASSERT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).size() == 1; }));
    Close();
    EXPECT_EQ(program.Store(), "E:-" + ShortPath("C:\\WINDOWS") + "\r\n");
}

}  // namespace
}  // namespace kestrova::e2e
