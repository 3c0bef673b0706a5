#include <gtest/gtest.h>

#include <windows.h>

#include "tests/faults/FaultSupport.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;
using namespace faults;

// Each subst.exe run of the program takes this long, so that Mount All over
// three drives is still waiting while the burst arrives.
const char kSubstDelayMs[] = "1500";

// The subst double is slow for the programs this process starts from now on.
class SlowSubst {
  public:
    SlowSubst() { SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", kSubstDelayMs); }
    ~SlowSubst() { SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", nullptr); }
    SlowSubst(const SlowSubst&) = delete;
    SlowSubst& operator=(const SlowSubst&) = delete;
};

std::string StoreTextOf(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries) {
        text += entry + "\r\n";
    }
    return text;
}

// The list view's rows as mount entries of the stored folders: each row's
// letter with the short form of its folder.
std::vector<std::string> EntriesOnScreen(const Window& window) {
    std::vector<std::string> entries;
    for (const ListViewRow& row : window.Rows()) {
        entries.push_back(row.columns.at(0) + "-" + ShortPath(row.columns.at(1)));
    }
    return entries;
}

class CommandBurst : public ::testing::Test {
  protected:
    void SetUp() override {
        AttachToDesktop();
        DeleteRunValue();
    }
    void TearDown() override { DeleteRunValue(); }

    // Every button of both panes, clicked while Mount All waits on subst.exe.
    static void PostBurst(const Window& window) {
        SelectListViewRow(window.drives, 1);
        for (int id : {ids::optT, ids::optM, ids::optB, ids::optNone, ids::Command3, ids::Command4,
                       ids::Command2, ids::cmdOptions, ids::cmdBack, ids::cmdMount, ids::cmdRemove,
                       ids::optB, ids::Command3, ids::cmdMount}) {
            window.Click(id);
        }
    }
};

TEST_F(CommandBurst, CommandsDuringMountAllAreRefusedAndBothListsAgree) {
    ProgramFolder program("faults-burst");
    ThreeDrives drives(program);
    SlowSubst slow;
    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);

    window.Click(ids::cmdMount);
    ASSERT_TRUE(window.WaitForStatus("Mounting E:....", 30000)) << window.Status();
    PostBurst(window);
    ASSERT_TRUE(window.WaitForStatus(std::string("3") + kMountedSummary)) << window.Status();

    // Nothing but the one Mount All ran: no second mount, no removal, no
    // browser, no option written.
    EXPECT_EQ(program.SubstLog(),
              (std::vector<std::string>{"E: " + ShortPath(drives.Folders()[0]),
                                        "F: " + ShortPath(drives.Folders()[1]),
                                        "G: " + ShortPath(drives.Folders()[2])}));
    EXPECT_FALSE(WaitForMessageBox(kestrova.Id(), 1500).has_value());
    EXPECT_EQ(StoredRunValue(), "");
    EXPECT_EQ(SendMessageA(window.Control(ids::optNone), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(PathExists(program.File("Remove.bat")) || PathExists(program.File("Removea.bat")));
    EXPECT_EQ(WindowText(window.Control(ids::Text1)), "");

    // The two forms of the table agree, row for row.
    EXPECT_EQ(window.Letters(), (std::vector<std::string>{"E:", "F:", "G:"}));
    EXPECT_EQ(window.Images(), (std::vector<int>{0, 0, 0}));
    const std::vector<std::string> onScreen = EntriesOnScreen(window);
    EXPECT_EQ(window.MountEntries(), onScreen);
    EXPECT_EQ(onScreen, drives.Entries());

    PostClose(window.main);
    ASSERT_TRUE(kestrova.WaitForExit(30000));
    EXPECT_EQ(program.Store(), StoreTextOf(onScreen));
}

TEST_F(CommandBurst, ACloseDuringMountAllWaitsForItAndSavesTheRowsShown) {
    ProgramFolder program("faults-burst-close");
    ThreeDrives drives(program);
    SlowSubst slow;
    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);

    window.Click(ids::cmdMount);
    ASSERT_TRUE(window.WaitForStatus("Mounting E:....", 30000)) << window.Status();
    PostBurst(window);
    PostClose(window.main);
    window.Click(ids::cmdMount);
    PostClose(window.main);

    // The window stays until Mount All is done; the rows it shows last are
    // the ones saved. A window being destroyed is hidden first: only what was
    // read from a window still shown, before and after the reading, counts.
    std::vector<std::string> lastEntries;
    int samples = 0;
    int disagreements = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (!IsWindow(window.main) || !IsShown(window.main)) {
                return !IsWindow(window.main);
            }
            const std::vector<std::string> entries = EntriesOnScreen(window);
            const std::vector<std::string> mountList = window.MountEntries();
            if (IsShown(window.main) && entries.size() == 3) {
                ++samples;
                disagreements += entries == mountList ? 0 : 1;
                lastEntries = entries;
            }
            return false;
        },
        60000));
    ASSERT_TRUE(kestrova.WaitForExit(30000));
    EXPECT_EQ(kestrova.ExitCode(), 0u);
    EXPECT_GT(samples, 0);
    EXPECT_EQ(disagreements, 0);
    EXPECT_EQ(lastEntries, drives.Entries());
    EXPECT_EQ(program.Store(), StoreTextOf(lastEntries));
    // The close came after every drive was mounted, and nothing else ran.
    EXPECT_TRUE(Mapped('E') && Mapped('F') && Mapped('G'));
    EXPECT_EQ(program.SubstLog().size(), 3u);
    EXPECT_EQ(StoredRunValue(), "");
}

}  // namespace
}  // namespace kestrova
