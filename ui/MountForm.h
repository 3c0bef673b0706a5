#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/DriveLetters.h"
#include "core/DriveTable.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/registry/RegistryApi.h"
#include "ui/CommandLine.h"
#include "ui/FormView.h"
#include "ui/Removal.h"
#include "ui/StartupOptions.h"
#include "ui/StoreHome.h"
#include "ui/TableStore.h"
#include "ui/TrayIcon.h"

namespace kestrova {

// The behaviour of the main window `frmMount`: it owns the virtual drive
// table and the free-letter list for the life of the process, and hands each
// concern to its room: where the table lives and what a close does with it (TableStore), the
// start-up options (StartupOptions), removal and its clean-up (Removal) and the notification area
// (TrayIcon).
class MountForm {
  public:
    // `userFolder` is the user's own folder of the program (in the local
    // application data): the table's home when the program folder cannot be
    // written, and the place of the rescue file.
    MountForm(FormView& view, FileSystem& fileSystem, ProcessRunner& processes,
              InstanceGuard& instances, RegistryApi& registry, std::string programFolder,
              std::string userFolder);

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
    void AddTrayIcon() { tray_.Add(); }
    void MountAllAndTray();
    bool Form_QueryUnload(bool fromTitleBar) { return tray_.QueryUnload(fromTitleBar); }
    void Form_Resize(bool minimized) { tray_.Resize(minimized); }
    void TrayIcon_Event(TrayEvent event);
    void mPopRestore_Click();
    void mPopExit_Click();
    void TaskbarCreated() { tray_.TaskbarCreated(); }

    void cmdOptions_Click() { view_.BringToFront(Pane::Options); }
    void cmdBack_Click() { view_.BringToFront(Pane::Main); }
    // The user chose an option: its action runs (refused while busy).
    void opt_Click(StartupOption option);
    StartupOptions& Options() { return options_; }

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

    const DriveTable& Table() const { return table_; }
    // The selection of the list, as the user moved it (with the keys, say).
    void SelectRow(std::optional<std::size_t> row) { table_.Select(row); }
    const std::string& StorePathText() const { return store_.Path(); }
    bool Unloaded() const { return unloaded_; }

  private:
    // An operation that waits for subst.exe: the form is busy while it
    // lives, and a close asked for meanwhile is carried out when it ends.
    class Operation {
      public:
        explicit Operation(MountForm& form) : form_(form) { form_.busy_ = true; }
        ~Operation() { form_.FinishOperation(); }
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

      private:
        MountForm& form_;
    };

    // The summary of the table as it is now, with what went wrong after it.
    void ShowSummary(const std::string& note = {});
    void RefreshLetters(LetterRefresh caller);
    std::vector<std::string> TakenLetters() const;
    void OfferRescue();
    // Create Drive's new drive from the pending folder and the chosen letter.
    void CreateDrive();
    void MountAgain(std::size_t index);
    void FinishOperation();
    void CentreWindow();

    FormView& view_;
    FileSystem& fileSystem_;
    ProcessRunner& processes_;
    InstanceGuard& instances_;
    std::string programFolder_;
    DriveTable table_;
    TableStore store_;  // after the table it keeps
    DriveLetters driveLetters_;
    LetterList letters_;
    StartupOptions options_;
    TrayIcon tray_;
    Removal removal_;
    std::string pendingFolder_;  // the text of `Text1`
    bool unloaded_ = false;
    bool busy_ = false;
    bool closePending_ = false;
    bool rescuePending_ = false;  // offered when the window is first shown
};

}  // namespace kestrova
