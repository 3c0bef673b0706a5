#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/e2e/TestProgram.h"
#include "tests/support/e2e/UiDriver.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;

constexpr DWORD kStartTimeoutMs = 30000;

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { AttachToDesktop(); }
};

TEST_F(MainWindowTest, FirstStartCreatesAnEmptyStoreAndShowsTheWindowCentred) {
    ProgramFolder program("first-start", {}, false);
    ASSERT_FALSE(PathExists(program.File("Shrt.dat")));
    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", kStartTimeoutMs);
    ASSERT_NE(window, nullptr);

    EXPECT_TRUE(PathExists(program.File("Shrt.dat")));
    EXPECT_EQ(program.Store(), "");
    EXPECT_FALSE(HasTrayIcon(window));  // a normal start has no icon
    EXPECT_EQ(WindowText(FindDescendantById(window, ids::lblStatus)), "Virtual Drives");
    EXPECT_TRUE(ListViewRows(FindDescendantById(window, ids::lstDrives), 2).empty());
    HWND combo = FindDescendantById(window, ids::Combo1);
    const std::vector<std::string> letters = ComboItems(combo);
    ASSERT_FALSE(letters.empty());
    EXPECT_EQ(letters.front(), "A:");
    EXPECT_EQ(ComboSelection(combo), 0);

    RECT rect{};
    GetWindowRect(window, &rect);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(rect.left, (screenWidth - (rect.right - rect.left)) / 2.0, 1);
    EXPECT_NEAR(rect.top, (screenHeight - (rect.bottom - rect.top)) / 2.0, 1);
    RECT client{};
    GetClientRect(window, &client);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_NEAR(client.right, MulDiv(6480, dpi, 1440), 1);
    EXPECT_NEAR(client.bottom, MulDiv(4650, dpi, 1440), 1);

    PostClose(window);
    ASSERT_TRUE(kestrova.WaitForExit(15000));
    EXPECT_EQ(program.Store(), "");
}

TEST_F(MainWindowTest, StoredDrivesShowWithTheirStateAndAreWrittenBackOnClose) {
    ProgramFolder program("stored-drives", {}, false);
    const std::string mapped = program.MakeFolder("Mapped Folder");
    const std::string unmapped = program.MakeFolder("Not Mapped Now");
    const std::string dashed = program.MakeFolder("MY-DIR");
    ASSERT_EQ(RunToEnd("\"" + program.File("subst.exe") + "\" E: \"" + mapped + "\""), 0u);
    const std::string store = "E:-" + ShortPath(mapped) + "\r\n" +  //
                              "F:-" + ShortPath(unmapped) + "\r\n" +
                              "G:-\"\\\\server\\share dir\"\r\n" +  //
                              "H:-" + ShortPath(dashed) + "\r\n";
    ASSERT_TRUE(WriteFileText(program.File("Shrt.dat"), store));

    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", kStartTimeoutMs);
    ASSERT_NE(window, nullptr);
    const std::vector<ListViewRow> rows =
        ListViewRows(FindDescendantById(window, ids::lstDrives), 2);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].columns, (std::vector<std::string>{"E:", mapped}));
    EXPECT_EQ(rows[1].columns, (std::vector<std::string>{"F:", unmapped}));
    EXPECT_EQ(rows[2].columns, (std::vector<std::string>{"G:", "\\\\server\\share dir"}));
    EXPECT_EQ(rows[3].columns, (std::vector<std::string>{"H:", dashed}));
    EXPECT_EQ(rows[0].image, 0);  // the drive icon: E: is mapped
    EXPECT_EQ(rows[1].image, 1);  // the red X
    EXPECT_EQ(rows[2].image, 1);
    EXPECT_EQ(rows[3].image, 1);
    for (const ListViewRow& row : rows) {
        EXPECT_FALSE(row.selected);
    }
    EXPECT_EQ(WindowText(FindDescendantById(window, ids::lblStatus)),
              "4 Virtual Drives (Red X indicates Drive is Not Mounted)");
    EXPECT_EQ(
        ListBoxItems(FindDescendantById(window, ids::lstMount)),
        (std::vector<std::string>{"E:-" + ShortPath(mapped), "F:-" + ShortPath(unmapped),
                                  "G:-\"\\\\server\\share dir\"", "H:-" + ShortPath(dashed)}));
    const std::vector<std::string> letters = ComboItems(FindDescendantById(window, ids::Combo1));
    EXPECT_EQ(std::find(letters.begin(), letters.end(), "E:"), letters.end());  // E: is in use
    EXPECT_NE(std::find(letters.begin(), letters.end(), "F:"), letters.end());
    EXPECT_TRUE(Screenshot(ScreenshotPath("main-window-rows")));

    // Only the z-order of the two panes decides which one is seen.
    HWND fraMain = FindDescendantById(window, ids::fraMain);
    HWND fraOptions = FindDescendantById(window, ids::fraOptions);
    // cppcheck-suppress constParameter ; HWND is an opaque handle, not data to point at
    const auto above = [](HWND upper, HWND lower) {
        for (HWND w = GetWindow(lower, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
            if (w == upper) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(above(fraMain, fraOptions));
    Click(FindDescendantById(window, ids::cmdOptions));
    EXPECT_TRUE(WaitUntil([&] { return above(fraOptions, fraMain); }, 10000));
    EXPECT_TRUE(IsShown(fraMain) && IsShown(fraOptions));
    Sleep(300);  // let the pane repaint before the picture is taken
    EXPECT_TRUE(Screenshot(ScreenshotPath("options-pane")));
    Click(FindDescendantById(window, ids::cmdBack));
    EXPECT_TRUE(WaitUntil([&] { return above(fraMain, fraOptions); }, 10000));

    // The store is rewritten from the list on close, byte for byte.
    WriteFileText(program.File("Shrt.dat"), "");
    PostClose(window);
    ASSERT_TRUE(kestrova.WaitForExit(15000));
    EXPECT_EQ(program.Store(), store);
    RunToEnd("\"" + program.File("subst.exe") + "\" E: /d");
}

TEST_F(MainWindowTest, SecondCopyEndsAtOnceAndTouchesNothing) {
    ProgramFolder program("second-copy", "E:-C:\\WINDOWS\r\n");
    RunningProgram first(program.File("Kestrova.exe"), "", program.Path());
    HWND window = WaitForWindow(first.Id(), "Kestrova", kStartTimeoutMs);
    ASSERT_NE(window, nullptr);
    WIN32_FILE_ATTRIBUTE_DATA before{};
    GetFileAttributesExA(program.File("Shrt.dat").c_str(), GetFileExInfoStandard, &before);

    RunningProgram second(program.File("Kestrova.exe"), "", program.Path());
    ASSERT_TRUE(second.WaitForExit(15000));
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(TopWindows(second.Id(), "Kestrova").empty());
    WIN32_FILE_ATTRIBUTE_DATA after{};
    GetFileAttributesExA(program.File("Shrt.dat").c_str(), GetFileExInfoStandard, &after);
    EXPECT_EQ(CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0);
    EXPECT_EQ(program.Store(), "E:-C:\\WINDOWS\r\n");

    // Windows ending the session ends the process after WM_ENDSESSION without
    // destroying the window: the table is saved there.
    WriteFileText(program.File("Shrt.dat"), "");
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    EXPECT_EQ(program.Store(), "E:-" + ShortPath("C:\\WINDOWS") + "\r\n");

    PostClose(window);
    EXPECT_TRUE(first.WaitForExit(15000));
}

}  // namespace
}  // namespace kestrova
