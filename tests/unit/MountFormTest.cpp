#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/StoreFile.h"
#include "tests/support/fakes/FakeFileSystem.h"
#include "tests/support/fakes/FakeProcessRunner.h"
#include "tests/support/fakes/MemoryRegistry.h"
#include "ui/MountForm.h"

namespace kestrova {
namespace {

using testing::FakeFileSystem;
using testing::FakeProcessRunner;

// Records what the form asks the window to show, in order.
class RecordingView final : public FormView {
  public:
    void ShowTable(const DriveTable& table) override {
        calls.push_back("table " + std::to_string(table.Count()));
        shownEntries = table.MountEntries();
        shownSelection = table.Selected();
    }
    void ShowLetters(const LetterList& letters) override {
        calls.push_back("letters " + letters.SelectedText());
    }
    void SetStatus(const std::string& text) override {
        calls.emplace_back("status");
        status = text;
    }
    void SetFolderText(const std::string& text) override { folderText = text; }
    void SetListTooltip(const std::string& text) override { tooltip = text; }
    void ShowStartupOption(StartupOption option) override {
        static const char* const names[] = {"T", "M", "B", "None"};
        calls.push_back(std::string("option ") + names[static_cast<int>(option)]);
    }
    int ShowMessage(const std::string& text, int style) override {
        calls.emplace_back("message");
        messages.emplace_back(text, style);
        return answer;
    }
    void BringToFront(Pane pane) override {
        calls.emplace_back(pane == Pane::Main ? "front main" : "front options");
    }
    void PumpMessages() override { calls.emplace_back("pump"); }
    void ScreenAndWindowSize(double& screenWidth, double& screenHeight, double& windowWidth,
                             double& windowHeight) override {
        screenWidth = 15360;
        screenHeight = 11520;
        windowWidth = 6601;
        windowHeight = 5100;
    }
    void MoveWindowTo(double left, double top) override {
        calls.emplace_back("move");
        movedLeft = left;
        movedTop = top;
    }
    void ShowWindow() override { calls.emplace_back("show"); }
    void DeleteTrayIcon() override { calls.emplace_back("delete icon"); }
    void UnloadOtherWindows() override { calls.emplace_back("unload others"); }
    bool BrowseForFolder(const std::string& prompt, std::string& folder) override {
        calls.push_back("browse " + prompt);
        folder = nameKept ? browseResult : "";
        return nameKept;
    }
    void FocusBrowseButton() override { calls.emplace_back("focus browse"); }
    void AddNotificationIcon() override { calls.emplace_back("add icon"); }
    void ShowTrayMenu() override { calls.emplace_back("menu"); }
    void SetForeground() override { calls.emplace_back("foreground"); }
    void Repaint() override { calls.emplace_back("repaint"); }
    void HideWindow() override { calls.emplace_back("hide"); }
    void MinimizeWindow() override {
        calls.emplace_back("minimize");
        if (form != nullptr) {
            form->Form_Resize(true);  // as the window reports its new state
        }
    }
    void RestoreWindow() override { calls.emplace_back("restore"); }
    MountForm* form = nullptr;
    void DestroyNow() override { calls.emplace_back("destroy"); }
    void RequestClose() override { calls.emplace_back("close"); }
    void EndProcess() override { calls.emplace_back("end process"); }

    std::vector<std::string> calls;
    std::vector<std::string> shownEntries;
    std::optional<std::size_t> shownSelection;
    std::string status;
    std::string folderText = "C:\\Chosen";
    std::string tooltip;
    std::vector<std::pair<std::string, int>> messages;
    std::string browseResult;
    bool nameKept = true;
    int answer = 1;  // IDOK
    double movedLeft = -1;
    double movedTop = -1;
};

class FakeInstanceGuard final : public InstanceGuard {
  public:
    bool AnotherInstanceRunning() override {
        asked = true;
        return another;
    }
    void ShowRunningCopy() override { ++shows; }
    bool another = false;
    bool asked = false;
    int shows = 0;
};

const std::string kFolder = "C:\\Kestrova";
const std::string kStore = "C:\\Kestrova\\Shrt.dat";
const std::string kRescueFolder = "C:\\Users\\You\\AppData\\Local\\Kestrova";

class MountFormTest : public ::testing::Test {
  protected:
    MountFormTest() : form(view, fs, processes, instances, registry, kFolder, kRescueFolder) {
        view.form = &form;
        fs.AddDrive("C:");
        fs.AddDrive("D:");
        fs.AddFolder(kFolder);
        fs.AddFolder("C:\\Work");
        fs.AddFolder("C:\\Program Files", "PROGRA~1");
        fs.AddDrive("E:");  // mounted
        run.hKey(kHkeyCurrentUser);
        run.KeyRoot("Software\\Microsoft\\Windows\\CurrentVersion");
        run.SubKey("Run");
        run.CreateKey();
    }
    std::string RunValue() {
        const Variant value = run.GetRegistryValue("Kestrova");
        return value.Text() != nullptr ? *value.Text() : "(none)";
    }

    void Load(const std::string& store, const std::string& arguments = {}) {
        fs.AddFile(kStore, store);
        StartupMode mode = StartupMode::Normal;
        ASSERT_TRUE(form.Form_Load(arguments, mode));
    }

    FakeFileSystem fs;
    FakeProcessRunner processes;
    FakeInstanceGuard instances;
    testing::MemoryRegistry registry;
    RegistryRoutines run{registry};
    RecordingView view;
    MountForm form;
};

TEST(StartupModeTest, OnlyTheWholeSwitchCountsWhateverItsCase) {
    EXPECT_EQ(StartupModeFor("/M"), StartupMode::MountAndExit);
    EXPECT_EQ(StartupModeFor("/m"), StartupMode::MountAndExit);
    EXPECT_EQ(StartupModeFor("/r"), StartupMode::RemoveAndExit);
    EXPECT_EQ(StartupModeFor("/T"), StartupMode::Tray);
    EXPECT_EQ(StartupModeFor("/b"), StartupMode::TrayAndMount);
    for (const char* normal : {"", "/M /T", "-M", "/M ", " /M", "/X", "/BT", "M"}) {
        EXPECT_EQ(StartupModeFor(normal), StartupMode::Normal) << normal;
    }
}

TEST(StartupModeTest, ArgumentTextIsWhatFollowsTheProgramName) {
    EXPECT_EQ(ArgumentText("\"C:\\Program Files\\Kestrova\\Kestrova.exe\" /M"), "/M");
    EXPECT_EQ(ArgumentText("Kestrova.exe /M "), "/M ");
    EXPECT_EQ(ArgumentText("Kestrova.exe   /M /T"), "/M /T");
    EXPECT_EQ(ArgumentText("Kestrova.exe"), "");
    EXPECT_EQ(ArgumentText("\"C:\\Kestrova.exe\""), "");
}

// Command lines that no Run value or shortcut of ours produces: each must give
// the normal start (never a mount or a removal) and never read past the text.
TEST(StartupModeTest, BadCommandLinesGiveTheNormalStart) {
    const std::string huge(40000, 'M');
    const std::vector<std::string> arguments = {
        "/" + huge,
        huge + " /M",
        "\"/M\"",
        "'/R'",
        "/M /T /B",
        "/R/R",
        "/M\t/R",
        "/\xCD",           // a non-ASCII byte in place of the letter
        "/M\xA0",          // a no-break space of the ANSI code page after the switch
        "\xEF\xBB\xBF/M",  // a UTF-8 byte-order mark before it
        std::string("/M\0", 3),
        "\xFF\xFE\xFD",
    };
    for (const std::string& argument : arguments) {
        EXPECT_EQ(StartupModeFor(argument), StartupMode::Normal) << argument.substr(0, 20);
    }
}

TEST(StartupModeTest, ArgumentTextSurvivesMalformedProgramNames) {
    // An unclosed quote takes the whole line as the program name.
    EXPECT_EQ(ArgumentText("\"C:\\Kestrova.exe /M"), "");
    EXPECT_EQ(ArgumentText("\""), "");
    EXPECT_EQ(ArgumentText(""), "");
    // Tabs separate like blanks; bytes above 0x7F belong to the name.
    EXPECT_EQ(ArgumentText("C:\\K\xE9strova.exe\t/T"), "/T");
    EXPECT_EQ(ArgumentText("\"C:\\\xC6\xF8\\Kestrova.exe\"/B"), "/B");
    const std::string huge(100000, '\xE9');
    EXPECT_EQ(ArgumentText("Kestrova.exe " + huge), huge);
    EXPECT_EQ(StartupModeFor(ArgumentText("\"C:\\" + huge + "\\Kestrova.exe\" /m")),
              StartupMode::MountAndExit);
}

TEST(ExploreTest, CommandLinesForEveryFlagCombination) {
    EXPECT_EQ(ExploreCommandLine("P", "", false, true, false), "explorer.exe /e,P");
    EXPECT_EQ(ExploreCommandLine("P", "R", true, true, true), "explorer.exe /e,/root, R,/select,P");
    EXPECT_EQ(ExploreCommandLine("P", "", false, false, false), "explorer.exe /n,P");
    EXPECT_EQ(ExploreCommandLine("P", "", false, false, true), "explorer.exe ,P");
    EXPECT_EQ(ExploreCommandLine("", "", false, false, false), "explorer.exe /n");
}

TEST_F(MountFormTest, SecondCopyEndsBeforeReadingOrWritingAnything) {
    instances.another = true;
    StartupMode mode = StartupMode::Normal;
    EXPECT_FALSE(form.Form_Load("/M", mode));
    EXPECT_TRUE(instances.asked);
    EXPECT_EQ(instances.shows, 0);  // a start with a switch asks nothing of the other copy
    EXPECT_FALSE(form.Form_Load("", mode));
    EXPECT_EQ(instances.shows, 1);  // a user's start brings the other copy's window
    EXPECT_TRUE(view.calls.empty());
    EXPECT_TRUE(fs.Queries().empty());
    EXPECT_FALSE(fs.Exists(kStore));
}

TEST_F(MountFormTest, StartUpRunsInItsFixedOrder) {
    StartupMode mode = StartupMode::Tray;  // Form_Load must set it
    ASSERT_TRUE(form.Form_Load("", mode));
    EXPECT_EQ(mode, StartupMode::Normal);
    EXPECT_TRUE(fs.Exists(kStore));  // created empty
    EXPECT_EQ(fs.Contents(kStore), "");
    const std::vector<std::string> expected = {"letters A:", "table 0", "status",    "pump",
                                               "move",       "show",    "front main"};
    EXPECT_EQ(view.calls, expected);
    EXPECT_EQ(view.status, "Virtual Drives");
    EXPECT_DOUBLE_EQ(view.movedLeft, 4379.5);  // fractional centring
    EXPECT_DOUBLE_EQ(view.movedTop, 3210);
}

TEST_F(MountFormTest, EachModeRunsItsRoutineInsteadOfShowingTheWindow) {
    std::vector<std::string> ran;
    form.mountAllAndExit = [&] { ran.emplace_back("mount and exit"); };
    form.addTrayIcon = [&] { ran.emplace_back("tray"); };
    Load("E:-C:\\WORK\r\n", "/t");
    EXPECT_EQ(ran, std::vector<std::string>{"tray"});
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "show"), 0);
    EXPECT_EQ(view.calls.back(), "front main");
    EXPECT_EQ(form.Table().Count(), 1u);  // the table is loaded before the mode runs
}

TEST_F(MountFormTest, StatusIsDecidedByTheLastRowOnly) {
    Load("F:-C:\\WORK\r\nG:-C:\\WORK\r\nE:-C:\\WORK\r\n");
    EXPECT_EQ(view.status, "3 Virtual Drives (Mounted)");
    fs.AddFile(kStore, "E:-C:\\WORK\r\nE:-C:\\WORK\r\nF:-C:\\WORK\r\n");
    form.RefreshDriveList();
    EXPECT_EQ(view.status, "3 Virtual Drives (Red X indicates Drive is Not Mounted)");
    EXPECT_TRUE(form.Table().Row(0).mounted);
    EXPECT_FALSE(form.Table().Selected().has_value());
}

TEST_F(MountFormTest, RebuildAfterAChangeKeepsTheChange) {
    Load("E:-C:\\WORK\r\nF:-C:\\PROGRA~1\r\n");
    form.Table().RemoveAt(0);
    form.Table().Append({"G:", "C:\\Program Files", "C:\\PROGRA~1", true, false});
    form.MarkTableChanged();
    form.RefreshDriveList();
    EXPECT_EQ(form.Table().MountEntries(),
              (std::vector<std::string>{"F:-C:\\PROGRA~1", "G:-C:\\PROGRA~1"}));
    EXPECT_EQ(fs.Contents(kStore), "F:-C:\\PROGRA~1\r\nG:-C:\\PROGRA~1\r\n");
    EXPECT_EQ(view.shownEntries, form.Table().MountEntries());

    // When that save fails, the rows in memory stay as they are.
    form.Table().RemoveAt(0);
    form.MarkTableChanged();
    fs.SetReadOnly(kStore);
    form.RefreshDriveList();
    EXPECT_EQ(form.Table().MountEntries(), std::vector<std::string>{"G:-C:\\PROGRA~1"});
    EXPECT_EQ(view.status, "1 Virtual Drives (Red X indicates Drive is Not Mounted)");
}

TEST_F(MountFormTest, UnreadableStoreKeepsTheRowsAndSaysSo) {
    Load("E:-C:\\WORK\r\n");
    fs.SetUnreadable(kStore);
    form.RefreshDriveList();
    EXPECT_EQ(form.Table().Count(), 1u);
    EXPECT_NE(view.status.find("could not be read"), std::string::npos);
}

TEST_F(MountFormTest, ClickSelectsTheSameEntryInBothListsAndEmptiesTheFolder) {
    Load("E:-C:\\WORK\r\nF:-C:\\PROGRA~1\r\n");
    form.lstDrives_Click(1);
    ASSERT_TRUE(view.shownSelection.has_value());
    EXPECT_EQ(form.Table().MountEntry(*view.shownSelection), "F:-C:\\PROGRA~1");
    EXPECT_EQ(view.folderText, "");
    form.lstDrives_Click(std::nullopt);  // empty space
    EXPECT_FALSE(view.shownSelection.has_value());
}

TEST_F(MountFormTest, DoubleClickOpensAnExistingFolderOrSaysItIsNotAvailable) {
    Load("E:-C:\\WORK\r\nF:-C:\\GONE\r\n");
    form.lstDrives_DblClick(0, 0);  // a current row but no selection
    EXPECT_TRUE(processes.events.empty());
    form.lstDrives_DblClick(1, 0);
    ASSERT_EQ(processes.CommandLines(), std::vector<std::string>{"explorer.exe /e,C:\\Work"});
    EXPECT_EQ(processes.events[0].style, WindowStyle::Normal);
    form.lstDrives_DblClick(1, 1);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, "C:\\GONE is not avalailable.     ");
    EXPECT_EQ(view.messages[0].second, 16);
    EXPECT_EQ(processes.events.size(), 1u);
}

TEST_F(MountFormTest, MouseMoveHintDependsOnTheList) {
    Load("");
    form.lstDrives_MouseMove();
    EXPECT_EQ(view.tooltip, "Click the Browse button to add a Virtual Drive");
    form.Table().Append({"E:", "C:\\Work", "C:\\WORK", true, true});
    form.lstDrives_MouseMove();
    EXPECT_EQ(view.tooltip, "Double click a Virtual Drive to open the Directory");
}

TEST_F(MountFormTest, UnloadSavesOnceAndLetsGoOfTheRest) {
    Load("E:-C:\\WORK\r\n");
    form.Table().Append({"F:", "C:\\Program Files", "C:\\PROGRA~1", true, false});
    view.calls.clear();
    form.Form_Unload();
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\Work\r\nF:-C:\\PROGRA~1\r\n");
    EXPECT_EQ(view.calls, (std::vector<std::string>{"delete icon", "unload others"}));
    form.Form_Unload();
    EXPECT_EQ(view.calls.size(), 2u);
}

TEST_F(MountFormTest, UnloadThatCannotSaveSaysSo) {
    Load("E:-C:\\WORK\r\n");
    fs.SetReadOnly(kStore);
    form.Form_Unload();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].second, 48);
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\WORK\r\n");
}

// Mounting plays subst's part in the fake: a started mount line maps its
// letter, so the rebuild afterwards sees the drive.
class MountAllTest : public MountFormTest {
  protected:
    MountAllTest() {
        processes.onStart = [this](const std::string& line) {
            view.calls.push_back("start " + line);
            if (line.rfind("subst.exe ", 0) == 0 && line.find(" /d") == std::string::npos) {
                fs.AddDrive(line.substr(10, 2));
            }
        };
    }
};

TEST_F(MountAllTest, EachEntryIsAnnouncedBeforeItsSubstRuns) {
    Load("F:-C:\\WORK\r\nG:-C:\\MY-DIR\\MY-FOL~1\r\nH:-\"\\\\srv\\x\"\r\n");
    view.calls.clear();
    form.cmdMount_Click();
    const std::vector<std::string> expectedStarts = {"start subst.exe F: C:\\WORK",
                                                     "start subst.exe G: C:\\MY-DIR\\MY-FOL~1",
                                                     "start subst.exe H: \"\\\\srv\\x\""};
    std::vector<std::string> starts;
    std::size_t statusesBeforeStart = 0;
    for (std::size_t i = 0; i < view.calls.size(); ++i) {
        if (view.calls[i].rfind("start ", 0) == 0) {
            starts.push_back(view.calls[i]);
            // status, pump, then the start
            ASSERT_GE(i, 2u);
            EXPECT_EQ(view.calls[i - 1], "pump");
            EXPECT_EQ(view.calls[i - 2], "status");
            ++statusesBeforeStart;
        }
    }
    EXPECT_EQ(starts, expectedStarts);
    EXPECT_EQ(statusesBeforeStart, 3u);
    // Free letters: F:, G:, H: are taken now, and the first free one (A:) is dropped.
    EXPECT_EQ(form.Letters().SelectedText(), "B:");
    EXPECT_EQ(form.Letters().items[1], "I:");
    EXPECT_EQ(view.status, "3 Virtual Drives (Mounted)");
    for (const DriveRow& row : form.Table().Rows()) {
        EXPECT_TRUE(row.mounted) << row.letter;
    }
}

TEST_F(MountAllTest, StatusShowsEachDriveInTurn) {
    std::vector<std::string> seen;
    Load("F:-C:\\WORK\r\nG:-C:\\WORK\r\n");
    processes.onStart = [&](const std::string&) { seen.push_back(view.status); };
    form.MountAllDrives();
    EXPECT_EQ(seen, (std::vector<std::string>{"Mounting F:....", "Mounting G:...."}));
}

TEST_F(MountAllTest, EmptyListShowsAMessageAndStartsNothing) {
    Load("");
    view.calls.clear();
    form.MountAllDrives();
    EXPECT_TRUE(view.calls.empty());
    form.cmdMount_Click();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, "There are no Virtual Drives in the list     ");
    EXPECT_EQ(view.messages[0].second, 64);
    EXPECT_TRUE(processes.events.empty());
}

TEST_F(MountAllTest, UnsavedChangesSurviveTheRebuild) {
    Load("F:-C:\\WORK\r\nG:-C:\\WORK\r\n");
    form.Table().RemoveAt(0);
    form.Table().Append({"H:", "C:\\Program Files", "C:\\PROGRA~1", true, false});
    form.MarkTableChanged();
    form.MountAllDrives();
    EXPECT_EQ(form.Table().MountEntries(),
              (std::vector<std::string>{"G:-C:\\Work", "H:-C:\\PROGRA~1"}));
}

TEST_F(MountAllTest, SubstThatCannotStartLeavesTheRowsUnmountedAndSaysWhy) {
    fs.AddDrive("F:");  // the letter is in use by something else already
    Load("F:-C:\\WORK\r\nno dash here\r\n");
    processes.startFails = true;
    form.MountAllDrives();
    EXPECT_EQ(processes.CommandLines(), std::vector<std::string>{"subst.exe F: C:\\WORK"});
    EXPECT_FALSE(form.Table().Row(0).mounted);
    EXPECT_NE(view.status.find("subst.exe could not be started"), std::string::npos);
}

TEST_F(MountAllTest, CommandsDuringTheWaitAreRefusedAndACloseWaitsForTheEnd) {
    Load("F:-C:\\WORK\r\nG:-C:\\WORK\r\n");
    int waits = 0;
    processes.onWait = [&] {
        // The window's messages run during the wait: a second Mount All and
        // a close arrive.
        if (waits++ == 0) {
            form.cmdMount_Click();
            EXPECT_FALSE(form.QueryClose());
        }
    };
    view.calls.clear();
    form.cmdMount_Click();
    EXPECT_EQ(processes.CommandLines().size(), 2u);
    EXPECT_FALSE(form.Busy());
    EXPECT_EQ(view.calls.back(), "close");
    EXPECT_TRUE(form.QueryClose());
}

TEST_F(MountAllTest, MountAndExitMountsEverythingAndEndsWithoutSaving) {
    Load("F:-C:\\WORK\r\nG:-C:\\PROGRA~1\r\n", "/m");
    EXPECT_EQ(processes.CommandLines(),
              (std::vector<std::string>{"subst.exe F: C:\\WORK", "subst.exe G: C:\\PROGRA~1"}));
    const auto end = std::find(view.calls.begin(), view.calls.end(), "end process");
    ASSERT_NE(end, view.calls.end());
    EXPECT_EQ(*(end - 1), "pump");
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "show"), 0);
    EXPECT_EQ(fs.Contents(kStore), "F:-C:\\WORK\r\nG:-C:\\PROGRA~1\r\n");
}

TEST_F(MountAllTest, BrowseTakesAFolderButNotADriveRoot) {
    Load("E:-C:\\WORK\r\n");
    form.lstDrives_Click(0);
    view.browseResult = "";  // cancelled
    form.Command2_Click();
    EXPECT_FALSE(form.Table().Selected().has_value());
    EXPECT_EQ(form.PendingFolder(), "");
    EXPECT_TRUE(view.messages.empty());
    EXPECT_NE(std::find(view.calls.begin(), view.calls.end(), "browse Select Folder"),
              view.calls.end());

    view.browseResult = "C:\\";
    form.Command2_Click();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, "C:\\ cannot be mounted as a Virtual Drive     ");
    EXPECT_EQ(view.messages[0].second, 48);
    EXPECT_EQ(form.PendingFolder(), "");
    EXPECT_EQ(view.folderText, "");

    view.browseResult = "C:\\Program Files";
    form.Command2_Click();
    EXPECT_EQ(form.PendingFolder(), "C:\\Program Files");
    EXPECT_EQ(view.folderText, "C:\\Program Files");
}

TEST_F(MountAllTest, CreateDriveWithoutFolderOrRowAsksForADirectory) {
    Load("");
    form.Command3_Click(std::nullopt, false);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, "Please select a Directory to Mount     ");
    EXPECT_EQ(view.messages[0].second, 64);
    EXPECT_TRUE(processes.events.empty());
}

TEST_F(MountAllTest, CreateDriveMapsTheFolderAndAddsTheRowToTheTable) {
    Load("E:-C:\\WORK\r\n");
    view.browseResult = "C:\\Program Files";
    form.Command2_Click();
    ASSERT_EQ(form.Letters().SelectedText(), "A:");
    form.Command3_Click(std::nullopt, false);
    EXPECT_EQ(processes.CommandLines(), std::vector<std::string>{"subst.exe A: C:\\PROGRA~1"});
    ASSERT_EQ(form.Table().Count(), 2u);
    EXPECT_EQ(form.Table().Row(1).letter, "A:");
    EXPECT_EQ(form.Table().Row(1).folder, "C:\\Program Files");
    EXPECT_TRUE(form.Table().Row(1).mounted);
    EXPECT_EQ(form.Table().MountEntry(1), "A:-C:\\PROGRA~1");
    EXPECT_EQ(view.shownEntries, form.Table().MountEntries());
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\WORK\r\n");  // saved when the program ends
    EXPECT_EQ(form.PendingFolder(), "C:\\Program Files");
    // A: is mapped now; the first free letter (B:) is dropped as well.
    EXPECT_EQ(form.Letters().SelectedText(), "F:");
    EXPECT_FALSE(form.Table().Selected().has_value());
}

TEST_F(MountAllTest, CreateDriveUsesTheLetterTheUserChose) {
    Load("");
    view.browseResult = "C:\\Program Files";
    form.Command2_Click();
    form.Combo1_Click(3);
    const std::string chosen = form.Letters().items[3];
    form.Command3_Click(std::nullopt, false);
    EXPECT_EQ(processes.CommandLines(),
              std::vector<std::string>{"subst.exe " + chosen + " C:\\PROGRA~1"});
    ASSERT_EQ(form.Table().Count(), 1u);
    EXPECT_EQ(form.Table().MountEntry(0), chosen + "-C:\\PROGRA~1");
    form.Form_Unload();
    EXPECT_EQ(fs.Contents(kStore), chosen + "-C:\\PROGRA~1\r\n");
}

TEST_F(MountAllTest, AFolderWithoutAShortFormIsStoredAndMountedAsItIs) {
    Load("");
    view.browseResult = "C:\\No Short Form";  // the file system gives it no 8.3 name
    form.Command2_Click();
    form.Command3_Click(std::nullopt, false);
    EXPECT_EQ(processes.CommandLines(),
              std::vector<std::string>{"subst.exe A: \"C:\\No Short Form\""});
    form.Form_Unload();
    EXPECT_EQ(fs.Contents(kStore), "A:-C:\\No Short Form\r\n");
}

TEST_F(MountAllTest, CreateDriveShowsAFailedMappingAsNotMounted) {
    Load("");
    view.browseResult = "C:\\Work";
    form.Command2_Click();
    processes.onStart = nullptr;  // subst runs but maps nothing
    form.Command3_Click(std::nullopt, false);
    ASSERT_EQ(form.Table().Count(), 1u);
    EXPECT_FALSE(form.Table().Row(0).mounted);

    processes.startFails = true;
    form.Command3_Click(std::nullopt, false);
    ASSERT_EQ(form.Table().Count(), 2u);
    EXPECT_FALSE(form.Table().Row(1).mounted);
    EXPECT_NE(view.status.find("could not be started"), std::string::npos);
}

TEST_F(MountAllTest, CreateDriveWithNoFreeLetterAddsNothing) {
    for (char c = 'A'; c <= 'Z'; ++c) {
        fs.AddDrive(std::string{c, ':'});
    }
    Load("");
    view.browseResult = "C:\\Work";
    form.Command2_Click();
    form.Command3_Click(std::nullopt, false);
    EXPECT_TRUE(form.Table().Empty());
    EXPECT_TRUE(processes.events.empty());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].second, 48);
}

TEST_F(MountAllTest, CreateDriveOnASelectedRowMountsItAgainAndSaves) {
    Load("F:-C:\\WORK\r\nG:-C:\\PROGRA~1\r\n");
    form.Table().Append({"H:", "C:\\Work", "C:\\WORK", true, false});
    form.MarkTableChanged();
    form.lstDrives_Click(1);
    form.Command3_Click(1, true);
    EXPECT_EQ(processes.CommandLines(), std::vector<std::string>{"subst.exe G: C:\\PROGRA~1"});
    EXPECT_EQ(fs.Contents(kStore), "F:-C:\\Work\r\nG:-C:\\PROGRA~1\r\nH:-C:\\Work\r\n");
    EXPECT_TRUE(form.Table().Row(1).mounted);
    EXPECT_FALSE(form.Table().Selected().has_value());
    EXPECT_EQ(form.Table().Count(), 3u);

    // A current row that is not selected is mounted by nothing.
    form.Command3_Click(1, false);
    EXPECT_EQ(processes.CommandLines().size(), 1u);
    EXPECT_TRUE(view.messages.empty());

    // A pending folder while a row is current: nothing but the clearing.
    view.browseResult = "C:\\Work";
    form.Command2_Click();
    form.Command3_Click(0, false);
    EXPECT_EQ(processes.CommandLines().size(), 1u);
}

TEST_F(MountAllTest, CreateDriveIsRefusedWhileAnotherCommandWaits) {
    Load("F:-C:\\WORK\r\n");
    view.browseResult = "C:\\Work";
    form.Command2_Click();
    processes.onWait = [&] { form.Command3_Click(std::nullopt, false); };
    form.Command3_Click(std::nullopt, false);
    EXPECT_EQ(processes.CommandLines().size(), 1u);
    EXPECT_EQ(form.Table().Count(), 2u);
}

TEST(RunValueTest, DataIsTheProgramAndItsSwitch) {
    EXPECT_EQ(RunValueData("C:\\Tools\\Kestrova", "/B"), "C:\\Tools\\Kestrova\\Kestrova.exe /B");
    EXPECT_EQ(RunValueData("C:\\", "/T"), "C:\\\\Kestrova.exe /T");  // as composed
    EXPECT_EQ(RunValueData("C:\\Program Files\\Kestrova", "/M"),
              "\"C:\\Program Files\\Kestrova\\Kestrova.exe\" /M");
}

TEST_F(MountFormTest, RunValueReadsBackAsTheFirstSwitchItHolds) {
    Load("E:-C:\\WORK\r\n");
    const struct {
        const char* data;
        StartupOption option;
    } cases[] = {
        {"X:\\K\\Kestrova.exe /M /B", StartupOption::M},
        {"X:\\K\\Kestrova.exe /B", StartupOption::B},
        {"X:\\K\\Kestrova.exe /T", StartupOption::T},
        {"X:\\K\\Kestrova.exe /m", StartupOption::None},
        {"X:\\K\\Kestrova.exe /b", StartupOption::None},
    };
    for (const auto& c : cases) {
        run.SetRegistryValue("Kestrova", c.data, kRegSz);
        form.ReadStartupOption();
        EXPECT_EQ(form.SelectedStartupOption(), c.option) << c.data;
    }
}

TEST_F(MountFormTest, RegisteredModeIsWrittenAgainFromThisFolderAtStartUp) {
    run.SetRegistryValue("Kestrova", "D:\\Old Place\\Kestrova.exe /T", kRegSz);
    Load("");
    EXPECT_EQ(form.SelectedStartupOption(), StartupOption::T);
    EXPECT_EQ(RunValue(), "C:\\Kestrova\\Kestrova.exe /T");  // a moved program re-registers
    form.RefreshDriveList();                                 // already matching: nothing runs again
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "option T"), 1);
}

TEST_F(MountFormTest, MountingOptionsNeedDrivesAndFallBackToNone) {
    run.SetRegistryValue("Kestrova", "C:\\Kestrova\\Kestrova.exe /B", kRegSz);
    Load("");
    // "/B" with an empty table: the value is deleted, then the message, once.
    EXPECT_EQ(RunValue(), "(none)");
    EXPECT_EQ(form.SelectedStartupOption(), StartupOption::None);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, "There are no Virtual Drives in the list to Mount    ");
    EXPECT_EQ(view.messages[0].second, 64);

    form.opt_Click(StartupOption::M);
    EXPECT_EQ(RunValue(), "(none)");
    EXPECT_EQ(view.messages.size(), 2u);
    form.opt_Click(StartupOption::T);  // needs no drives
    EXPECT_EQ(RunValue(), "C:\\Kestrova\\Kestrova.exe /T");
    form.opt_Click(StartupOption::None);
    EXPECT_EQ(RunValue(), "(none)");
    form.opt_Click(StartupOption::None);  // no value: nothing visible happens
    EXPECT_EQ(view.messages.size(), 2u);
}

TEST_F(MountFormTest, OptionsWriteTheRunValueWhenThereAreDrives) {
    Load("E:-C:\\WORK\r\n");
    form.opt_Click(StartupOption::B);
    EXPECT_EQ(RunValue(), "C:\\Kestrova\\Kestrova.exe /B");
    form.opt_Click(StartupOption::M);
    EXPECT_EQ(RunValue(), "C:\\Kestrova\\Kestrova.exe /M");
    // Selecting the selected option again from code runs nothing.
    run.DeleteValue("Kestrova");
    form.SelectStartupOption(StartupOption::M);
    EXPECT_EQ(RunValue(), "(none)");
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(MountFormTest, PaneButtonsOnlyChangeWhichPaneIsInFront) {
    Load("E:-C:\\WORK\r\n");
    run.SetRegistryValue("Kestrova", "kept", kRegSz);
    const std::string store = fs.Contents(kStore);
    view.calls.clear();
    form.cmdOptions_Click();
    form.cmdBack_Click();
    EXPECT_EQ(view.calls, (std::vector<std::string>{"front options", "front main"}));
    EXPECT_EQ(RunValue(), "kept");
    EXPECT_EQ(fs.Contents(kStore), store);
}

// Removal plays subst's part too: an unmount line frees its letter.
class RemoveTest : public MountAllTest {
  protected:
    RemoveTest() {
        processes.onStart = [this](const std::string& line) {
            view.calls.push_back("start " + line);
            if (line.size() > 12 && line.find(" /d") != std::string::npos) {
                fs.RemoveDrive(line.substr(10, 2));
            }
        };
    }
};

TEST_F(RemoveTest, RemoveDriveNeedsDrivesAndASelection) {
    Load("");
    form.Command4_Click();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, "There are no Virtual Drives to remove     ");
    EXPECT_EQ(view.messages[0].second, 64);
    EXPECT_EQ(view.calls.back(), "focus browse");
    form.cmdRemove_Click();
    EXPECT_EQ(view.messages.size(), 2u);
    EXPECT_NE(view.calls.back(), "focus browse");  // Remove All leaves the focus

    fs.AddFile(kStore, "E:-C:\\WORK\r\n");
    form.RefreshDriveList();
    form.lstDrives_Click(std::nullopt);
    form.Command4_Click();
    ASSERT_EQ(view.messages.size(), 3u);
    EXPECT_EQ(view.messages[2].first, "Please select a Virtual Drive to remove     ");
    EXPECT_TRUE(processes.events.empty());
    EXPECT_FALSE(fs.Exists("C:\\Kestrova\\Remove.bat"));
}

TEST_F(RemoveTest, RemoveDriveCleansUpUnmountsAndForgetsTheRow) {
    fs.AddDrive("F:");
    run.SetRegistryValue("Kestrova", "C:\\Kestrova\\Kestrova.exe /M", kRegSz);
    Load("E:-C:\\WORK\r\nF:-C:\\MY-DIR\r\n");
    form.lstDrives_Click(1);
    processes.events.clear();
    form.Command4_Click();
    EXPECT_EQ(fs.Contents("C:\\Kestrova\\Remove.bat"),
              "if exist C:\\MY-DIR\\RECYCLER C:\\Kestrova\\rm /y C:\\MY-DIR\\RECYCLER\r\n"
              "del C:\\Kestrova\\Remove.bat\r\nExit\r\n");
    EXPECT_EQ(processes.CommandLines(),
              (std::vector<std::string>{"C:\\Kestrova\\Remove.bat", "subst.exe F: /d"}));
    EXPECT_EQ(processes.events[0].style, WindowStyle::Hidden);
    EXPECT_EQ(processes.events[1].kind, testing::FakeProcessRunner::Event::Kind::Start);
    EXPECT_EQ(form.Table().MountEntries(), std::vector<std::string>{"E:-C:\\WORK"});
    EXPECT_EQ(form.Letters().SelectedText(), "A:");
    EXPECT_EQ(RunValue(), "C:\\Kestrova\\Kestrova.exe /M");              // drives are left
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\WORK\r\nF:-C:\\MY-DIR\r\n");  // until the unload

    form.lstDrives_Click(0);
    form.Command4_Click();  // the last drive: the option falls back to none
    EXPECT_TRUE(form.Table().Empty());
    EXPECT_EQ(form.SelectedStartupOption(), StartupOption::None);
    EXPECT_EQ(RunValue(), "(none)");
    form.Form_Unload();
    EXPECT_EQ(fs.Contents(kStore), "");
}

TEST_F(RemoveTest, RemoveAllGoesFromTheLastRowToTheFirst) {
    Load("E:-C:\\WORK\r\nF:-\"\\\\srv\\share\"\r\nG:-C:\\PROGRA~1\r\n");
    form.opt_Click(StartupOption::T);
    view.calls.clear();
    form.cmdRemove_Click();
    EXPECT_EQ(fs.Contents("C:\\Kestrova\\Removea.bat"),
              "if exist C:\\WORK\\RECYCLER C:\\Kestrova\\rm /y C:\\WORK\\RECYCLER\r\n"
              "if exist C:\\PROGRA~1\\RECYCLER C:\\Kestrova\\rm /y C:\\PROGRA~1\\RECYCLER\r\n"
              "del C:\\Kestrova\\Removea.bat\r\nExit\r\n");
    EXPECT_EQ(processes.CommandLines(),
              (std::vector<std::string>{"C:\\Kestrova\\Removea.bat", "subst.exe G: /d",
                                        "subst.exe F: /d", "subst.exe E: /d"}));
    EXPECT_EQ(view.status, "Virtual Drives");
    EXPECT_TRUE(form.Table().Empty());
    EXPECT_EQ(form.SelectedStartupOption(), StartupOption::None);
    EXPECT_EQ(RunValue(), "(none)");
}

TEST_F(RemoveTest, RemoveAllShowsEachDriveBeforeItGoes) {
    Load("E:-C:\\WORK\r\nF:-C:\\WORK\r\nG:-C:\\WORK\r\n");
    std::vector<std::string> seen;
    processes.onStart = [&](const std::string& line) {
        if (line.rfind("subst.exe", 0) == 0) {
            seen.push_back(view.status);
        }
    };
    form.cmdRemove_Click();
    EXPECT_EQ(seen,
              (std::vector<std::string>{"Removing Virtual Drive G:", "Removing Virtual Drive F:",
                                        "Removing Virtual Drive E:"}));
    EXPECT_EQ(view.status, "Virtual Drives");
}

TEST_F(RemoveTest, ABatchFileThatCannotBeWrittenIsNotStartedAndTheRemovalGoesOn) {
    Load("E:-C:\\WORK\r\n");
    fs.SetReadOnly(kFolder);
    form.lstDrives_Click(0);
    processes.events.clear();
    form.Command4_Click();
    EXPECT_EQ(processes.CommandLines(), std::vector<std::string>{"subst.exe E: /d"});
    EXPECT_TRUE(form.Table().Empty());
    EXPECT_NE(view.status.find("Clean-up skipped"), std::string::npos);
}

TEST_F(RemoveTest, RemoveAllAndExitUnmountsEverythingAndEmptiesTheStore) {
    Load("E:-C:\\WORK\r\nF:-C:\\WORK\r\nG:-C:\\WORK\r\n", "/R");
    EXPECT_EQ(processes.CommandLines(),
              (std::vector<std::string>{"subst.exe G: /d", "subst.exe F: /d", "subst.exe E: /d"}));
    EXPECT_EQ(fs.Contents(kStore), "");
    EXPECT_FALSE(fs.Exists("C:\\Kestrova\\Removea.bat"));
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "show"), 0);
    EXPECT_EQ(view.calls.back(), "destroy");
    EXPECT_TRUE(form.Unloaded());
}

TEST_F(MountFormTest, TrayStartAddsTheIconWithoutShowingTheWindow) {
    Load("E:-C:\\WORK\r\n", "/T");
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "show"), 0);
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "add icon"), 1);
    EXPECT_TRUE(form.IconAdded());
    EXPECT_TRUE(processes.events.empty());
}

TEST_F(MountFormTest, TrayAndMountStartMountsFirst) {
    Load("F:-C:\\WORK\r\n", "/b");
    ASSERT_EQ(processes.CommandLines(), std::vector<std::string>{"subst.exe F: C:\\WORK"});
    const auto icon = std::find(view.calls.begin(), view.calls.end(), "add icon");
    ASSERT_NE(icon, view.calls.end());
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "show"), 0);
}

TEST_F(MountFormTest, IconMessagesRestoreOrOpenTheMenu) {
    Load("");
    for (unsigned code : {514u, 515u}) {
        view.calls.clear();
        form.TrayIcon_Message(code);
        EXPECT_EQ(view.calls, std::vector<std::string>{"restore"}) << code;
    }
    view.calls.clear();
    form.TrayIcon_Message(517);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"foreground", "menu"}));
    view.calls.clear();
    for (unsigned code : {512u, 513u, 516u, 518u, 0u}) {
        form.TrayIcon_Message(code);
    }
    EXPECT_TRUE(view.calls.empty());
}

TEST_F(MountFormTest, CloseAndMinimiseFollowTheRegisteredMode) {
    Load("E:-C:\\WORK\r\n", "/T");  // started with /T ...
    const struct {
        const char* value;  // nullptr: no value
        bool tray;
    } cases[] = {{"X:\\Kestrova.exe /B", true},
                 {"X:\\Kestrova.exe /T", true},
                 {"X:\\Kestrova.exe /M", false},
                 {"X:\\Kestrova.exe /t", false},
                 {nullptr, false}};
    for (const auto& c : cases) {
        if (c.value != nullptr) {
            run.SetRegistryValue("Kestrova", c.value, kRegSz);
        } else {
            run.DeleteValue("Kestrova");
        }
        view.calls.clear();
        EXPECT_EQ(form.Form_QueryUnload(true), !c.tray) << (c.value ? c.value : "none");
        EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "hide"), c.tray ? 1 : 0);
        EXPECT_TRUE(form.Form_QueryUnload(false));  // any other close goes ahead
        view.calls.clear();
        form.Form_Resize(true);
        EXPECT_EQ(view.calls,
                  c.tray ? std::vector<std::string>{"hide"} : std::vector<std::string>{});
    }
    // ... but with "/M" registered, a title-bar close ends it.
    run.SetRegistryValue("Kestrova", "X:\\Kestrova.exe /M", kRegSz);
    EXPECT_TRUE(form.Form_QueryUnload(true));
}

TEST_F(MountFormTest, AnUnreadableRunKeyCountsAsNoTrayMode) {
    Load("E:-C:\\WORK\r\n");
    run.SetRegistryValue("Kestrova", "X:\\Kestrova.exe /T", kRegSz);
    registry.FailCall(testing::MemoryRegistry::Call::OpenKey, 5);
    EXPECT_FALSE(form.TrayModeRegistered());
}

TEST_F(MountFormTest, MinimisingIntoTheTrayAddsTheIconFirst) {
    Load("E:-C:\\WORK\r\n");
    run.SetRegistryValue("Kestrova", "X:\\Kestrova.exe /B", kRegSz);
    view.calls.clear();
    form.Form_Resize(true);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint", "front main", "add icon", "hide"}));
    form.TaskbarCreated();  // Explorer came back: so does the icon
    EXPECT_EQ(view.calls.back(), "add icon");
}

TEST_F(MountFormTest, MenuCloseUnloadsAndSaves) {
    Load("E:-C:\\WORK\r\n", "/T");
    form.Table().Append({"F:", "C:\\Work", "C:\\WORK", true, false});
    form.mPopExit_Click();
    EXPECT_TRUE(form.Unloaded());
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\Work\r\nF:-C:\\Work\r\n");
    EXPECT_EQ(view.calls.back(), "destroy");
}

TEST_F(MountFormTest, AnOptionTheRegistryRefusesIsReportedAndTheOptionShownGoesBack) {
    Load("E:-C:\\WORK\r\n");
    form.opt_Click(StartupOption::T);
    ASSERT_EQ(RunValue(), "C:\\Kestrova\\Kestrova.exe /T");
    const std::string refused =
        "The startup option could not be saved in the registry; Windows startup is unchanged.     ";

    registry.FailCall(testing::MemoryRegistry::Call::SetValue, 5);
    view.calls.clear();
    form.opt_Click(StartupOption::M);
    EXPECT_EQ(RunValue(), "C:\\Kestrova\\Kestrova.exe /T");
    EXPECT_EQ(form.SelectedStartupOption(), StartupOption::T);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"option M", "option T", "message"}));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], (std::pair<std::string, int>{refused, 48}));

    // A key that cannot be opened for writing refuses the delete too.
    registry.FailCall(testing::MemoryRegistry::Call::OpenKey, 5);
    form.opt_Click(StartupOption::None);
    EXPECT_EQ(RunValue(), "C:\\Kestrova\\Kestrova.exe /T");
    EXPECT_EQ(form.SelectedStartupOption(), StartupOption::T);
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1].first, refused);

    // Once the registry takes the writes again, so do the options.
    form.opt_Click(StartupOption::None);
    EXPECT_EQ(RunValue(), "(none)");
    form.opt_Click(StartupOption::None);  // no value left to delete: no failure
    EXPECT_EQ(form.SelectedStartupOption(), StartupOption::None);
    EXPECT_EQ(view.messages.size(), 2u);
}

TEST_F(MountFormTest, ChangesToATableWhoseStoreWasNotReadAreReportedAsNotSaved) {
    Load("E:-C:\\WORK\r\n");
    fs.SetUnreadable(kStore);
    form.RefreshDriveList();
    form.Form_Unload();  // nothing changed: nothing to say
    EXPECT_TRUE(view.messages.empty());

    MountForm changed(view, fs, processes, instances, registry, kFolder, kRescueFolder);
    StartupMode mode = StartupMode::Normal;
    ASSERT_TRUE(changed.Form_Load({}, mode));
    ASSERT_TRUE(changed.Table().StoreUnread());
    changed.Table().Append({"F:", "C:\\Work", "C:\\WORK", true, false});
    changed.MarkTableChanged();
    changed.Form_Unload();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first,
              "The Virtual Drives could not be saved: Shrt.dat could not be read, so it is left as "
              "it was.     ");
    EXPECT_EQ(view.messages[0].second, 48);
}

TEST_F(MountAllTest, AStoreThatCannotBeReadAfterMountAllKeepsTheRowsWithTheirNewState) {
    Load("F:-C:\\WORK\r\nG:-C:\\WORK\r\n");
    ASSERT_FALSE(form.Table().Row(0).mounted);
    fs.SetUnreadable(kStore);
    form.MountAllDrives();
    EXPECT_EQ(form.Table().MountEntries(),
              (std::vector<std::string>{"F:-C:\\WORK", "G:-C:\\WORK"}));
    EXPECT_TRUE(form.Table().Row(0).mounted);
    EXPECT_TRUE(form.Table().Row(1).mounted);
    EXPECT_EQ(view.status, "Shrt.dat could not be read: the drives shown are the ones in memory");
}

TEST_F(RemoveTest, WithoutSubstARemovedDriveKeepsItsRowAndTheStatusSaysSo) {
    Load("E:-C:\\WORK\r\nF:-C:\\WORK\r\n");
    form.opt_Click(StartupOption::T);
    processes.startFails = true;
    form.lstDrives_Click(0);
    form.Command4_Click();
    EXPECT_EQ(form.Table().MountEntries(),
              (std::vector<std::string>{"E:-C:\\WORK", "F:-C:\\WORK"}));
    EXPECT_EQ(view.status, "subst.exe could not be started: E: was not removed");
    EXPECT_FALSE(form.Busy());

    form.cmdRemove_Click();
    EXPECT_EQ(form.Table().Count(), 2u);
    EXPECT_EQ(view.status, "subst.exe could not be started: 2 Virtual Drives were not removed");
    EXPECT_EQ(form.SelectedStartupOption(), StartupOption::T);  // there are drives still
    EXPECT_EQ(RunValue(), "C:\\Kestrova\\Kestrova.exe /T");
    form.Form_Unload();
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\Work\r\nF:-C:\\Work\r\n");
}

TEST_F(RemoveTest, ABatchFileCutOffByAFullDiskIsNotLeftBehind) {
    Load("E:-C:\\WORK\r\n");
    fs.SetDiskFullAfter(20);
    form.lstDrives_Click(0);
    form.Command4_Click();
    EXPECT_FALSE(fs.Exists("C:\\Kestrova\\Remove.bat"));
    EXPECT_TRUE(form.Table().Empty());
    EXPECT_EQ(view.status, "Clean-up skipped: Remove.bat could not be written or started");
}

}  // namespace
}  // namespace kestrova
