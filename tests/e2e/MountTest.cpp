#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/e2e/TestProgram.h"
#include "tests/support/e2e/UiDriver.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;

// A program folder with three folders stored on E:, F: and G:, none mapped.
class MountTest : public ::testing::Test {
  protected:
    MountTest() : program_("mount") {
        AttachToDesktop();
        for (const char* name : {"First Folder", "Second", "Third-Folder"}) {
            folders_.push_back(program_.MakeFolder(name));
        }
        store_ = "E:-" + ShortPath(folders_[0]) + "\r\nF:-" + ShortPath(folders_[1]) + "\r\nG:-" +
                 ShortPath(folders_[2]) + "\r\n";
        WriteFileText(program_.File("Shrt.dat"), store_);
    }
    void TearDown() override {
        for (const char* letter : {"E:", "F:", "G:"}) {
            if (Mapped(letter[0])) {
                RunToEnd("\"" + program_.File("subst.exe") + "\" " + letter + " /d");
            }
        }
    }
    std::vector<std::string> ExpectedMountLines() const {
        return {"E: " + ShortPath(folders_[0]), "F: " + ShortPath(folders_[1]),
                "G: " + ShortPath(folders_[2])};
    }

    ProgramFolder program_;
    std::vector<std::string> folders_;
    std::string store_;
};

TEST_F(MountTest, MountAndExitMapsEveryDriveAndLeavesTheStoreAlone) {
    for (const char* option : {"/M", "/m"}) {
        SCOPED_TRACE(option);
        DeleteFileA(program_.File("subst.log").c_str());
        RunningProgram kestrova(program_.File("Kestrova.exe"), option, program_.Path());
        ASSERT_TRUE(kestrova.WaitForExit(60000));
        EXPECT_EQ(program_.SubstLog(), ExpectedMountLines());
        EXPECT_TRUE(Mapped('E') && Mapped('F') && Mapped('G'));
        EXPECT_EQ(program_.Store(), store_);
        for (const char* letter : {"E:", "F:", "G:"}) {
            RunToEnd("\"" + program_.File("subst.exe") + "\" " + letter + " /d");
        }
    }
}

TEST_F(MountTest, MountAllFromTheWindowEndsWithTheMountedRows) {
    RunningProgram kestrova(program_.File("Kestrova.exe"), "", program_.Path());
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 30000);
    ASSERT_NE(window, nullptr);
    HWND status = FindDescendantById(window, ids::lblStatus);
    EXPECT_EQ(WindowText(status), "3 Virtual Drives (Red X indicates Drive is Not Mounted)");

    Click(FindDescendantById(window, ids::cmdMount));
    EXPECT_TRUE(
        WaitUntil([&] { return WindowText(status) == "3 Virtual Drives (Mounted)"; }, 60000))
        << WindowText(status);
    const std::vector<ListViewRow> rows =
        ListViewRows(FindDescendantById(window, ids::lstDrives), 2);
    ASSERT_EQ(rows.size(), 3u);
    for (const ListViewRow& row : rows) {
        EXPECT_EQ(row.image, 0) << row.columns[0];
    }
    EXPECT_EQ(program_.SubstLog(), ExpectedMountLines());
    const std::vector<std::string> letters = ComboItems(FindDescendantById(window, ids::Combo1));
    ASSERT_FALSE(letters.empty());
    EXPECT_EQ(letters.front(), "B:");  // the first free letter is dropped after Mount All
    EXPECT_TRUE(Screenshot(ScreenshotPath("mounted-drives")));
    PostClose(window);
    EXPECT_TRUE(kestrova.WaitForExit(15000));
}

}  // namespace
}  // namespace kestrova
