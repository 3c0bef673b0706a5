#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/e2e/TestProgram.h"
#include "tests/support/e2e/UiDriver.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;

class OptionsTest : public ::testing::Test {
  protected:
    void SetUp() override { AttachToDesktop(); }
    void TearDown() override { DeleteRunValue(); }
};

TEST_F(OptionsTest, AMovedProgramRegistersItselfFromItsNewFolder) {
    ProgramFolder program("options-moved", "E:-C:\\WINDOWS\r\n");
    SetRunValue("D:\\Elsewhere\\Kestrova.exe /T");
    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 30000);
    ASSERT_NE(window, nullptr);
    const std::string expected = program.Path() + "\\Kestrova.exe /T";
    EXPECT_TRUE(WaitUntil([&] { return StoredRunValue() == expected + '\0'; }, 10000))
        << StoredRunValue();
    EXPECT_EQ(SendMessageA(FindDescendantById(window, ids::optT), BM_GETCHECK, 0, 0), BST_CHECKED);
    PostClose(window);
    EXPECT_TRUE(kestrova.WaitForExit(15000));
}

TEST_F(OptionsTest, MountAtLogonWithAnEmptyTableIsDeletedWithOneMessage) {
    ProgramFolder program("options-empty");
    SetRunValue(program.Path() + "\\Kestrova.exe /B");
    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    const std::optional<MessageBoxInfo> box = WaitForMessageBox(kestrova.Id(), 30000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "There are no Virtual Drives in the list to Mount    ");
    EXPECT_EQ(box->caption, "Kestrova");
    EXPECT_EQ(box->iconStyle, 64);
    EXPECT_EQ(StoredRunValue(), "");  // deleted before the message
    DismissMessageBox(box->window);
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 30000);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(WaitForMessageBox(kestrova.Id(), 1000).has_value());
    PostClose(window);
    EXPECT_TRUE(kestrova.WaitForExit(15000));
}

TEST_F(OptionsTest, EachOptionWritesTheRunValueWithItsTerminator) {
    ProgramFolder program("options-choose", "E:-C:\\WINDOWS\r\n");
    DeleteRunValue();
    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 30000);
    ASSERT_NE(window, nullptr);
    Click(FindDescendantById(window, ids::cmdOptions));
    const std::string exe = program.Path() + "\\Kestrova.exe";
    const struct {
        int id;
        std::string stored;
    } choices[] = {{ids::optT, exe + " /T" + '\0'},
                   {ids::optM, exe + " /M" + '\0'},
                   {ids::optB, exe + " /B" + '\0'},
                   {ids::optNone, ""}};
    for (const auto& choice : choices) {
        Click(FindDescendantById(window, choice.id));
        EXPECT_TRUE(WaitUntil([&] { return StoredRunValue() == choice.stored; }, 10000))
            << choice.id << ": " << StoredRunValue();
    }
    Click(FindDescendantById(window, ids::optB));
    EXPECT_TRUE(WaitUntil([&] { return StoredRunValue() == exe + " /B" + '\0'; }, 10000));
    EXPECT_TRUE(Screenshot(ScreenshotPath("options-chosen")));
    PostClose(window);
    EXPECT_TRUE(kestrova.WaitForExit(15000));
}

}  // namespace
}  // namespace kestrova
