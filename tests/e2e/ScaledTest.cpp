#include <map>

#include "tests/e2e/Journey.h"
#include "ui/win32/Layout.h"

namespace kestrova::e2e {
namespace {

// Moved to a screen of another scale, the window takes the rectangle Windows suggests and lays
// itself out from the same layout, every control inside it; back at 150% it is pixel for pixel
// as it started, and answers the mouse and keyboard.
TEST_F(Journey, ScaledWindowFollowsAMoveToAScreenOfAnotherScale) {
    ProgramFolder program("scaled", "E:-C:\\WINDOWS\r\nF:-C:\\Program Files\r\n");
    Start(program);
    EXPECT_TRUE(Screenshot("main-window-150"));
    Step(VK_TAB, ids::Command2);  // no caret to blink in the pictures
    const RECT started = Place(window);
    SetCursorPos(started.right + 40, started.bottom + 40);  // no tooltip over the window
    Sleep(300);
    const std::vector<COLORREF> before = ScreenPixels(started);
    const auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    std::map<int, LONG> widths;
    for (const int dpi : {96, 192, 144}) {
        RECT suggested{0, 0, MulDiv(layout::kClientWidth, dpi, 1440),
                       MulDiv(layout::kClientHeight, dpi, 1440)};
        AdjustWindowRectEx(&suggested, style, FALSE, WS_EX_CONTROLPARENT);
        OffsetRect(&suggested, started.left - suggested.left, started.top - suggested.top);
        SendDpiChanged(window, dpi, suggested);
        RECT client{};
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, MulDiv(layout::kClientWidth, dpi, 1440)) << dpi;
        EXPECT_EQ(client.bottom, MulDiv(layout::kClientHeight, dpi, 1440)) << dpi;
        const RECT label = Place(At(ids::Label2));  // the letters' label, as wide as its text
        widths[dpi] = label.right - label.left;
        for (const auto& [id, place] : {std::pair{ids::cmdRemove, layout::cmdRemove},
                                        {ids::lstDrives, layout::lstDrives},
                                        {ids::Command4, layout::Command4}}) {
            // In its parent where the layout's place (in twips) puts it at this dpi.
            RECT shown = Place(At(id));
            MapWindowPoints(nullptr, GetParent(At(id)), reinterpret_cast<POINT*>(&shown), 2);
            const RECT scaled{MulDiv(place.left, dpi, 1440), MulDiv(place.top, dpi, 1440),
                              MulDiv(place.left + place.width, dpi, 1440),
                              MulDiv(place.top + place.height, dpi, 1440)};
            EXPECT_TRUE(EqualRect(&shown, &scaled)) << id << " at " << dpi;
        }
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        for (HWND child = GetWindow(At(ids::fraMain), GW_HWNDFIRST); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            const RECT shown = Place(child);
            RECT inside{};
            EXPECT_TRUE(!IsWindowVisible(child) ||
                        (IntersectRect(&inside, &shown, &client) && EqualRect(&inside, &shown)))
                << GetDlgCtrlID(child) << " at " << dpi;
        }
    }
    // The font follows the scale: twice as wide at 200% as at 100%, give or take its rounding.
    EXPECT_NEAR(static_cast<double>(widths[192]) / widths[96], 2.0, 0.15);
    Sleep(300);
    EXPECT_EQ(ScreenPixels(started), before);

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
