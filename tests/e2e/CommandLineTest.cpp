#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/e2e/TestProgram.h"
#include "tests/support/e2e/UiDriver.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;

// Arguments that no Run value or shortcut of ours writes. Each must give the
// ordinary start: the window with the table, no drive mounted or removed, no
// tray icon, and the table on disk exactly as before.
TEST(CommandLineTest, BadArgumentsStartTheWindowAndTouchNothing) {
    AttachToDesktop();
    ProgramFolder program("command-line");
    const std::string folder = program.MakeFolder("Target");
    const std::string store = "E:-" + ShortPath(folder) + "\r\nF:-" + ShortPath(folder) + "\r\n";
    WriteFileText(program.File("Shrt.dat"), store);

    // CreateProcess takes at most 32767 characters, the program's path included.
    const std::string longArgument = "/M" + std::string(32000 - program.File("x").size(), 'M');
    const std::vector<std::string> arguments = {
        longArgument, "\"/M\"", "/M /T /B", "/R /R", "/\xC9", "\xE9/M\xA0", "/M\"/R\"",
    };
    for (const std::string& argument : arguments) {
        SCOPED_TRACE(argument.substr(0, 16) + " (" + std::to_string(argument.size()) + " chars)");
        DeleteFileA(program.File("subst.log").c_str());
        RunningProgram kestrova(program.File("Kestrova.exe"), argument, program.Path());
        ASSERT_TRUE(kestrova.Started());
        HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 30000);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsShown(window));
        EXPECT_FALSE(HasTrayIcon(window));
        HWND status = FindDescendantById(window, ids::lblStatus);
        EXPECT_EQ(WindowText(status), "2 Virtual Drives (Red X indicates Drive is Not Mounted)");
        EXPECT_EQ(ListViewRows(FindDescendantById(window, ids::lstDrives), 2).size(), 2u);
        PostClose(window);
        EXPECT_TRUE(kestrova.WaitForExit(15000));
        EXPECT_TRUE(program.SubstLog().empty());
        EXPECT_FALSE(Mapped('E') || Mapped('F'));
        EXPECT_EQ(program.Store(), store);
    }
}

}  // namespace
}  // namespace kestrova
