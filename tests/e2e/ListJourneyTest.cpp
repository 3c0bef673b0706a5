#include "tests/e2e/Journey.h"

namespace kestrova::e2e {
namespace {

using Lines = std::vector<std::string>;

// The drive list's keys and its context menu, by real keys and the mouse: Enter opens a row's
// folder, Delete removes a row, F5 shows what changed outside, and the menu opens by Shift+F10, by
// the menu key and by a right-click. A kill right after a removal loses nothing.
TEST_F(Journey, TheDriveListsKeysAndContextMenu) {
    ProgramFolder program("list-keys");
    const std::string store = program.MapAndStore({"E:", "F:", "G:", "H:"});
    Start(program);
    ASSERT_TRUE(WaitForFocus(window, ids::Text1));
    Step(VK_TAB, ids::Command2);
    Step(VK_TAB, ids::lstDrives);
    Key(VK_HOME);
    Key(VK_DOWN);  // F:
    Key(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] {
        return program.SubstLog("explorer") == Lines{"/e,\"" + program.File("Folder F") + "\""};
    }));
    Key(VK_DELETE);
    ASSERT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).size() == 3; }));
    EXPECT_EQ(Rows(At(ids::lstDrives))[1].letter, "G:");
    EXPECT_FALSE(Mapped('F'));

    Key(VK_HOME);
    Key(VK_F10, VK_SHIFT);
    HWND menu = ShownMenu();
    ASSERT_NE(menu, nullptr);
    const LONG row = Place(At(ids::lstDrives)).top;
    RECT place = Place(menu);
    EXPECT_TRUE(place.top > row && place.top < row + 60) << place.top;  // at the row
    Key(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
    EXPECT_EQ(Rows(At(ids::lstDrives)).size(), 3u);
    Key(VK_APPS);
    ASSERT_NE(ShownMenu(), nullptr);
    Key('R');  // Remove Drive, by its access key
    ASSERT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).size() == 2; }));
    EXPECT_FALSE(Mapped('E'));

    program.Subst("G: /d");  // gone outside Kestrova: F5 shows it
    Click(At(ids::lstDrives));
    Key(VK_F5);
    EXPECT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives))[0].image == 1; }));

    ClickRow(At(ids::lstDrives), 1, 1, true);  // H:, at the mouse
    ASSERT_NE(menu = ShownMenu(), nullptr);
    place = Place(menu);
    ClickAt({(place.left + place.right) / 2, place.bottom - 8});  // Remove Drive
    ASSERT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).size() == 1; }));
    kestrova.reset();  // killed right after: the removal is saved already
    EXPECT_FALSE(Mapped('H'));
    EXPECT_EQ(program.SubstLog(), (Lines{"F: /d", "E: /d", "G: /d", "H: /d"}));
    const std::size_t g = store.find("G:-");
    EXPECT_EQ(program.Store(), store.substr(g, store.find("H:-") - g));
}

}  // namespace
}  // namespace kestrova::e2e
