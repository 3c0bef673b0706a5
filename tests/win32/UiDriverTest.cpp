#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/e2e/TestProgram.h"
#include "tests/support/e2e/UiDriver.h"

namespace kestrova {
namespace {

using namespace e2e;

TEST(UiDriverTest, ReadsClicksAndClosesAnotherProgramsWindow) {
    AttachToDesktop();
    RunningProgram target(WindowsPathOf(DRIVER_TARGET_UNIX_PATH), "", "");
    ASSERT_TRUE(target.Started());
    HWND window = WaitForWindow(target.Id(), "Driver Target", 20000);
    ASSERT_NE(window, nullptr);

    HWND label = FindDescendant(window, "Static", "Label text");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(FindDescendant(window, "Static", "No such text"), nullptr);

    const std::vector<ListViewRow> rows = ListViewRows(FindDescendantById(window, 12), 2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].columns, (std::vector<std::string>{"E:", "C:\\First Folder"}));
    EXPECT_EQ(rows[1].columns, (std::vector<std::string>{"F:", "C:\\Second"}));
    EXPECT_EQ(rows[0].image, 0);
    EXPECT_EQ(rows[1].image, 1);
    EXPECT_FALSE(rows[1].selected);
    ASSERT_TRUE(SelectListViewRow(FindDescendantById(window, 12), 1));
    EXPECT_TRUE(ListViewRows(FindDescendantById(window, 12), 2)[1].selected);

    HWND combo = FindDescendantById(window, 13);
    EXPECT_EQ(ComboItems(combo), (std::vector<std::string>{"G:", "H:"}));
    EXPECT_EQ(ComboSelection(combo), 1);
    EXPECT_EQ(ListBoxItems(FindDescendantById(window, 14)),
              std::vector<std::string>{"E:-C:\\FIRST~1"});

    Click(FindDescendant(window, "Button", "&Press"));
    const std::optional<MessageBoxInfo> box = WaitForMessageBox(target.Id(), 10000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Driver Target");
    EXPECT_EQ(box->text, "Pressed     ");
    EXPECT_EQ(box->iconStyle, 64);
    EXPECT_TRUE(Screenshot(ScreenshotPath("driver-target-message")));
    DismissMessageBox(box->window);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(label) == "Pressed once"; }, 10000));

    PostClose(window);
    EXPECT_TRUE(target.WaitForExit(10000));
}

}  // namespace
}  // namespace kestrova
