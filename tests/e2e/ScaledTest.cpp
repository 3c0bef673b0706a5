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
    for (const auto& [id, place] :
         {std::pair{ids::cmdRemove, layout::cmdRemove}, {ids::lstDrives, layout::lstDrives}}) {
        RECT shown{};
        GetWindowRect(At(id), &shown);
        MapWindowPoints(nullptr, GetParent(At(id)), reinterpret_cast<POINT*>(&shown), 2);
        const RECT scaled{MulDiv(place.left, 144, 1440), MulDiv(place.top, 144, 1440),
                          MulDiv(place.left + place.width, 144, 1440),
                          MulDiv(place.top + place.height, 144, 1440)};
        EXPECT_TRUE(EqualRect(&shown, &scaled)) << id;
    }
    EXPECT_TRUE(Screenshot("main-window-150"));

    Click(At(ids::cmdOptions));
    ASSERT_TRUE(WaitUntil([&] { return OptionsInFront(); }));
    Click(At(ids::optB));
    const std::string exe = program.Path() + "\\Kestrova.exe ";
    EXPECT_TRUE(WaitUntil([&] { return StoredRunValue() == exe + "/B" + '\0'; }));
    Step(VK_UP, ids::optNone);
    EXPECT_TRUE(WaitUntil([&] { return StoredRunValue().empty(); }));
    Key('B', VK_MENU);
    ASSERT_TRUE(WaitUntil([&] { return !OptionsInFront(); }));
    ClickRow(At(ids::lstDrives), 1);  // F:, removed
    Click(At(ids::Command4));
    EXPECT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).size() == 1; }));
    EXPECT_EQ(Rows(At(ids::lstDrives))[0].letter, "E:");
    Click(At(ids::cmdRemove));
    EXPECT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).empty(); }));
    Close();
}

}  // namespace
}  // namespace kestrova::e2e
