#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/fakes/FakeFileSystem.h"
#include "tests/support/fakes/FakeProcessRunner.h"
#include "tests/support/fakes/MemoryRegistry.h"
#include "ui/MountForm.h"

namespace kestrova {
namespace {

using Lines = std::vector<std::string>;
using testing::MemoryRegistry;

constexpr int kAnswerOk = 1;
constexpr int kAnswerNo = 7;

// A message box as the form asked for it: its text and style.
using Message = std::pair<std::string, int>;
// Most boxes pad their text with five blanks.
Message Said(const std::string& text, int style) {
    return {text + "     ", style};
}
using Messages = std::vector<Message>;

// What the form asks the window to show, and the other running copy; the
// calls that carry nothing are recorded by name.
class RecordingView final : public FormView, public InstanceGuard {
  public:
    void ShowTable(const DriveTable& table) override {
        entries = table.MountEntries();
        selection = table.Selected();
    }
    void ShowLetters(const LetterList& shown) override { letters = shown.items; }
    void SetStatus(const std::string& text) override { status = text; }
    void SetFolderText(const std::string& text) override { folderText = text; }
    void SetListTooltip(const std::string& /*text*/) override {}
    int ShowMessage(const std::string& text, int style) override {
        messages.push_back({text, style});
        answers.push_back(kAnswerOk);  // OK once the answers set are used up
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowStartupOption(StartupOption option) override { shownOption = option; }
    void BringToFront(Pane pane) override { front = pane; }
    void PumpMessages() override {}
    void ScreenAndWindowSize(double& screenWidth, double& screenHeight, double& windowWidth,
                             double& windowHeight) override {
        std::tie(screenWidth, screenHeight, windowWidth, windowHeight) =
            std::tuple(15360, 11520, 6601, 5100);
    }
    void MoveWindowTo(double left, double top) override { moved = {left, top}; }
    void ShowWindow() override { calls.emplace_back("show"); }
    void DeleteTrayIcon() override { calls.emplace_back("delete icon"); }
    void UnloadOtherWindows() override {}
    bool BrowseForFolder(const std::string& /*prompt*/, std::string& folder) override {
        folder = nameKept ? browsed : "";
        return nameKept;
    }
    void FocusBrowseButton() override { calls.emplace_back("focus browse"); }
    void AddNotificationIcon() override { calls.emplace_back("add icon"); }
    void ShowTrayMenu() override { calls.emplace_back("menu"); }
    void SetForeground() override { calls.emplace_back("foreground"); }
    void Repaint() override {}
    void HideWindow() override { calls.emplace_back("hide"); }
    void MinimizeWindow() override { form->Form_Resize(true); }  // the window reports it
    void RestoreWindow() override { calls.emplace_back("restore"); }
    void DestroyNow() override { calls.emplace_back("destroy"); }
    void RequestClose() override { calls.emplace_back("close later"); }
    void EndProcess() override { calls.emplace_back("end process"); }
    bool AnotherInstanceRunning() override { return another; }
    void ShowRunningCopy() override { calls.emplace_back("show the other copy"); }

    long Count(const std::string& call) const {
        return std::count(calls.begin(), calls.end(), call);
    }

    MountForm* form = nullptr;
    Lines calls, entries, letters;
    Messages messages;
    std::deque<int> answers;  // the buttons pressed, in turn
    std::optional<std::size_t> selection;
    std::string status, folderText, browsed;
    bool nameKept = true;
    bool another = false;
    StartupOption shownOption = StartupOption::None;
    Pane front = Pane::Options;
    std::pair<double, double> moved;
};

const std::string kFolder = "C:\\Kestrova";
const std::string kStore = "C:\\Kestrova\\Shrt.dat";
const std::string kRescueFolder = "C:\\Users\\You\\AppData\\Local\\Kestrova";
const std::string kRescue = kRescueFolder + "\\Shrt.rescue";
const std::string kUserStore = kRescueFolder + "\\Shrt.dat";
const std::string kExe = "C:\\Kestrova\\Kestrova.exe ";
const std::string kBatchStart = "\"C:\\Windows\\system32\\cmd.exe\" /d /v:off /c .\\";
const std::string kNotAll = " Virtual Drives (Red X indicates Drive is Not Mounted)";
const std::string kAll = " Virtual Drives (Mounted)";
const Message kNoneToRemove = Said("There are no Virtual Drives to remove", kStyleInformation);

class MountFormTest : public ::testing::Test {
  protected:
    MountFormTest() : form(view, fs, processes, view, registry, kFolder, kRescueFolder) {
        view.form = &form;
        fs.AddDrive("D:");
        fs.MapDrive("E:", "C:\\Work");  // mounted
        fs.AddFolder("C:\\Work");
        fs.AddFolder(kFolder);
        fs.AddFolder("C:\\Program Files", "PROGRA~1");
        fs.AddFolder("C:\\Users\\You\\AppData\\Local");
        // subst plays its part: a mount maps a free letter onto a folder that
        // is there, an unmount frees a letter; anything else is an error.
        processes.onStart = [this](const std::string& line) {
            if (!line.starts_with("subst.exe ")) {
                return true;
            }
            const std::string letter = line.substr(10, 2);
            std::string folder = line.substr(13);
            std::erase(folder, '"');
            const bool taken = fs.DriveType(letter) != kDriveNoRootDir;
            if (folder == "/d") {
                fs.RemoveDrive(letter);
                return taken;
            }
            if (taken || !fs.Exists(folder)) {
                return false;
            }
            fs.MapDrive(letter, folder);
            return true;
        };
        run.hKey(kHkeyCurrentUser);
        run.KeyRoot("Software\\Microsoft\\Windows\\CurrentVersion");
        run.SubKey("Run");
        run.CreateKey();
    }
    void Load(const std::string& store, const std::string& arguments = {}) {
        fs.AddFile(kStore, store);
        StartupMode mode = StartupMode::Normal;
        ASSERT_TRUE(form.Form_Load(arguments, mode));
    }
    // Another start of the program on the same disk and registry.
    MountForm& Restart(const std::string& arguments = {}, const std::string& folder = kFolder) {
        view.form =
            &restarts.emplace_back(view, fs, processes, view, registry, folder, kRescueFolder);
        StartupMode mode{};
        view.form->Form_Load(arguments, mode);
        return *view.form;
    }
    std::string RunValue() { return run.GetRegistryValue("Kestrova", "(none)").ToText(); }
    void Browse(const std::string& folder) {
        view.browsed = folder;
        view.form->Command2_Click();
    }
    void Create(const std::string& folder) {
        Browse(folder);
        view.form->Command3_Click(std::nullopt, false);
    }
    void Remove(std::size_t row) {
        form.lstDrives_Click(row);
        form.Command4_Click();
    }
    // Neither the program's folder nor the user's can be written.
    void LockBothFolders() {
        fs.AddFolder(kRescueFolder);
        fs.SetReadOnly(kFolder);
        fs.SetReadOnly(kRescueFolder);
    }

    testing::FakeFileSystem fs;
    testing::FakeProcessRunner processes;
    MemoryRegistry registry;
    RegistryRoutines run{registry};
    RecordingView view;
    MountForm form;
    std::deque<MountForm> restarts;
};

TEST(StartupModeTest, OnlyTheWholeSwitchCountsWhateverItsCase) {
    const std::pair<std::string, StartupMode> modes[] = {
        {"/m", StartupMode::MountAndExit},
        {"/R", StartupMode::RemoveAndExit},
        {"/t", StartupMode::Tray},
        {"/B", StartupMode::TrayAndMount},
        {"/M /T", StartupMode::Normal},
        {"-M", StartupMode::Normal},
        {"/M ", StartupMode::Normal},
        {"\"/M\"", StartupMode::Normal},
        {std::string("/M\0", 3), StartupMode::Normal}};
    for (const auto& [argument, mode] : modes) {
        EXPECT_EQ(StartupModeFor(argument), mode) << argument;
    }
    // An unquoted Run value of an older copy, as Windows hands it over, is
    // split at the program's own path.
    const std::string exe = "C:\\Program Files\\Kestrova\\Kestrova.exe";
    struct Split {
        std::string line, program, arguments;
    };
    const Split lines[] = {{"\"C:\\Program Files\\K\\Kestrova.exe\" /M", "", "/M"},
                           {"Kestrova.exe\t /M /T", "", "/M /T"},
                           {"\"C:\\Kestrova.exe /M", "", ""},  // an unclosed quote is all name
                           {"c:\\program files\\kestrova\\KESTROVA.EXE\t/t", exe, "/t"},
                           {exe, exe, ""},
                           {exe + "x /B", exe, "Files\\Kestrova\\Kestrova.exex /B"}};
    for (const Split& split : lines) {
        EXPECT_EQ(ArgumentText(split.line, split.program), split.arguments) << split.line;
    }
}

// The window is centred and shown once; with another copy running, a user's
// start shows that copy, a start with a switch nothing.
TEST_F(MountFormTest, AStartCreatesTheStoreCentresTheWindowAndShowsOneCopy) {
    StartupMode mode = StartupMode::Tray;
    ASSERT_TRUE(form.Form_Load("", mode));
    EXPECT_EQ(mode, StartupMode::Normal);
    EXPECT_TRUE(fs.Exists(kStore));
    EXPECT_EQ(view.moved, std::make_pair(4379.5, 3210.0));
    EXPECT_EQ(view.front, Pane::Main);
    view.another = true;
    MountForm again(view, fs, processes, view, registry, kFolder, kRescueFolder);
    EXPECT_FALSE(again.Form_Load("/M", mode));
    EXPECT_EQ(view.calls, Lines{"show"});
    EXPECT_FALSE(again.Form_Load("", mode));
    EXPECT_EQ(view.calls, (Lines{"show", "show the other copy"}));
}

// "(Mounted)" only when every row is: a red X anywhere says otherwise, and
// every change is summed anew.
TEST_F(MountFormTest, TheStatusSumsTheWholeTableAfterEveryChange) {
    Load("F:-C:\\WORK\r\nE:-C:\\WORK\r\n");
    EXPECT_EQ(view.status, "2" + kNotAll);  // the first not mounted, the last mounted
    Create("C:\\Program Files");
    form.MountAllDrives();
    EXPECT_EQ(view.status, "3" + kAll);
    fs.RemoveDrive("E:");
    form.RefreshDriveList();
    EXPECT_EQ(view.status, "3" + kNotAll);  // the middle row
    form.cmdRemove_Click();
    EXPECT_EQ(view.status, "Virtual Drives");
}

// A rebuild from the file keeps the changes made since the last save; when
// that save fails, or the file cannot be read, the rows in memory stay, with
// their drives' state renewed.
TEST_F(MountFormTest, ARebuildKeepsTheChangesMadeSinceTheLastSave) {
    Load("E:-C:\\WORK\r\nF:-C:\\PROGRA~1\r\n");
    Remove(0);
    Create("C:\\Work");
    form.MountAllDrives();  // ends with a rebuild from the file
    EXPECT_EQ(view.entries, (Lines{"F:-C:\\PROGRA~1", "A:-C:\\Work"}));
    EXPECT_EQ(fs.Contents(kStore), "F:-C:\\PROGRA~1\r\nA:-C:\\Work\r\n");
    Remove(0);
    fs.SetReadOnly(kStore);
    fs.RemoveDrive("A:");
    form.RefreshDriveList();
    EXPECT_EQ(view.entries, Lines{"A:-C:\\Work"});
    EXPECT_EQ(view.status, "1" + kNotAll);
    fs.SetUnreadable(kStore);
    form.RefreshDriveList();
    EXPECT_EQ(view.entries, Lines{"A:-C:\\Work"});
}

TEST_F(MountFormTest, ADoubleClickOpensTheFolderOfTheSelectedRow) {
    fs.AddFolder("C:\\Smith, John", "SMITHJ~1");
    Load("E:-C:\\SMITHJ~1\r\nF:-C:\\GONE\r\n");
    form.lstDrives_DblClick(0, 0);  // a current row but no selection
    form.lstDrives_DblClick(1, 0);
    form.lstDrives_DblClick(1, 1);  // the folder is gone: named as stored
    EXPECT_EQ(processes.started, Lines{"explorer.exe /e,\"C:\\Smith, John\""});
    EXPECT_EQ(view.messages, Messages{Said("C:\\GONE is not avalailable.", kStyleCritical)});
}

// Each mapping is announced and mounted, a quoted folder as it is; a line
// that is no mapping is counted as skipped and never mounted, /M included.
TEST_F(MountFormTest, MountAllAnnouncesEachMappingAndSkipsLinesThatAreNone) {
    Load("F:-C:\\WORK\r\nZZ:-C:\\X\r\nG:-\"\\\\srv\\my share\"\r\n");
    const std::string summary = "3" + kNotAll + ", 1 skipped (not a drive and folder)";
    EXPECT_EQ(view.status, summary);
    Lines seen;
    processes.onWait = [&] { seen.push_back(view.status); };
    form.cmdMount_Click();
    EXPECT_EQ(processes.started,
              (Lines{"subst.exe F: C:\\WORK", "subst.exe G: \"\\\\srv\\my share\""}));
    EXPECT_EQ(seen, (Lines{"Mounting F:....", "Mounting G:...."}));
    EXPECT_EQ(view.status, summary + "; 1 not mounted: G:");
    EXPECT_EQ(view.letters[0], "B:");  // F: and G: taken, and the first free letter dropped

    processes.startFails = true;  // and another program's mapping on F:
    fs.MapDrive("F:", "C:\\Program Files");
    form.MountAllDrives();
    EXPECT_EQ(view.status, summary + "; 2 not mounted: F:, G: (subst.exe could not be started)");

    processes = {};
    fs.RemoveDrive("F:");
    Load("F:-C:\\WORK\r\nZZ:-C:\\X\r\nG:-C:\\PROGRA~1\r\n", "/m");
    EXPECT_EQ(processes.started, (Lines{"subst.exe F: C:\\WORK", "subst.exe G: C:\\PROGRA~1"}));
    EXPECT_EQ(view.calls.back(), "end process");
    EXPECT_EQ(fs.Contents(kStore), "F:-C:\\WORK\r\nZZ:-C:\\X\r\nG:-C:\\PROGRA~1\r\n");
}

TEST_F(MountFormTest, CommandsDuringAWaitAreRefusedAndACloseWaitsForTheEnd) {
    Load("F:-C:\\WORK\r\nG:-C:\\WORK\r\n");
    Browse("C:\\Work");
    int waits = 0;
    processes.onWait = [&] {
        if (waits++ == 0) {  // the window's messages run meanwhile
            form.cmdMount_Click();
            form.Command3_Click(std::nullopt, false);
            form.cmdRemove_Click();
            form.opt_Click(StartupOption::T);
            form.mPopExit_Click();
        }
    };
    form.cmdMount_Click();
    EXPECT_EQ(processes.started.size(), 2u);
    EXPECT_EQ(form.Table().Count(), 2u);
    EXPECT_EQ(RunValue(), "(none)");
    EXPECT_EQ(view.calls.back(), "close later");
    EXPECT_FALSE(form.Busy());
}

TEST_F(MountFormTest, BrowseTakesAFolderButNeitherARootNorANameThatCannotBeKept) {
    Load("E:-C:\\WORK\r\n");
    form.lstDrives_Click(0);
    Browse("");  // cancelled
    EXPECT_FALSE(view.selection.has_value());
    Browse("C:\\");
    EXPECT_EQ(form.PendingFolder() + view.folderText, "");
    view.nameKept = false;
    Browse("C:\\Data");
    EXPECT_EQ(form.PendingFolder(), "");
    view.nameKept = true;
    Browse("C:\\Program Files");
    EXPECT_EQ(view.folderText, "C:\\Program Files");
    EXPECT_EQ(view.messages,
              (Messages{Said("C:\\ cannot be mounted as a Virtual Drive", kStyleExclamation),
                        Said("The name of this folder cannot be kept in Shrt.dat on this system, "
                             "so it cannot be mounted as a Virtual Drive.",
                             kStyleExclamation)}));
}

TEST_F(MountFormTest, CreateDriveMapsTheFolderOnTheChosenLetterAndSavesAtOnce) {
    Load("B:-C:\\PROGRA~1\r\n");  // B: is held, though not mounted
    form.Command3_Click(std::nullopt, false);
    EXPECT_EQ(view.messages,
              Messages{Said("Please select a Directory to Mount", kStyleInformation)});
    EXPECT_EQ(view.letters[1], "F:");
    Browse("C:\\Program Files");
    form.Combo1_Click(1);
    form.Command3_Click(std::nullopt, false);
    form.Combo1_Click(0);
    fs.AddFolder("C:\\No Short Form");
    Create("C:\\No Short Form");
    EXPECT_EQ(processes.started,
              (Lines{"subst.exe F: C:\\PROGRA~1", "subst.exe G: \"C:\\No Short Form\""}));
    EXPECT_TRUE(form.Table().Row(1).mounted);
    EXPECT_EQ(view.letters[0], "H:");  // F: and G: mapped, and the first free one dropped
    EXPECT_EQ(fs.Contents(kStore),
              "B:-C:\\PROGRA~1\r\nF:-C:\\PROGRA~1\r\nG:-C:\\No Short Form\r\n");
}

// A mapping that is not made adds no row and says why, with the letter; the
// letters are renewed either way.
TEST_F(MountFormTest, CreateDriveThatCannotMapSaysSoAndAddsNoRow) {
    Load("");
    Browse("C:\\Work");
    fs.MapDrive("A:", "C:\\Program Files");  // taken between the choice and the click
    form.Command3_Click(std::nullopt, false);
    processes.onStart = [](const std::string&) { return true; };  // "done", but nothing mapped
    form.Command3_Click(std::nullopt, false);
    processes.startFails = true;
    form.Command3_Click(std::nullopt, false);
    for (char c = 'A'; c <= 'Z'; ++c) {
        fs.AddDrive(std::string{c, ':'});
    }
    form.Command3_Click(std::nullopt, false);  // B: taken too: the letters are renewed
    form.Command3_Click(std::nullopt, false);  // and none is free
    const auto failed = [](const std::string& letter, const std::string& why) {
        return Said(letter + " could not be mapped onto C:\\Work: " + why +
                        ".  Choose another letter and press Create Drive again.",
                    kStyleExclamation);
    };
    const std::string taken = "the letter is taken by another drive or folder";
    EXPECT_EQ(view.messages,
              (Messages{failed("A:", taken), failed("B:", "subst.exe did not map it"),
                        failed("B:", "subst.exe could not be started"), failed("B:", taken),
                        Said("There is no free drive letter left to mount the "
                             "folder on.",
                             kStyleExclamation)}));
    EXPECT_TRUE(form.Table().Empty());
    EXPECT_EQ(fs.Contents(kStore), "");
}

TEST_F(MountFormTest, CreateDriveMountsTheSelectedRowAgain) {
    Load("F:-C:\\WORK\r\nG:-C:\\PROGRA~1\r\nZZ:-C:\\X\r\n");
    Browse("C:\\Work");
    form.Command3_Click(0, false);  // a pending folder while a row is current: nothing
    form.lstDrives_Click(1);
    form.Command3_Click(1, false);  // a current row that is not selected: nothing
    EXPECT_TRUE(processes.started.empty());
    form.Command3_Click(1, true);
    EXPECT_EQ(processes.started, Lines{"subst.exe G: C:\\PROGRA~1"});
    EXPECT_TRUE(form.Table().Row(1).mounted);
    EXPECT_FALSE(view.selection.has_value());
    form.lstDrives_Click(2);
    form.Command3_Click(2, true);  // a line that is no mapping is not mounted
    EXPECT_EQ(processes.started.size(), 1u);
    EXPECT_EQ(view.messages, Messages{Said("\"ZZ:-C:\\X\" in Shrt.dat is not a drive letter and "
                                           "a folder, so it cannot be mounted.",
                                           kStyleExclamation)});
}

TEST_F(MountFormTest, OptionsWriteTheRunValueAndReadItBack) {
    run.SetRegistryValue("Kestrova", "D:\\Moved\\Kestrova.exe /T", kRegSz);
    Load("E:-C:\\WORK\r\n");
    EXPECT_EQ(RunValue(), kExe + "/T");  // a moved program registers itself again
    EXPECT_EQ(RunValueData("C:\\Program Files\\K", "/M"),
              "\"C:\\Program Files\\K\\Kestrova.exe\" /M");  // quoted only with a blank
    form.opt_Click(StartupOption::B);
    EXPECT_EQ(RunValue(), kExe + "/B");
    form.opt_Click(StartupOption::None);
    EXPECT_EQ(RunValue(), "(none)");
    form.opt_Click(StartupOption::None);  // no value to delete: nothing to say
    EXPECT_TRUE(view.messages.empty());
    for (const auto& [data, option] : {std::pair{"X:\\Kestrova.exe /M /B", StartupOption::M},
                                       {"X:\\K.exe /B", StartupOption::B},
                                       {"X:\\K.exe /b", StartupOption::None},
                                       {"X:\\K.exe /T", StartupOption::T}}) {
        run.SetRegistryValue("Kestrova", data, kRegSz);
        form.Options().Read();
        EXPECT_EQ(form.Options().Selected(), option) << data;
    }
}

TEST_F(MountFormTest, MountingOptionsNeedDrivesAndARefusedWriteIsReported) {
    run.SetRegistryValue("Kestrova", kExe + "/B", kRegSz);
    Load("");
    EXPECT_EQ(RunValue(), "(none)");  // deleted, then the message
    form.opt_Click(StartupOption::T);
    EXPECT_EQ(RunValue(), kExe + "/T");
    form.opt_Click(StartupOption::M);  // with no drives: falls back to none
    EXPECT_EQ(RunValue(), "(none)");
    registry.FailCall(MemoryRegistry::Call::OpenKey, 5);
    form.opt_Click(StartupOption::T);
    EXPECT_EQ(form.Options().Selected(), StartupOption::None);  // as the Run value is
    EXPECT_EQ(view.shownOption, StartupOption::None);
    const Message noDrives{"There are no Virtual Drives in the list to Mount    ",
                           kStyleInformation};
    EXPECT_EQ(view.messages,
              (Messages{noDrives, noDrives,
                        Said("The startup option could not be saved in the registry; Windows "
                             "startup is unchanged.",
                             kStyleExclamation)}));
}

TEST_F(MountFormTest, RemoveDriveCleansUpUnmountsAndForgetsTheRow) {
    run.SetRegistryValue("Kestrova", kExe + "/M", kRegSz);
    Load("E:-C:\\WORK\r\nF:-C:\\MY-DIR\r\n");
    form.Command4_Click();
    Remove(1);
    EXPECT_EQ(fs.Contents("C:\\Kestrova\\Remove.bat"),
              "if exist \"C:\\MY-DIR\\RECYCLER\" \"C:\\Kestrova\\rm\" /y \"C:\\MY-DIR\\RECYCLER\""
              "\r\ndel \"C:\\Kestrova\\Remove.bat\"\r\nExit\r\n");
    EXPECT_EQ(processes.started, (Lines{kBatchStart + "Remove.bat", "subst.exe F: /d"}));
    EXPECT_EQ(processes.folders[0], kFolder);
    EXPECT_EQ(processes.styles[0], WindowStyle::Hidden);
    EXPECT_EQ(view.entries, Lines{"E:-C:\\WORK"});
    EXPECT_EQ(RunValue(), kExe + "/M");  // drives are left
    Remove(0);
    EXPECT_EQ(RunValue(), "(none)");  // the last one: the option falls back to none
    form.Command4_Click();
    EXPECT_EQ(view.messages,
              (Messages{Said("Please select a Virtual Drive to remove", kStyleInformation),
                        kNoneToRemove}));
    EXPECT_EQ(view.calls.back(), "focus browse");
}

TEST_F(MountFormTest, RemoveAllGoesFromTheLastRowToTheFirst) {
    Load("E:-C:\\WORK\r\nF:-\"\\\\srv\\share\"\r\nno dash\r\nG:-C:\\PROGRA~1\r\n");
    form.opt_Click(StartupOption::T);
    Lines seen;
    processes.onWait = [&] { seen.push_back(view.status); };
    form.cmdRemove_Click();
    EXPECT_EQ(fs.Contents("C:\\Kestrova\\Removea.bat"),  // only plain local folders
              "if exist \"C:\\WORK\\RECYCLER\" \"C:\\Kestrova\\rm\" /y \"C:\\WORK\\RECYCLER\"\r\n"
              "if exist \"C:\\PROGRA~1\\RECYCLER\" \"C:\\Kestrova\\rm\" /y "
              "\"C:\\PROGRA~1\\RECYCLER\"\r\ndel \"C:\\Kestrova\\Removea.bat\"\r\nExit\r\n");
    EXPECT_EQ(processes.started, (Lines{kBatchStart + "Removea.bat", "subst.exe G: /d",
                                        "subst.exe F: /d", "subst.exe E: /d"}));
    EXPECT_EQ(seen, (Lines{"Removing Virtual Drive G:", "Removing Virtual Drive F:",
                           "Removing Virtual Drive E:"}));
    EXPECT_TRUE(view.entries.empty());
    EXPECT_EQ(RunValue(), "(none)");
    form.cmdRemove_Click();
    EXPECT_EQ(view.messages, Messages{kNoneToRemove});
    EXPECT_NE(view.calls.back(), "focus browse");
}

TEST_F(MountFormTest, ARemovalWithoutSubstOrBatchFileKeepsWhatItCouldNotRemove) {
    Load("E:-C:\\WORK\r\nF:-C:\\WORK\r\nG:-C:\\WORK\r\n");
    fs.SetDiskFullAfter(10);  // the batch file is cut off: none is left behind
    Remove(0);
    EXPECT_EQ(processes.started, Lines{"subst.exe E: /d"});
    EXPECT_FALSE(fs.Exists("C:\\Kestrova\\Remove.bat"));
    EXPECT_EQ(view.status, "2" + kNotAll +
                               "; clean-up skipped: Remove.bat could not be written or started; "
                               "not saved: There is not enough space on the disk.");
    fs.SetDiskFullAfter(1 << 20);
    processes.unstartable = {"subst.exe F: /d"};
    Remove(0);
    EXPECT_EQ(view.status, "2" + kNotAll + "; subst.exe could not be started: F: was not removed");
    form.cmdRemove_Click();
    EXPECT_EQ(view.entries, Lines{"F:-C:\\WORK"});  // the drive is still there, and so is its row
    EXPECT_EQ(
        view.status,
        "1" + kNotAll + "; subst.exe could not be started: 1 Virtual Drives were not removed");

    // A program folder whose short form is not plain ASCII gets no batch file,
    // which the command interpreter might read as another folder.
    const std::string folder = "C:\\Dat\xC3\xA9";
    fs.AddFile(folder + "\\Shrt.dat", "E:-C:\\WORK\r\n");
    MountForm& other = Restart("", folder);
    other.lstDrives_Click(0);
    other.Command4_Click();
    EXPECT_FALSE(fs.Exists(folder + "\\Remove.bat"));
    EXPECT_EQ(view.status,
              "Virtual Drives; clean-up skipped: Remove.bat could not be written or started");
}

// A line that is no mapping stays, as does a drive whose subst.exe could not
// be started; what is left is saved through the atomic save, or said to be
// unsaved.
TEST_F(MountFormTest, RemoveAllAndExitSavesWhatItCouldNotUnmount) {
    Load("E:-C:\\WORK\r\nhello\r\nF:-C:\\WORK\r\nG:-C:\\WORK\r\n");
    processes.unstartable = {"subst.exe E: /d"};
    form.RemoveAllAndExit();
    EXPECT_EQ(processes.started, (Lines{"subst.exe G: /d", "subst.exe F: /d", "subst.exe E: /d"}));
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\Work\r\nhello\r\n");
    EXPECT_FALSE(fs.Exists("C:\\Kestrova\\Removea.bat"));
    EXPECT_EQ(view.calls.back(), "destroy");

    fs.AddFile(kStore, "E:-C:\\WORK\r\n");
    LockBothFolders();
    processes.unstartable.clear();
    Restart("/R");
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\WORK\r\n");  // left whole, and said so
    EXPECT_EQ(view.messages, Messages{Said("The Virtual Drives could not be saved to " + kStore +
                                               " (the file on disk is unchanged): Access is "
                                               "denied.",
                                           kStyleExclamation)});
}

// The program folder when its Shrt.dat can be written there, else the
// user's own copy, made once; a save that fails beside the program moves it.
TEST_F(MountFormTest, TheTableLivesBesideTheProgramOrElseInTheUsersOwnFolder) {
    Load("E:-C:\\WORK\r\n");
    EXPECT_EQ(form.StorePathText(), kStore);
    fs.SetReadOnly(kStore);  // mid-session: the next save moves the table
    Create("C:\\Work");
    EXPECT_EQ(fs.Contents(kUserStore), "E:-C:\\Work\r\nA:-C:\\Work\r\n");
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\WORK\r\n");
    EXPECT_EQ(view.status, "2" + kAll + "; the Virtual Drives are kept in " + kUserStore +
                               ", as the program's folder cannot be written");

    const struct {
        bool storeThere, userThere;
        std::string shown;
    } starts[] = {{true, false, "E:-C:\\WORK"},  // a copy of the program folder's
                  {true, true, "F:-C:\\WORK"},   // the user's, once it is there
                  {false, false, ""}};           // a first start: an empty one
    for (const auto& start : starts) {
        fs.Remove(kFolder);
        fs.Remove(kRescueFolder);
        fs.AddFolder(kFolder);
        if (start.storeThere) {
            fs.AddFile(kStore, "E:-C:\\WORK\r\n");
        }
        if (start.userThere) {
            fs.AddFile(kUserStore, "F:-C:\\WORK\r\n");
        }
        fs.SetReadOnly(kFolder);  // as C:\Program Files is to a standard user
        MountForm& next = Restart("/T");
        EXPECT_EQ(next.StorePathText(), kUserStore);
        EXPECT_EQ(next.Table().MountEntries(), start.shown.empty() ? Lines{} : Lines{start.shown});
        EXPECT_EQ(fs.Contents(kStore), start.storeThere ? "E:-C:\\WORK\r\n" : "");
        EXPECT_NE(view.status.find("kept in " + kUserStore), std::string::npos);
    }
    EXPECT_TRUE(view.messages.empty());  // a logon start stays silent
    // The clean-up runs from beside the table, rm from beside the program.
    restarts[0].lstDrives_Click(0);
    restarts[0].Command4_Click();
    EXPECT_EQ(fs.Contents(kRescueFolder + "\\Remove.bat"),
              "if exist \"C:\\WORK\\RECYCLER\" \"C:\\Kestrova\\rm\" /y \"C:\\WORK\\RECYCLER\"\r\n"
              "del \"" +
                  kRescueFolder + "\\Remove.bat\"\r\nExit\r\n");
    EXPECT_EQ(processes.folders.end()[-2], kRescueFolder);
}

// Nothing to save closes at once; a table that cannot be saved anywhere is
// kept by every answer: Cancel keeps the window, Try Again saves, Continue
// puts it in the rescue file first.
TEST_F(MountFormTest, ACloseNeverTrapsAndNeverLosesTheTable) {
    Load("E:-C:\\WORK\r\n");
    LockBothFolders();
    EXPECT_TRUE(form.Form_Unload(CloseKind::User));  // unchanged: no question
    EXPECT_TRUE(view.messages.empty());

    MountForm& changed = Restart();
    Create("C:\\Work");
    EXPECT_NE(view.status.find("not saved: Access is denied."), std::string::npos);
    view.answers = {kAnswerCancel, kAnswerContinue};
    EXPECT_FALSE(changed.Form_Unload(CloseKind::User));
    EXPECT_FALSE(changed.Form_Unload(CloseKind::User));  // Continue, but no rescue either
    const Message question = Said(
        "The Virtual Drives could not be saved to " + kStore +
            " (the file on disk is unchanged): Access is denied.     \r\n\r\nTry Again to save "
            "them again, Continue to close Kestrova and keep them in " +
            kRescue +
            " for its next start, or Cancel to keep Kestrova open with its Virtual Drives.",
        kStyleExclamation | kButtonsCancelTryContinue);
    EXPECT_EQ(view.messages,
              (Messages{question, question,
                        Said("The Virtual Drives could not be kept in the rescue file either, so "
                             "Kestrova stays open with them.",
                             kStyleExclamation)}));
    EXPECT_FALSE(changed.Unloaded());

    fs.Remove(kRescueFolder);  // the rescue can be written now, the user's store cannot
    fs.AddFile(kUserStore);
    fs.SetReadOnly(kUserStore);
    view.answers = {kAnswerTryAgain, kAnswerContinue};
    EXPECT_TRUE(changed.Form_Unload(CloseKind::User));
    EXPECT_EQ(view.messages.size(), 5u);
    EXPECT_EQ(fs.Contents(kRescue), kStore + "\r\nE:-C:\\Work\r\nA:-C:\\Work\r\n");
    EXPECT_TRUE(changed.Form_Unload(CloseKind::User));  // once only
    EXPECT_EQ(view.Count("delete icon"), 2);
}

TEST_F(MountFormTest, ATableWhoseFileCouldNotBeReadJoinsItOnTryAgain) {
    fs.AddFile(kStore, "E:-C:\\WORK\r\n");
    fs.SetUnreadable(kStore);
    StartupMode mode{};
    form.Form_Load("", mode);
    EXPECT_EQ(view.status, "Shrt.dat could not be read: the drives shown are the ones in memory");
    Create("C:\\Work");
    view.answers = {kAnswerCancel};
    ASSERT_FALSE(form.Form_Unload(CloseKind::User));
    EXPECT_NE(view.messages.back().first.find(kStore + " could not be read"), std::string::npos);
    fs.AddFile(kStore, "E:-C:\\WORK\r\n");  // readable again
    view.answers = {kAnswerTryAgain};
    EXPECT_TRUE(form.Form_Unload(CloseKind::User));
    EXPECT_EQ(fs.Contents(kStore), "A:-C:\\Work\r\nE:-C:\\Work\r\n");
}

// A rescue names what it holds and when it was written; accepted, it adds
// the drives whose letters the table lacks, in either case, and keeps the
// table's own rows. In the tray it waits for the window.
TEST_F(MountFormTest, ARescueNeverDropsANewerDrive) {
    Load("E:-C:\\WORK\r\n");
    Create("C:\\Work");
    LockBothFolders();
    EXPECT_TRUE(form.Form_Unload(CloseKind::SessionEnd));  // nothing can wait now
    EXPECT_TRUE(view.messages.empty());

    const std::string rescued = kStore + "\r\na:-C:\\PROGRA~1\r\nF:-C:\\WORK\r\n";
    fs.Remove(kFolder);
    fs.Remove(kRescueFolder);
    fs.AddFile(kRescue, rescued);
    fs.AddFile(kStore, "A:-C:\\WORK\r\nG:-C:\\WORK\r\n");  // A: and G: added since
    view.answers = {kAnswerYes};
    MountForm& next = Restart("/t");
    view.calls.clear();
    next.TrayIcon_Event(TrayEvent::MenuRequest);
    EXPECT_TRUE(view.messages.empty());
    next.TrayIcon_Event(TrayEvent::Click);
    next.TrayIcon_Event(TrayEvent::DoubleClick);  // asked once
    EXPECT_EQ(view.calls, (Lines{"foreground", "menu", "restore", "restore"}));
    EXPECT_EQ(view.messages,
              Messages{Said("Kestrova could not save its Virtual Drives when Windows ended a "
                            "session on Monday, 7 December 2026 09:30, and kept them in " +
                                kRescue +
                                ":\r\n\r\n    a:   C:\\Program Files\r\n    F:   C:\\Work\r\n\r\n"
                                "Add the drives whose letters are not in the list now?",
                            kStyleQuestion | kButtonsYesNo)});
    EXPECT_EQ(fs.Contents(kStore), "A:-C:\\Work\r\nG:-C:\\Work\r\nF:-C:\\Work\r\n");
    EXPECT_EQ(view.status, "3" + kNotAll + "; 1 Virtual Drives brought back");
    EXPECT_FALSE(fs.Exists(kRescue));

    // Declined, it is gone; another copy's rescue is left to that copy.
    fs.AddFile(kRescue, rescued);
    view.answers = {kAnswerNo};
    Restart();
    EXPECT_FALSE(fs.Exists(kRescue));
    EXPECT_EQ(fs.Contents(kStore), "A:-C:\\Work\r\nG:-C:\\Work\r\nF:-C:\\Work\r\n");
    fs.AddFile(kRescue, "D:\\Other\\Shrt.dat\r\nF:-C:\\WORK\r\n");
    Restart();
    EXPECT_TRUE(fs.Exists(kRescue));
    EXPECT_EQ(view.messages.size(), 2u);
}

// A close from the title bar or a minimize goes to the tray only while the
// Run value asks for it, and never hides the window without an icon.
TEST_F(MountFormTest, TheNotificationAreaFollowsTheRunValue) {
    Load("F:-C:\\WORK\r\n", "/b");  // mounts first, then the icon, no window
    EXPECT_EQ(processes.started, Lines{"subst.exe F: C:\\WORK"});
    EXPECT_EQ(view.calls, Lines{"add icon"});
    for (const auto& [value, tray] : {std::pair{"X:\\Kestrova.exe /B", true},
                                      {"X:\\Kestrova.exe /T", true},
                                      {"X:\\Kestrova.exe /M", false},
                                      {"X:\\Kestrova.exe /t", false}}) {
        run.SetRegistryValue("Kestrova", value, kRegSz);
        view.calls.clear();
        EXPECT_EQ(form.Form_QueryUnload(true), !tray) << value;
        EXPECT_TRUE(form.Form_QueryUnload(false));  // any other close goes ahead
        form.Form_Resize(true);
        EXPECT_EQ(view.Count("hide"), tray ? 2 : 0) << value;
    }
    registry.FailCall(MemoryRegistry::Call::OpenKey, 5);
    EXPECT_FALSE(form.Options().TrayModeRegistered());  // unreadable: no tray mode
    form.TaskbarCreated();                              // Explorer came back: so does the icon
    EXPECT_EQ(view.calls.back(), "add icon");
    form.mPopExit_Click();
    EXPECT_EQ(view.calls.back(), "destroy");

    run.SetRegistryValue("Kestrova", "X:\\Kestrova.exe /B", kRegSz);
    view.calls.clear();
    Restart().Form_Resize(true);
    EXPECT_EQ(view.calls, (Lines{"show", "add icon", "hide"}));
}

}  // namespace
}  // namespace kestrova
