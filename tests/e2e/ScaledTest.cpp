#include "tests/e2e/Journey.h"
#include "ui/win32/Layout.h"

namespace kestrova::e2e {
namespace {

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
