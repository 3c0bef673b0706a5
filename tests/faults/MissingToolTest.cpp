#include <gtest/gtest.h>

#include <windows.h>

#include "tests/faults/FaultSupport.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;
using namespace faults;

// Wine's own subst.exe in the system folder, moved aside for one test so that
// no subst.exe can be found at all; put back when the test ends.
class SystemSubstHidden {
  public:
    SystemSubstHidden() {
        char system[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryA(system, MAX_PATH);
        path_ = std::string(system, length < MAX_PATH ? length : 0) + "\\subst.exe";
        hidden_ = path_ + ".hidden-by-faults-test";
        if (PathExists(path_)) {
            MoveFileA(path_.c_str(), hidden_.c_str());
        }
    }
    ~SystemSubstHidden() {
        if (PathExists(hidden_) && !PathExists(path_)) {
            MoveFileA(hidden_.c_str(), path_.c_str());
        }
    }
    SystemSubstHidden(const SystemSubstHidden&) = delete;
    SystemSubstHidden& operator=(const SystemSubstHidden&) = delete;

    // True when no subst.exe is left where a program looks for one.
    bool NoneToFind() const {
        char found[MAX_PATH] = {};
        return !PathExists(path_) &&
               SearchPathA(nullptr, "subst.exe", nullptr, MAX_PATH, found, nullptr) == 0;
    }

  private:
    std::string path_;
    std::string hidden_;
};

class MissingTool : public ::testing::Test {
  protected:
    void SetUp() override { AttachToDesktop(); }
};

TEST_F(MissingTool, WithoutSubstMountAllAndCreateDriveSaySoAndShowTheRedX) {
    ProgramFolder program("faults-no-subst");
    ThreeDrives drives(program);
    ASSERT_TRUE(DeleteFileA(program.File("subst.exe").c_str()));
    SystemSubstHidden hidden;
    ASSERT_TRUE(hidden.NoneToFind());

    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);
    window.Click(ids::cmdMount);
    ASSERT_TRUE(
        window.WaitForStatus("subst.exe could not be started: 3 Virtual Drives not mounted"))
        << window.Status();
    EXPECT_EQ(window.Images(), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(window.MountEntries(), drives.Entries());
    EXPECT_FALSE(Mapped('E') || Mapped('F') || Mapped('G'));

    window.Click(ids::Command2);
    const std::optional<MessageBoxInfo> browser = WaitForMessageBox(kestrova.Id(), 20000);
    ASSERT_TRUE(browser.has_value());
    PostMessageA(browser->window, WM_COMMAND, IDOK, 0);
    HWND text1 = window.Control(ids::Text1);
    ASSERT_TRUE(WaitUntil([&] { return !WindowText(text1).empty(); }, 10000));
    const std::string folder = WindowText(text1);
    HWND combo = window.Control(ids::Combo1);
    const std::string letter =
        ComboItems(combo).at(static_cast<std::size_t>(ComboSelection(combo)));
    window.Click(ids::Command3);
    ASSERT_TRUE(window.WaitForRowCount(4));
    EXPECT_TRUE(
        window.WaitForStatus("subst.exe could not be started: " + letter + " is not mounted"))
        << window.Status();
    const std::vector<ListViewRow> rows = window.Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3].columns, (std::vector<std::string>{letter, folder}));
    EXPECT_EQ(rows[3].image, 1);
    const std::string entry = letter + "-" + ShortPath(folder);
    std::vector<std::string> entries = drives.Entries();
    entries.push_back(entry);
    EXPECT_EQ(window.MountEntries(), entries);
    TakeScreenshot("no-subst");

    PostClose(window.main);
    ASSERT_TRUE(kestrova.WaitForExit(30000));
    EXPECT_EQ(program.Store(), drives.StoreText() + entry + "\r\n");
}

TEST_F(MissingTool, WithoutSubstRemovingAMappedDriveKeepsItsRowAndSaysSo) {
    ProgramFolder program("faults-no-subst-remove");
    ThreeDrives drives(program);
    ASSERT_EQ(RunSubstDouble("E: \"" + drives.Folders()[0] + "\""), 0u);
    ASSERT_TRUE(DeleteFileA(program.File("subst.exe").c_str()));
    SystemSubstHidden hidden;
    ASSERT_TRUE(hidden.NoneToFind());

    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);
    ASSERT_EQ(window.Images(), (std::vector<int>{0, 1, 1}));
    ASSERT_TRUE(SelectListViewRow(window.drives, 0));
    window.Click(ids::Command4);
    EXPECT_TRUE(window.WaitForStatus("subst.exe could not be started: E: was not removed"))
        << window.Status();
    EXPECT_EQ(window.MountEntries(), drives.Entries());
    EXPECT_TRUE(Mapped('E'));

    window.Click(ids::cmdRemove);
    EXPECT_TRUE(
        window.WaitForStatus("subst.exe could not be started: 3 Virtual Drives were not removed"))
        << window.Status();
    EXPECT_EQ(window.MountEntries(), drives.Entries());
    EXPECT_TRUE(Mapped('E'));

    PostClose(window.main);
    ASSERT_TRUE(kestrova.WaitForExit(30000));
    EXPECT_EQ(program.Store(), drives.StoreText());
}

TEST_F(MissingTool, WithoutRmRemoveDriveStillUnmapsAndTheBatchEnds) {
    ProgramFolder program("faults-no-rm");
    ASSERT_TRUE(DeleteFileA(program.File("rm.exe").c_str()));
    const std::string data = program.MakeFolder("Data");
    program.MakeFolder("Data\\RECYCLER\\inner");
    ASSERT_TRUE(WriteFileText(data + "\\RECYCLER\\inner\\junk.txt", "junk"));
    ASSERT_TRUE(WriteFileText(data + "\\keep.txt", "keep"));
    if (Mapped('E')) {
        RunSubstDouble("E: /d");
    }
    ASSERT_EQ(RunSubstDouble("E: \"" + data + "\""), 0u);
    ASSERT_TRUE(WriteFileText(program.File("Shrt.dat"), "E:-" + ShortPath(data) + "\r\n"));

    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);
    ASSERT_EQ(window.Images(), std::vector<int>{0});
    const std::string statusBefore = window.Status();
    ASSERT_TRUE(SelectListViewRow(window.drives, 0));
    window.Click(ids::Command4);
    ASSERT_TRUE(window.WaitForRowCount(0));
    EXPECT_TRUE(window.MountEntries().empty());
    EXPECT_FALSE(Mapped('E'));
    // The batch file was written and started: it runs to its end (deleting
    // itself) although its rm lines fail, and the program reports nothing.
    EXPECT_TRUE(WaitUntil([&] { return !PathExists(program.File("Remove.bat")); }, 30000));
    EXPECT_EQ(window.Status(), statusBefore);
    EXPECT_FALSE(WaitForMessageBox(kestrova.Id(), 1000).has_value());
    // Without rm nothing was deleted, not even the recycler.
    EXPECT_EQ(ReadFileText(data + "\\RECYCLER\\inner\\junk.txt"), "junk");
    EXPECT_EQ(ReadFileText(data + "\\keep.txt"), "keep");

    PostClose(window.main);
    ASSERT_TRUE(kestrova.WaitForExit(30000));
    EXPECT_EQ(program.Store(), "");
}

}  // namespace
}  // namespace kestrova
