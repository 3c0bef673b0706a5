#include <gtest/gtest.h>

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

// A message box as the form asked for it: its text and style; most pad their text with blanks.
using Message = std::pair<std::string, int>;
using Messages = std::vector<Message>;
const auto Said = [](const std::string& text, int style) { return Message{text + "     ", style}; };

// What the form asks the window and the other running copy to do; bare calls go by name.
class RecordingView final : public FormView, public InstanceGuard {
  public:
    void ShowTable(const DriveTable& table) override { shown = table; }
    void ShowLetters(const LetterList& list) override { letters = list.items; }
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
    void ScreenAndWindowSize(double& screenW, double& screenH, double& w, double& h) override {
        std::tie(screenW, screenH, w, h) = std::tuple(15360, 11520, 6601, 5100);
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

    MountForm* form = nullptr;
    DriveTable shown;
    Lines calls, letters;
    Messages messages;
    std::deque<int> answers;  // the buttons pressed, in turn
    std::string status, folderText, browsed;
    bool nameKept = true, another = false;
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
const std::string kNotSaved = "The Virtual Drives could not be saved to " + kStore +
                              " (the file on disk is unchanged): Access is denied.";
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
        // subst maps a free letter onto a folder that is there, or frees a letter; else it fails.
        processes.onStart = [this](const std::string& line) {
            if (!line.starts_with("subst.exe ")) {
                return true;
            }
            const std::string letter = line.substr(10, 2);
            std::string folder = line.substr(13);
            std::erase(folder, '"');
            const bool free = fs.DriveType(letter) == kDriveNoRootDir;
            if (folder == "/d") {
                fs.RemoveDrive(letter);
                return !free;
            }
            if (free && fs.Exists(folder)) {
                fs.MapDrive(letter, folder);
            }
            return free && fs.Exists(folder);
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
    using enum StartupMode;
    const std::pair<std::string, StartupMode> modes[] = {
        {"/m", MountAndExit}, {"/R", RemoveAndExit}, {"/t", Tray},
        {"/B", TrayAndMount}, {"/M /T", Normal},     {"-M", Normal},
        {"/M ", Normal},      {"\"/M\"", Normal},    {std::string("/M\0", 3), Normal}};
    for (const auto& [argument, mode] : modes) {
        EXPECT_EQ(StartupModeFor(argument), mode) << argument;
    }
    // An unclosed quote is all name; an older copy's unquoted Run value splits at the program.
    const std::string exe = "C:\\Program Files\\Kestrova\\Kestrova.exe";
    const std::tuple<std::string, std::string, std::string> lines[] = {
        {"\"C:\\Program Files\\K\\Kestrova.exe\" /M", "", "/M"},
        {"Kestrova.exe\t /M /T", "", "/M /T"},
        {"\"C:\\Kestrova.exe /M", "", ""},
        {"c:\\program files\\kestrova\\KESTROVA.EXE\t/t", exe, "/t"},
        {exe, exe, ""},
        {exe + "x /B", exe, "Files\\Kestrova\\Kestrova.exex /B"}};
    for (const auto& [line, program, arguments] : lines) {
        EXPECT_EQ(ArgumentText(line, program), arguments) << line;
    }
}

TEST_F(MountFormTest, AStartCreatesTheStoreCentresTheWindowAndOnlyAUsersShowsTheRunningCopy) {
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

// "(Mounted)" only when every row is; a file that cannot be read leaves the rows in memory.
TEST_F(MountFormTest, TheStatusSumsTheWholeTableAndARebuildKeepsTheChanges) {
    Load("F:-C:\\WORK\r\nG:-C:\\PROGRA~1\r\nE:-C:\\WORK\r\n");
    Remove(0);
    Create("C:\\Work");
    form.MountAllDrives();  // ends with a rebuild from the file
    EXPECT_EQ(view.shown.MountEntries(), (Lines{"G:-C:\\PROGRA~1", "E:-C:\\Work", "A:-C:\\Work"}));
    EXPECT_EQ(fs.Contents(kStore), "G:-C:\\PROGRA~1\r\nE:-C:\\Work\r\nA:-C:\\Work\r\n");
    EXPECT_EQ(view.status, "3" + kAll);
    fs.RemoveDrive("E:");
    form.RefreshDriveList();
    EXPECT_EQ(view.status, "3" + kNotAll);  // the middle row
    Remove(0);
    fs.SetUnreadable(kStore);
    form.RefreshDriveList();
    EXPECT_EQ(view.shown.MountEntries(), (Lines{"E:-C:\\Work", "A:-C:\\Work"}));
}

// A quoted folder is mounted as it is; commands during the wait are refused, a close waits.
TEST_F(MountFormTest, MountAllAnnouncesEachMappingAndSkipsLinesThatAreNone) {
    Load("F:-C:\\WORK\r\nZZ:-C:\\X\r\nG:-\"\\\\srv\\my share\"\r\n");
    const std::string summary = "3" + kNotAll + ", 1 skipped (not a drive and folder)";
    EXPECT_EQ(view.status, summary);
    Browse("C:\\Work");
    Lines seen;
    processes.onWait = [&] {
        seen.push_back(view.status);
        if (seen.size() == 1) {  // the window's messages run meanwhile
            form.cmdMount_Click();
            form.Command3_Click(std::nullopt, false);
            form.cmdRemove_Click();
            form.opt_Click(StartupOption::T);
            form.mPopExit_Click();
        }
    };
    form.cmdMount_Click();
    EXPECT_EQ(processes.started,
              (Lines{"subst.exe F: C:\\WORK", "subst.exe G: \"\\\\srv\\my share\""}));
    EXPECT_EQ(seen, (Lines{"Mounting F:....", "Mounting G:...."}));
    EXPECT_EQ(view.status, summary + "; 1 not mounted: G:");
    EXPECT_EQ(view.letters[0], "B:");  // F: and G: taken, and the first free letter dropped
    EXPECT_EQ(RunValue(), "(none)");
    EXPECT_EQ(view.calls.back(), "close later");

    processes.startFails = true;  // and another program's mapping on F:
    fs.MapDrive("F:", "C:\\Program Files");
    form.MountAllDrives();
    EXPECT_EQ(view.status, summary + "; 2 not mounted: F:, G: (subst.exe could not be started)");

    processes = {};
    Load("F:-C:\\WORK\r\nZZ:-C:\\X\r\nG:-C:\\PROGRA~1\r\n", "/m");
    EXPECT_EQ(processes.started, (Lines{"subst.exe F: C:\\WORK", "subst.exe G: C:\\PROGRA~1"}));
    EXPECT_EQ(view.calls.back(), "end process");
    EXPECT_EQ(fs.Contents(kStore), "F:-C:\\WORK\r\nZZ:-C:\\X\r\nG:-C:\\PROGRA~1\r\n");
}

// A mapping that is not made adds no row and says why; the letters are renewed either way.
TEST_F(MountFormTest, CreateDriveMapsTheBrowsedFolderOnTheChosenLetterOrSaysWhyNot) {
    Load("B:-C:\\PROGRA~1\r\n");  // B: is held, though not mounted
    form.Command3_Click(std::nullopt, false);
    EXPECT_EQ(view.letters[1], "F:");
    form.lstDrives_Click(0);
    Browse("");  // cancelled
    EXPECT_FALSE(view.shown.Selected().has_value());
    Browse("C:\\");
    EXPECT_EQ(form.PendingFolder() + view.folderText, "");
    view.nameKept = false;
    Browse("C:\\Data");
    EXPECT_EQ(form.PendingFolder(), "");
    view.nameKept = true;
    Browse("C:\\Program Files");
    EXPECT_EQ(view.folderText, "C:\\Program Files");
    form.Combo1_Click(1);
    form.Command3_Click(std::nullopt, false);
    form.Combo1_Click(0);
    fs.AddFolder("C:\\No Short Form");
    Create("C:\\No Short Form");
    EXPECT_EQ(processes.started,
              (Lines{"subst.exe F: C:\\PROGRA~1", "subst.exe G: \"C:\\No Short Form\""}));
    EXPECT_TRUE(form.Table().Row(1).mounted);
    EXPECT_EQ(view.letters[0], "H:");  // F: and G: mapped, and the first free one dropped

    Browse("C:\\Work");
    fs.MapDrive("H:", "C:\\Program Files");  // taken between the choice and the click
    form.Command3_Click(std::nullopt, false);
    processes.onStart = [](const std::string&) { return true; };  // "done", but nothing mapped
    form.Command3_Click(std::nullopt, false);
    processes.startFails = true;
    form.Command3_Click(std::nullopt, false);
    for (char c = 'A'; c <= 'Z'; ++c) {
        fs.AddDrive(std::string{c, ':'});
    }
    form.Command3_Click(std::nullopt, false);  // A: taken too: the letters are renewed
    form.Command3_Click(std::nullopt, false);  // and none is free
    const auto failed = [](const std::string& letter, const std::string& why) {
        return Said(letter + " could not be mapped onto C:\\Work: " + why +
                        ".  Choose another letter and press Create Drive again.",
                    kStyleExclamation);
    };
    const std::string taken = "the letter is taken by another drive or folder";
    EXPECT_EQ(view.messages,
              (Messages{Said("Please select a Directory to Mount", kStyleInformation),
                        Said("C:\\ cannot be mounted as a Virtual Drive", kStyleExclamation),
                        Said("The name of this folder cannot be kept in Shrt.dat on this system, "
                             "so it cannot be mounted as a Virtual Drive.",
                             kStyleExclamation),
                        failed("H:", taken), failed("A:", "subst.exe did not map it"),
                        failed("A:", "subst.exe could not be started"), failed("A:", taken),
                        Said("There is no free drive letter left to mount the folder on.",
                             kStyleExclamation)}));
    EXPECT_EQ(form.Table().Count(), 3u);
    EXPECT_EQ(fs.Contents(kStore),
              "B:-C:\\PROGRA~1\r\nF:-C:\\PROGRA~1\r\nG:-C:\\No Short Form\r\n");
}

TEST_F(MountFormTest, TheSelectedRowOpensOrMountsAgain) {
    fs.AddFolder("C:\\Smith, John", "SMITHJ~1");
    Load("E:-C:\\SMITHJ~1\r\nG:-C:\\PROGRA~1\r\nZZ:-C:\\X\r\nF:-C:\\GONE\r\n");
    form.lstDrives_DblClick(0, 0);  // a current row but no selection
    form.lstDrives_DblClick(1, 0);
    form.lstDrives_DblClick(1, 3);  // the folder is gone: named as stored
    Browse("C:\\Work");
    form.Command3_Click(0, false);  // a pending folder while a row is current: nothing
    form.lstDrives_Click(1);
    form.Command3_Click(1, false);  // a current row that is not selected: nothing
    form.Command3_Click(1, true);
    form.lstDrives_Click(2);
    form.Command3_Click(2, true);  // a line that is no mapping is not mounted
    EXPECT_EQ(processes.started,
              (Lines{"explorer.exe /e,\"C:\\Smith, John\"", "subst.exe G: C:\\PROGRA~1"}));
    EXPECT_TRUE(form.Table().Row(1).mounted);
    EXPECT_FALSE(view.shown.Selected().has_value());
    EXPECT_EQ(view.messages,
              (Messages{Said("C:\\GONE is not avalailable.", kStyleCritical),
                        Said("\"ZZ:-C:\\X\" in Shrt.dat is not a drive letter and a folder, so "
                             "it cannot be mounted.",
                             kStyleExclamation)}));
}

// The mounting options need drives; a write the registry refuses leaves the option as it was.
TEST_F(MountFormTest, OptionsWriteTheRunValueAndReadItBack) {
    using enum StartupOption;
    run.SetRegistryValue("Kestrova", kExe + "/B", kRegSz);
    Load("");
    EXPECT_EQ(RunValue(), "(none)");  // deleted, then the message
    form.opt_Click(T);
    EXPECT_EQ(RunValue(), kExe + "/T");
    form.opt_Click(M);  // with no drives: falls back to none
    EXPECT_EQ(RunValue(), "(none)");
    form.opt_Click(None);  // no value to delete: nothing to say
    Create("C:\\Work");
    form.opt_Click(B);
    EXPECT_EQ(RunValue(), kExe + "/B");
    form.opt_Click(None);
    EXPECT_EQ(RunValue(), "(none)");
    EXPECT_EQ(RunValueData("C:\\Program Files\\K", "/M"),
              "\"C:\\Program Files\\K\\Kestrova.exe\" /M");  // quoted only with a blank
    const std::pair<std::string, StartupOption> reads[] = {{"X:\\Kestrova.exe /M /B", M},
                                                           {"X:\\K.exe /B", B},
                                                           {"X:\\K.exe /b", None},
                                                           {"X:\\K.exe /T", T}};
    for (const auto& [data, option] : reads) {
        run.SetRegistryValue("Kestrova", data, kRegSz);
        form.Options().Read();
        EXPECT_EQ(form.Options().Selected(), option) << data;
    }
    run.SetRegistryValue("Kestrova", "D:\\Moved\\Kestrova.exe /T", kRegSz);
    MountForm& next = Restart();
    EXPECT_EQ(RunValue(), kExe + "/T");  // a moved program registers itself again
    registry.FailNextOpen(5);
    next.opt_Click(B);
    EXPECT_EQ(next.Options().Selected(), T);  // as the Run value is
    EXPECT_EQ(view.shownOption, T);
    const Message noDrives{"There are no Virtual Drives in the list to Mount    ",
                           kStyleInformation};
    EXPECT_EQ(view.messages,
              (Messages{noDrives, noDrives,
                        Said("The startup option could not be saved in the registry; Windows "
                             "startup is unchanged.",
                             kStyleExclamation)}));
}

// Remove All goes from the last row to the first and cleans up only plain local folders.
TEST_F(MountFormTest, RemovalCleansUpUnmountsAndForgetsTheRows) {
    run.SetRegistryValue("Kestrova", kExe + "/M", kRegSz);
    Load("E:-C:\\WORK\r\nF:-\"\\\\srv\\share\"\r\nno dash\r\nG:-C:\\PROGRA~1\r\nH:-C:\\MY-DIR\r\n");
    form.Command4_Click();  // nothing selected
    Remove(4);
    EXPECT_EQ(fs.Contents("C:\\Kestrova\\Remove.bat"),
              "if exist \"C:\\MY-DIR\\RECYCLER\" \"C:\\Kestrova\\rm\" /y \"C:\\MY-DIR\\RECYCLER\""
              "\r\ndel \"C:\\Kestrova\\Remove.bat\"\r\nExit\r\n");
    EXPECT_EQ(processes.folders[0], kFolder);
    EXPECT_EQ(processes.styles[0], WindowStyle::Hidden);
    EXPECT_EQ(RunValue(), kExe + "/M");  // drives are left
    Lines seen;
    processes.onWait = [&] { seen.push_back(view.status); };
    form.cmdRemove_Click();
    EXPECT_EQ(fs.Contents("C:\\Kestrova\\Removea.bat"),
              "if exist \"C:\\WORK\\RECYCLER\" \"C:\\Kestrova\\rm\" /y \"C:\\WORK\\RECYCLER\"\r\n"
              "if exist \"C:\\PROGRA~1\\RECYCLER\" \"C:\\Kestrova\\rm\" /y "
              "\"C:\\PROGRA~1\\RECYCLER\"\r\ndel \"C:\\Kestrova\\Removea.bat\"\r\nExit\r\n");
    EXPECT_EQ(processes.started,
              (Lines{kBatchStart + "Remove.bat", "subst.exe H: /d", kBatchStart + "Removea.bat",
                     "subst.exe G: /d", "subst.exe F: /d", "subst.exe E: /d"}));
    EXPECT_EQ(seen, (Lines{"Removing Virtual Drive G:", "Removing Virtual Drive F:",
                           "Removing Virtual Drive E:"}));
    EXPECT_TRUE(view.shown.Empty());
    EXPECT_EQ(RunValue(), "(none)");
    view.calls.clear();
    form.cmdRemove_Click();  // says so, but leaves the focus alone
    form.Command4_Click();
    EXPECT_EQ(view.calls, Lines{"focus browse"});
    EXPECT_EQ(view.messages,
              (Messages{Said("Please select a Virtual Drive to remove", kStyleInformation),
                        kNoneToRemove, kNoneToRemove}));
}

TEST_F(MountFormTest, ARemovalWithoutSubstOrBatchFileKeepsWhatItCouldNotRemove) {
    run.SetRegistryValue("Kestrova", kExe + "/M", kRegSz);
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
    EXPECT_EQ(view.shown.MountEntries(), Lines{"F:-C:\\WORK"});  // the drive stays, so does its row
    EXPECT_EQ(
        view.status,
        "1" + kNotAll + "; subst.exe could not be started: 1 Virtual Drives were not removed");
    processes.unstartable.clear();
    Remove(0);  // the last one: the option falls back to none
    EXPECT_EQ(RunValue(), "(none)");

    // No batch file for a program folder whose short name is not plain ASCII: cmd might misread it.
    const std::string folder = "C:\\Dat\xC3\xA9";
    fs.AddFile(folder + "\\Shrt.dat", "E:-C:\\WORK\r\n");
    MountForm& other = Restart("", folder);
    other.lstDrives_Click(0);
    other.Command4_Click();
    EXPECT_FALSE(fs.Exists(folder + "\\Remove.bat"));
    EXPECT_EQ(view.status,
              "Virtual Drives; clean-up skipped: Remove.bat could not be written or started");

    // At "/R" a line that is no mapping stays too; what is left is saved, or said to be unsaved.
    processes.started.clear();
    fs.AddFile(kStore, "E:-C:\\WORK\r\nhello\r\nF:-C:\\WORK\r\nG:-C:\\WORK\r\n");
    processes.unstartable = {"subst.exe E: /d"};
    Restart("/R");
    EXPECT_EQ(processes.started, (Lines{"subst.exe G: /d", "subst.exe F: /d", "subst.exe E: /d"}));
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\Work\r\nhello\r\n");
    EXPECT_EQ(view.calls.back(), "destroy");
    fs.AddFile(kStore, "E:-C:\\WORK\r\n");
    LockBothFolders();
    processes.unstartable.clear();
    Restart("/R");
    EXPECT_EQ(fs.Contents(kStore), "E:-C:\\WORK\r\n");  // left whole, and said so
    EXPECT_EQ(view.messages, Messages{Said(kNotSaved, kStyleExclamation)});
}

// Beside the program while Shrt.dat can be written there, else in the user's copy, made once.
TEST_F(MountFormTest, TheTableLivesBesideTheProgramOrElseInTheUsersOwnFolder) {
    Load("E:-C:\\WORK\r\n");
    EXPECT_EQ(form.StorePathText(), kStore);
    fs.SetReadOnly(kFolder);  // as C:\Program Files is to a standard user: the next save moves
    Create("C:\\Work");
    EXPECT_EQ(fs.Contents(kUserStore), "E:-C:\\Work\r\nA:-C:\\Work\r\n");
    EXPECT_EQ(view.status, "2" + kAll + "; the Virtual Drives are kept in " + kUserStore +
                               ", as the program's folder cannot be written");
    fs.Remove(kUserStore);
    EXPECT_EQ(Restart("/T").Table().MountEntries(), Lines{"E:-C:\\WORK"});  // a copy is made
    EXPECT_EQ(fs.Contents(kUserStore), "E:-C:\\WORK\r\n");
    fs.AddFile(kUserStore, "F:-C:\\WORK\r\n");
    EXPECT_EQ(Restart("/T").Table().MountEntries(), Lines{"F:-C:\\WORK"});  // once only
    fs.Remove(kStore);
    fs.Remove(kUserStore);
    EXPECT_TRUE(Restart("/T").Table().Empty());  // a first start
    for (MountForm& start : restarts) {
        EXPECT_EQ(start.StorePathText(), kUserStore);
    }
    EXPECT_NE(view.status.find("kept in " + kUserStore), std::string::npos);
    EXPECT_TRUE(view.messages.empty());  // a logon start stays silent
    // The clean-up runs from beside the table, rm from beside the program.
    restarts[0].lstDrives_Click(0);
    restarts[0].Command4_Click();
    EXPECT_EQ(fs.Contents(kRescueFolder + "\\Remove.bat"),
              "if exist \"C:\\WORK\\RECYCLER\" \"C:\\Kestrova\\rm\" /y \"C:\\WORK\\RECYCLER\"\r\n"
              "del \"C:\\Users\\You\\AppData\\Local\\Kestrova\\Remove.bat\"\r\nExit\r\n");
    EXPECT_EQ(processes.folders.end()[-2], kRescueFolder);
}

// Cancel keeps the window, Try Again saves, Continue first puts the table in the rescue file.
TEST_F(MountFormTest, ACloseNeverTrapsAndNeverLosesTheTable) {
    Load("E:-C:\\WORK\r\n");
    LockBothFolders();
    EXPECT_TRUE(form.Form_Unload(CloseKind::User));  // unchanged: no question
    MountForm& changed = Restart();
    Create("C:\\Work");
    EXPECT_NE(view.status.find("not saved: Access is denied."), std::string::npos);
    view.answers = {kAnswerCancel, kAnswerContinue};
    EXPECT_FALSE(changed.Form_Unload(CloseKind::User));
    EXPECT_FALSE(changed.Form_Unload(CloseKind::User));  // Continue, but no rescue either
    const Message question =
        Said(kNotSaved +
                 "     \r\n\r\nTry Again to save them again, Continue to close Kestrova "
                 "and keep them in " +
                 kRescue +
                 " for its next start, or Cancel to keep Kestrova open with its Virtual Drives.",
             kStyleExclamation | kButtonsCancelTryContinue);
    EXPECT_EQ(view.messages,
              (Messages{question, question,
                        Said("The Virtual Drives could not be kept in the rescue file either, so "
                             "Kestrova stays open with them.",
                             kStyleExclamation)}));
    fs.Remove(kRescueFolder);  // the rescue can be written now, the user's store cannot
    fs.AddFile(kUserStore);
    fs.SetReadOnly(kUserStore);
    view.answers = {kAnswerTryAgain, kAnswerContinue};
    EXPECT_TRUE(changed.Form_Unload(CloseKind::User));
    EXPECT_EQ(view.messages.size(), 5u);
    EXPECT_EQ(fs.Contents(kRescue), kStore + "\r\nE:-C:\\Work\r\nA:-C:\\Work\r\n");
    EXPECT_TRUE(changed.Form_Unload(CloseKind::User));  // once only
    EXPECT_EQ(view.calls, (Lines{"show", "delete icon", "show", "delete icon"}));
}

TEST_F(MountFormTest, ATableWhoseFileCouldNotBeReadJoinsItOnTryAgain) {
    fs.AddFile(kStore, "E:-C:\\WORK\r\n");
    fs.SetUnreadable(kStore);
    MountForm& unread = Restart();
    EXPECT_EQ(view.status, "Shrt.dat could not be read: the drives shown are the ones in memory");
    Create("C:\\Work");
    view.answers = {kAnswerCancel};
    ASSERT_FALSE(unread.Form_Unload(CloseKind::User));
    EXPECT_NE(view.messages.back().first.find(kStore + " could not be read"), std::string::npos);
    fs.AddFile(kStore, "E:-C:\\WORK\r\n");  // readable again
    view.answers = {kAnswerTryAgain};
    EXPECT_TRUE(unread.Form_Unload(CloseKind::User));
    EXPECT_EQ(fs.Contents(kStore), "A:-C:\\Work\r\nE:-C:\\Work\r\n");
}

// A rescue adds the drives whose letters the table lacks, in either case; the tray waits.
TEST_F(MountFormTest, ARescueNeverDropsANewerDrive) {
    Load("E:-C:\\WORK\r\n");
    Create("C:\\Work");
    LockBothFolders();
    EXPECT_TRUE(form.Form_Unload(CloseKind::SessionEnd));  // nothing can wait now
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

// A title-bar close or a minimize goes to the tray only while the Run value asks for it.
TEST_F(MountFormTest, TheNotificationAreaFollowsTheRunValue) {
    Load("F:-C:\\WORK\r\n", "/b");  // mounts first, then the icon, no window
    EXPECT_EQ(processes.started, Lines{"subst.exe F: C:\\WORK"});
    EXPECT_EQ(view.calls, Lines{"add icon"});
    for (const auto& [value, tray] : {std::pair{"X:\\Kestrova.exe /M", false},
                                      {"X:\\Kestrova.exe /t", false},
                                      {"X:\\Kestrova.exe /B", true},
                                      {"X:\\Kestrova.exe /T", true}}) {
        run.SetRegistryValue("Kestrova", value, kRegSz);
        view.calls.clear();
        EXPECT_EQ(form.Form_QueryUnload(true), !tray) << value;
        EXPECT_TRUE(form.Form_QueryUnload(false));  // any other close goes ahead
        form.Form_Resize(true);
        EXPECT_EQ(view.calls, tray ? (Lines{"show", "add icon", "hide", "hide"}) : Lines{})
            << value;
    }
    registry.FailNextOpen(5);
    EXPECT_FALSE(form.Options().TrayModeRegistered());  // unreadable: no tray mode
    form.TaskbarCreated();                              // Explorer came back: so does the icon
    EXPECT_EQ(view.calls.back(), "add icon");
    form.mPopExit_Click();
    EXPECT_EQ(view.calls.back(), "destroy");

    run.SetRegistryValue("Kestrova", "X:\\Kestrova.exe /B", kRegSz);
    view.calls.clear();
    Restart().Form_Resize(true);  // never hidden without an icon
    EXPECT_EQ(view.calls, (Lines{"show", "add icon", "hide"}));
}

}  // namespace
}  // namespace kestrova
