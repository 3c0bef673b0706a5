#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/DriveLetters.h"
#include "core/DriveTable.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/registry/RegistryRoutines.h"
#include "ui/StoreHome.h"

namespace kestrova {

// How the program was asked to start, from its argument text.
enum class StartupMode { Normal, MountAndExit, RemoveAndExit, Tray, TrayAndMount };

// The whole argument text, upper-cased, compared exactly with "/M", "/R",
// "/T" and "/B"; anything else is the normal start.
StartupMode StartupModeFor(const std::string& argumentText);

enum class Pane { Main, Options };

// What a key of the drive list asks for.
enum class ListKey { Open, Delete, Refresh };

// The start-up options of the options pane (`optT`, `optM`, `optB`, `optNone`).
enum class StartupOption { T, M, B, None };

// The Run value's data for a switch: the program folder, "\", "Kestrova.exe",
// a blank and the switch. A folder with a blank has the program's path quoted,
// so that Windows cannot start another program at logon instead.
std::string RunValueData(const std::string& programFolder, const std::string& startupSwitch);

// Message box styles, as the window shows them: an icon, with OK unless
// other buttons are added; and the buttons' answers.
inline constexpr int kStyleCritical = 16;
inline constexpr int kStyleQuestion = 32;
inline constexpr int kStyleExclamation = 48;
inline constexpr int kStyleInformation = 64;
inline constexpr int kButtonsYesNo = 4;
inline constexpr int kButtonsCancelTryContinue = 6;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerTryAgain = 10;
inline constexpr int kAnswerContinue = 11;

// Who closes the window: the user (the title bar, Alt+F4, the menu), Windows
// ending the session, or the program itself ("/R").
enum class CloseKind { User, SessionEnd, Program };

// What the main window shows; the Win32 layer implements it, tests record it.
class FormView {
  public:
    virtual ~FormView() = default;
    // Shows the table: the rows of the drive list and the entries of the
    // mount list, with the table's selection.
    virtual void ShowTable(const DriveTable& table) = 0;
    virtual void ShowLetters(const LetterList& letters) = 0;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetFolderText(const std::string& text) = 0;
    virtual void SetListTooltip(const std::string& text) = 0;
    // A message box; the answer of the button pressed.
    virtual int ShowMessage(const std::string& text, int style) = 0;
    virtual void ShowStartupOption(StartupOption option) = 0;
    virtual void BringToFront(Pane pane) = 0;
    virtual void PumpMessages() = 0;
    // Screen and window sizes in twips; the window is moved in twips too.
    virtual void ScreenAndWindowSize(double& screenWidth, double& screenHeight, double& windowWidth,
                                     double& windowHeight) = 0;
    virtual void MoveWindowTo(double left, double top) = 0;
    virtual void ShowWindow() = 0;
    virtual void DeleteTrayIcon() = 0;
    virtual void UnloadOtherWindows() = 0;
    // The folder browser over the window: `folder` is empty when cancelled.
    // False when the folder's name cannot be held as the program's text.
    virtual bool BrowseForFolder(const std::string& prompt, std::string& folder) = 0;
    virtual void FocusBrowseButton() = 0;
    // The notification-area icon: adds it (the tray record filled anew) and
    // shows its menu; the window's states.
    virtual void AddNotificationIcon() = 0;
    virtual void ShowTrayMenu() = 0;
    virtual void SetForeground() = 0;
    virtual void Repaint() = 0;
    virtual void HideWindow() = 0;
    virtual void MinimizeWindow() = 0;
    virtual void RestoreWindow() = 0;
    // Destroys the window at the program's own request (after the unload).
    virtual void DestroyNow() = 0;
    // Asks for the window to be closed, as the user would; runs later.
    virtual void RequestClose() = 0;
    // Ends the process at once, without unloading the window.
    virtual void EndProcess() = 0;
    // A phase of the start-up has ended: its name goes to the benchmark's
    // breakdown of the start-up time (nothing is shown).
    virtual void Mark(const char* /*phase*/) {}
};

// Whether another copy of the program is already running.
class InstanceGuard {
  public:
    virtual ~InstanceGuard() = default;
    virtual bool AnotherInstanceRunning() = 0;
    // Asks the copy that runs to show its window.
    virtual void ShowRunningCopy() = 0;
};

// The command line `Explore` builds for Explorer.
std::string ExploreCommandLine(const std::string& sPath = {}, const std::string& sRoot = {},
                               bool fSelect = false, bool fFolders = false, bool fExisting = false);

// The behaviour of the main window `frmMount`: it owns the virtual drive
// table and the free-letter list for the life of the process.
class MountForm {
  public:
    // `userFolder` is the user's own folder of the program (in the local
    // application data): the table's home when the program folder cannot be
    // written, and the place of the rescue file.
    MountForm(FormView& view, FileSystem& fileSystem, ProcessRunner& processes,
              InstanceGuard& instances, RegistryApi& registry, std::string programFolder,
              std::string userFolder);

    // The routines of the start-up modes; a mode without one starts normally.
    std::function<void()> mountAllAndExit;
    std::function<void()> removeAllAndExit;
    std::function<void()> addTrayIcon;
    std::function<void()> mountAllAndTray;

    // The start-up sequence. Returns false when the program must end at once
    // without a window (another copy runs, and is asked to show its window
    // when this start would have shown one); `mode` is the mode selected.
    bool Form_Load(const std::string& argumentText, StartupMode& mode);
    // Saves the table and lets go of the icon and the other windows; runs
    // once. A user's close whose table cannot be saved anywhere says why and
    // offers Try Again, Continue (the table goes to the rescue file and the
    // window closes) and Cancel: false when the window stays. At the end of
    // the session such a table goes to the rescue file.
    bool Form_Unload(CloseKind kind = CloseKind::Program);

    // Rebuilds the drive list from the store file. A table changed since its
    // last save is saved first, so the rebuild neither drops new rows nor
    // brings removed ones back; if that save fails, the rows in memory stay.
    void RefreshDriveList();

    // Mounts every stored drive with its progress in the status line, then
    // renews the free letters and the drive list.
    void MountAllDrives();
    // The "/M" start: mounts every stored drive and ends the process without
    // saving.
    void MountAllAndExit();
    void cmdMount_Click();

    // Browse (`Command2`): the chosen folder becomes the pending folder.
    void Command2_Click();
    // Create Drive (`Command3`): creates a drive from the pending folder and
    // the chosen letter, or mounts the selected row again. `currentRow` is the
    // list's current row, `currentSelected` whether that row is selected.
    void Command3_Click(std::optional<std::size_t> currentRow, bool currentSelected);
    const std::string& PendingFolder() const { return pendingFolder_; }
    // The user chose a letter in `Combo1` (none: nothing is chosen).
    void Combo1_Click(std::optional<std::size_t> index);

    // While an operation waits for subst.exe the window stays responsive, but
    // a second command that changes the table is refused, and a close asked
    // for meanwhile is carried out when the operation has finished.
    bool Busy() const { return busy_; }
    // A close of the window: true when it may go ahead now.
    bool QueryClose();

    // Remove Drive (`Command4`), Remove All (`cmdRemove`) and the "/R" start.
    void Command4_Click();
    void cmdRemove_Click();
    void RemoveAllAndExit();

    // The notification area: "/T" adds the icon; "/B" mounts, then adds it.
    void AddTrayIcon();
    void MountAllAndTray();
    // A close request; `fromTitleBar` for the close box, system menu and
    // Alt+F4. False when the close is turned into hiding in the tray.
    bool Form_QueryUnload(bool fromTitleBar);
    // After a change of the window state.
    void Form_Resize(bool minimized);
    // A mouse message over the icon (WM_LBUTTONUP and so on).
    void TrayIcon_Message(unsigned code);
    void mPopRestore_Click();
    void mPopExit_Click();
    // The taskbar was created anew (Explorer restarted): the icon comes back.
    void TaskbarCreated();
    bool TrayModeRegistered();
    bool IconAdded() const { return iconAdded_; }

    void cmdOptions_Click();
    void cmdBack_Click();

    // The user chose an option: its action runs.
    void opt_Click(StartupOption option);
    // Program code selects an option: its action runs only when the option
    // was not selected before.
    void SelectStartupOption(StartupOption option);
    StartupOption SelectedStartupOption() const { return selectedOption_; }
    // Reads the Run value through a fresh accessor and selects the option it
    // names ("/M", then "/T", then "/B", case-sensitive; otherwise none).
    void ReadStartupOption();
    // The Run value's text, empty when there is none.
    std::string RunValueText();

    void lstDrives_Click(std::optional<std::size_t> selectedRow);
    void lstDrives_DblClick(std::size_t selectedCount, std::optional<std::size_t> currentRow);
    void lstDrives_MouseMove();
    // A key pressed in the drive list (Enter, Delete, F5), or the item of its
    // context menu (Open, Remove Drive) chosen: Open does what a double-click
    // does, Delete what Remove Drive does, Refresh rebuilds the list.
    void lstDrives_KeyDown(ListKey key, std::size_t selectedCount,
                           std::optional<std::size_t> currentRow);

    // Starts Explorer with the command line of `ExploreCommandLine`.
    void Explore(const std::string& sPath = {}, const std::string& sRoot = {}, bool fSelect = false,
                 bool fFolders = false, bool fExisting = false);

    // Records that the table in memory differs from the store file.
    void MarkTableChanged() { tableChanged_ = true; }

    DriveTable& Table() { return table_; }
    const DriveTable& Table() const { return table_; }
    LetterList& Letters() { return letters_; }
    DriveLetters& LetterTable() { return driveLetters_; }
    const std::string& StorePathText() const { return home_.Path(); }
    bool Unloaded() const { return unloaded_; }

  private:
    std::string StatusSummary();
    // The summary of the table as it is now, with what went wrong after it.
    void ShowSummary(const std::string& note = {});
    void RefreshLetters(LetterRefresh caller);
    std::vector<std::string> TakenLetters() const;
    bool WriteRescue();
    void OfferRescue();
    // Saves the table at its home: true when the store holds the table now.
    bool SaveTable();
    // The table has changed: it is saved at once. The note for the status
    // line says when it could not be.
    std::string SaveChange();
    // The question of a close whose table cannot be saved; true when the
    // window may close.
    bool AskAtClose(SaveStatus status);
    std::string SaveFailureText(SaveStatus status) const;
    // A store that could not be read at start-up and can be now: its lines
    // the table does not hold join the table.
    void MergeUnreadStore();
    bool HoldsLetter(const std::string& letter) const;
    // Create Drive's new drive from the pending folder and the chosen letter.
    void CreateDrive();
    void FinishOperation();
    // Writes or deletes the Run value for the option; false when the registry
    // refused, so the Run value is not what the option says.
    bool RunOptionAction(StartupOption option);
    // Writes the clean-up batch file and starts it, hidden and not waited
    // for. False when it could not be written or started.
    bool StartCleanup(const std::vector<std::string>& storedFolders, const std::string& batchName);
    void NewRunKeyAccessor();

    FormView& view_;
    FileSystem& fileSystem_;
    ProcessRunner& processes_;
    InstanceGuard& instances_;
    std::string programFolder_;
    StoreHome home_;
    // Said once in the status line: where the table is kept when it is not
    // beside the program.
    std::string homeNote_;
    std::string saveFailure_;     // the system's reason of the last failed save
    bool rescuePending_ = false;  // offered when the window is first shown
    int closeAnswer_ = 0;         // the button pressed at the close's question
    DriveTable table_;
    DriveLetters driveLetters_;
    LetterList letters_;
    bool tableChanged_ = false;
    bool unloaded_ = false;
    bool busy_ = false;
    RegistryApi& registry_;
    // The Run-key accessor; it exists from the window's creation on.
    std::unique_ptr<RegistryRoutines> runKey_;
    StartupOption selectedOption_ = StartupOption::None;
    bool iconAdded_ = false;
    std::string pendingFolder_;  // the text of `Text1`
    bool closePending_ = false;
};

}  // namespace kestrova

namespace kestrova {

// The argument text of a command line: what follows the program name (quoted
// or not), without the blanks that separate the two; trailing text is kept.
// An unquoted command line that begins with the running program's own path,
// blanks and all (as Windows hands over an unquoted Run value such as
// C:\Program Files\Kestrova\Kestrova.exe /B), has its arguments after that path.
std::string ArgumentText(const std::string& commandLine, const std::string& programPath = {});

}  // namespace kestrova
