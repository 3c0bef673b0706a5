#include "ui/MountForm.h"

#include <algorithm>
#include <utility>

#include "core/MountEngine.h"
#include "core/PathNames.h"
#include "core/StoreEntry.h"
#include "core/StoreFile.h"

namespace kestrova {

namespace {

const char kNotAvailable[] = " is not avalailable.     ";
const char kUnreadStore[] = "Shrt.dat could not be read: the drives shown are the ones in memory";
const char kNoDrivesInList[] = "There are no Virtual Drives in the list     ";
const char kNoDrivesToRemove[] = "There are no Virtual Drives to remove     ";
const char kCannotMountRoot[] = " cannot be mounted as a Virtual Drive     ";
const char kSelectDirectory[] = "Please select a Directory to Mount     ";
const char kNoFreeLetter[] = "There is no free drive letter left to mount the folder on.     ";
const char kNameNotKept[] =
    "The name of this folder cannot be kept in Shrt.dat on this system, so it cannot be "
    "mounted as a Virtual Drive.     ";
const char kNotMountable[] =
    " in Shrt.dat is not a drive letter and a folder, so it cannot be mounted.     ";

std::string CleanupSkipped(const std::string& batchName) {
    return "clean-up skipped: " + batchName.substr(1) + " could not be written or started";
}

}  // namespace

MountForm::MountForm(FormView& view, FileSystem& fileSystem, ProcessRunner& processes,
                     InstanceGuard& instances, RegistryApi& registry, std::string programFolder,
                     std::string userFolder)
    : view_(view),
      fileSystem_(fileSystem),
      processes_(processes),
      instances_(instances),
      programFolder_(std::move(programFolder)),
      store_(view, fileSystem, table_, programFolder_, std::move(userFolder)),
      options_(view, registry, table_, programFolder_),
      tray_(view, options_),
      removal_(view, fileSystem, processes, programFolder_) {}

void MountForm::opt_Click(StartupOption option) {
    if (busy_) {
        view_.ShowStartupOption(options_.Selected());  // the click is refused
        return;
    }
    options_.Click(option);
}

void MountForm::Command4_Click() {
    if (busy_) {
        return;
    }
    if (table_.Empty()) {
        view_.ShowMessage(kNoDrivesToRemove, kStyleInformation);
        view_.FocusBrowseButton();
        return;
    }
    if (!table_.Selected()) {
        view_.ShowMessage("Please select a Virtual Drive to remove     ", kStyleInformation);
        return;
    }
    const Operation operation(*this);
    // The entry is the selected row's own, so the two cannot disagree.
    const std::size_t index = *table_.Selected();
    const DriveRow row = table_.Row(index);
    const bool cleaned = removal_.StartCleanup(
        row.Mountable() ? std::vector{row.storedFolder} : std::vector<std::string>{},
        "\\Remove.bat", store_.Path());
    if (row.Mountable() && UnMountVirtualDrive(processes_, row.letter) == SubstResult::NotStarted) {
        // subst.exe never ran, so the drive is still there: its row stays,
        // to be removed once subst.exe can be started.
        ShowSummary("subst.exe could not be started: " + row.letter + " was not removed");
        return;
    }
    table_.RemoveAt(index);
    view_.ShowTable(table_);
    const std::string saved = store_.SaveChange();
    RefreshLetters(LetterRefresh::RemoveDrive);
    if (table_.Empty()) {
        options_.Select(StartupOption::None);
    }
    ShowSummary(Joined(cleaned ? "" : CleanupSkipped("\\Remove.bat"), saved));
}

void MountForm::cmdRemove_Click() {
    if (busy_) {
        return;
    }
    if (table_.Empty()) {
        view_.ShowMessage(kNoDrivesToRemove, kStyleInformation);
        return;
    }
    const Operation operation(*this);
    const bool cleaned =
        removal_.StartCleanup(Removal::MappedFolders(table_), "\\Removea.bat", store_.Path());
    const std::size_t kept = removal_.RemoveAll(table_, true, false);
    const std::string saved = store_.SaveChange();
    if (table_.Empty()) {
        options_.Select(StartupOption::None);
    }
    RefreshLetters(LetterRefresh::RemoveAll);
    ShowSummary(Joined(kept > 0 ? "subst.exe could not be started: " + std::to_string(kept) +
                                      " Virtual Drives were not removed"
                       : cleaned ? ""
                                 : CleanupSkipped("\\Removea.bat"),
                       saved));
}

void MountForm::RemoveAllAndExit() {
    {
        const Operation operation(*this);
        // A line that is no mapping was never one: it stays, as does a drive
        // whose subst.exe could not be started. The unload saves what is left.
        const std::size_t before = table_.Count();
        removal_.RemoveAll(table_, false, true);
        if (table_.Count() != before) {
            store_.MarkChanged();
        }
        view_.PumpMessages();
    }
    Form_Unload(CloseKind::Program);
    view_.DestroyNow();
}

void MountForm::MountAllAndTray() {
    MountAllDrives();
    view_.PumpMessages();
    tray_.Add();
}

void MountForm::TrayIcon_Event(TrayEvent event) {
    if (tray_.Event(event)) {
        mPopRestore_Click();
    }
}

void MountForm::mPopRestore_Click() {
    view_.RestoreWindow();
    if (rescuePending_) {
        // Started at logon: the rescue waited until the window was shown.
        rescuePending_ = false;
        OfferRescue();
    }
}

void MountForm::mPopExit_Click() {
    if (!QueryClose()) {
        return;  // carried out when the running operation ends
    }
    if (Form_Unload(CloseKind::User)) {
        view_.DestroyNow();
    }
}

void MountForm::CentreWindow() {
    double screenWidth = 0;
    double screenHeight = 0;
    double windowWidth = 0;
    double windowHeight = 0;
    view_.ScreenAndWindowSize(screenWidth, screenHeight, windowWidth, windowHeight);
    view_.MoveWindowTo((screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2);
}

bool MountForm::Form_Load(const std::string& argumentText, StartupMode& mode) {
    mode = StartupModeFor(argumentText);
    if (instances_.AnotherInstanceRunning()) {
        // A user who starts the program again wants to see it; Windows
        // starting it at logon with a switch wants nothing shown.
        if (mode == StartupMode::Normal) {
            instances_.ShowRunningCopy();
        }
        return false;
    }
    store_.Choose();
    RefreshLetterList(letters_, driveLetters_, fileSystem_, LetterRefresh::StartUp);
    view_.Mark("free letters");
    // The mount list comes with the rows: both are read from the store file
    // in one pass, blank lines dropped, so they cannot disagree.
    RefreshDriveList();
    // The letters the table holds are no free letters for a new drive.
    RemoveTakenLetters(letters_, TakenLetters());
    letters_.SelectFirst();
    view_.ShowLetters(letters_);
    view_.Mark("drive list read and shown");
    view_.PumpMessages();
    CentreWindow();
    switch (mode) {
        case StartupMode::MountAndExit: MountAllAndExit(); break;
        case StartupMode::RemoveAndExit: RemoveAllAndExit(); break;
        case StartupMode::Tray:
            tray_.Add();
            rescuePending_ = true;
            break;
        case StartupMode::TrayAndMount:
            MountAllAndTray();
            rescuePending_ = true;
            break;
        case StartupMode::Normal:
            view_.ShowWindow();
            view_.Mark("first paint");
            OfferRescue();
            break;
    }
    if (!unloaded_) {
        view_.BringToFront(Pane::Main);
    }
    return true;
}

bool MountForm::Form_Unload(CloseKind kind) {
    if (unloaded_) {
        return true;
    }
    if (!store_.KeepAtClose(kind)) {
        return false;
    }
    unloaded_ = true;
    view_.DeleteTrayIcon();
    view_.UnloadOtherWindows();
    return true;
}

void MountForm::OfferRescue() {
    std::string saved;
    const std::optional<std::size_t> added = store_.OfferRescue(saved);
    if (added) {
        RefreshLetters(LetterRefresh::StartUp);
        ShowSummary(Joined(std::to_string(*added) + " Virtual Drives brought back", saved));
    }
}

void MountForm::ShowSummary(const std::string& note) {
    const std::string notes = Joined(note, store_.TakeNote());
    view_.SetStatus(table_.StoreUnread()
                        ? kUnreadStore
                        : StatusSummary(table_) + (notes.empty() ? "" : "; " + notes));
}

std::vector<std::string> MountForm::TakenLetters() const {
    std::vector<std::string> taken;
    for (const DriveRow& row : table_.Rows()) {
        taken.push_back(row.letter);
    }
    return taken;
}

void MountForm::RefreshLetters(LetterRefresh caller) {
    RefreshLetterList(letters_, driveLetters_, fileSystem_, caller, TakenLetters());
    view_.ShowLetters(letters_);
}

void MountForm::RefreshDriveList() {
    // When the file does not hold the table in memory (it could not be saved,
    // or read now), rebuilding from it would lose rows: the rows stay and only
    // their drive state is renewed.
    if ((store_.Changed() && !store_.Save()) ||
        LoadDriveTable(table_, fileSystem_, store_.Path()) == ReadStatus::Failed) {
        for (std::size_t i = 0; i < table_.Count(); ++i) {
            const DriveRow& row = table_.Row(i);
            table_.SetMounted(
                i, row.Mountable() && DriveLeadsTo(fileSystem_, row.letter, row.storedFolder));
        }
    }
    if (!table_.Empty()) {
        table_.Select(std::nullopt);
    }
    view_.ShowTable(table_);
    ShowSummary();
    options_.Read();
}

void MountForm::FinishOperation() {
    busy_ = false;
    if (closePending_) {
        closePending_ = false;
        view_.RequestClose();
    }
}

bool MountForm::QueryClose() {
    if (busy_) {
        closePending_ = true;
        return false;
    }
    return true;
}

void MountForm::MountAllDrives() {
    if (table_.Empty() || busy_) {
        return;
    }
    const Operation operation(*this);
    // The rows are taken once: the table does not change while this runs,
    // since other table commands are refused meanwhile.
    const std::vector<DriveRow> rows = table_.Rows();
    bool notStarted = false;
    for (const DriveRow& row : rows) {
        if (!row.Mountable()) {
            continue;  // a hand-written line that is no mapping
        }
        view_.SetStatus("Mounting " + row.letter + "....");
        view_.PumpMessages();
        notStarted = MountVirtualDrive(processes_, row.letter, row.storedFolder) ==
                         SubstResult::NotStarted ||
                     notStarted;
        view_.PumpMessages();
    }
    RefreshLetters(LetterRefresh::MountAll);
    view_.PumpMessages();
    view_.SetStatus("Virtual Drives");
    view_.PumpMessages();
    RefreshDriveList();
    // What did not mount, by letter: the rows show the red X, the status line
    // says which and how many.
    std::string letters;
    std::size_t missing = 0;
    for (const DriveRow& row : table_.Rows()) {
        if (row.Mountable() && !row.mounted) {
            letters += (missing++ == 0 ? " " : ", ") + row.letter;
        }
    }
    if (missing > 0) {
        ShowSummary(std::to_string(missing) + " not mounted:" + letters +
                    (notStarted ? " (subst.exe could not be started)" : ""));
    }
}

void MountForm::MountAllAndExit() {
    busy_ = true;  // for good: the process ends here
    for (const DriveRow& row : table_.Rows()) {
        if (row.Mountable()) {
            MountVirtualDrive(processes_, row.letter, row.storedFolder);
        }
    }
    view_.PumpMessages();
    view_.EndProcess();
}

void MountForm::cmdMount_Click() {
    if (busy_) {
        return;
    }
    if (table_.Empty()) {
        view_.ShowMessage(kNoDrivesInList, kStyleInformation);
        return;
    }
    MountAllDrives();
}

void MountForm::Command2_Click() {
    if (busy_) {
        return;
    }
    table_.Select(std::nullopt);
    view_.ShowTable(table_);
    const bool kept = view_.BrowseForFolder("Select Folder", pendingFolder_);
    view_.SetFolderText(pendingFolder_);
    if (!kept) {
        // Stored with a character lost, the folder would be gone for good.
        pendingFolder_.clear();
        view_.ShowMessage(kNameNotKept, kStyleExclamation);
    } else if (pendingFolder_.size() == 3) {
        view_.ShowMessage(pendingFolder_ + kCannotMountRoot, kStyleExclamation);
        pendingFolder_.clear();
        view_.SetFolderText(pendingFolder_);
    }
}

void MountForm::Combo1_Click(std::optional<std::size_t> index) {
    letters_.selected = index && *index < letters_.items.size() ? index : std::nullopt;
}

void MountForm::Command3_Click(std::optional<std::size_t> currentRow, bool currentSelected) {
    if (busy_) {
        return;
    }
    currentRow = currentRow && *currentRow < table_.Count() ? currentRow : std::nullopt;
    if (pendingFolder_.empty() && !currentRow) {
        view_.ShowMessage(kSelectDirectory, kStyleInformation);
        return;
    }
    {
        const Operation operation(*this);
        if (!pendingFolder_.empty() && !currentRow) {
            CreateDrive();
        } else if (currentRow && currentSelected && pendingFolder_.empty()) {
            MountAgain(*currentRow);
        }
    }
    if (!table_.Empty()) {
        table_.Select(std::nullopt);
        view_.ShowTable(table_);
    }
}

void MountForm::MountAgain(std::size_t index) {
    // The row's entry is part of the row itself, so there is always a stored
    // folder to mount, unless the line is no mapping at all.
    const DriveRow row = table_.Row(index);
    if (!row.Mountable()) {
        view_.ShowMessage("\"" + row.MountEntry() + "\"" + kNotMountable, kStyleExclamation);
        return;
    }
    MountVirtualDrive(processes_, row.letter, row.storedFolder);
    store_.Save();
    view_.PumpMessages();
    RefreshLetters(LetterRefresh::CreateDrive);
    RefreshDriveList();
}

void MountForm::CreateDrive() {
    const std::string letter = letters_.SelectedText();
    if (letter.empty()) {
        view_.ShowMessage(kNoFreeLetter, kStyleExclamation);
        return;
    }
    DriveRow row;
    row.letter = letter;
    row.folder = pendingFolder_;
    row.storedFolder = StoredFolderFor(fileSystem_, pendingFolder_);
    if (row.storedFolder.empty()) {
        row.storedFolder = pendingFolder_;  // no short form: keep the folder itself
    }
    const SubstResult result = MountVirtualDrive(processes_, letter, row.storedFolder);
    // No row claims a mapping that is not there: the letter must lead to
    // the folder now, whatever subst said.
    row.mounted = DriveLeadsTo(fileSystem_, letter, row.storedFolder);
    if (result != SubstResult::Succeeded || !row.mounted) {
        const std::string reason = fileSystem_.DriveType(letter) != kDriveNoRootDir
                                       ? "the letter is taken by another drive or folder"
                                   : result == SubstResult::NotStarted
                                       ? "subst.exe could not be started"
                                       : "subst.exe did not map it";
        RefreshLetters(LetterRefresh::StartUp);
        view_.ShowMessage(letter + " could not be mapped onto " + pendingFolder_ + ": " + reason +
                              ".  Choose another letter and press Create Drive again.     ",
                          kStyleExclamation);
        return;
    }
    table_.Append(row);
    view_.ShowTable(table_);
    const std::string saved = store_.SaveChange();
    view_.PumpMessages();
    RefreshLetters(LetterRefresh::CreateDrive);
    ShowSummary(saved);
}

void MountForm::lstDrives_Click(std::optional<std::size_t> selectedRow) {
    table_.Select(selectedRow);
    view_.ShowTable(table_);
    pendingFolder_.clear();
    view_.SetFolderText(pendingFolder_);
}

void MountForm::lstDrives_DblClick(std::size_t selectedCount,
                                   std::optional<std::size_t> currentRow) {
    if (table_.Empty() || selectedCount == 0 || !currentRow || *currentRow >= table_.Count()) {
        return;
    }
    // A folder that no longer exists has no long form; it is named as stored.
    const DriveRow& row = table_.Row(*currentRow);
    const std::string folder = row.folder.empty() ? row.storedFolder : row.folder;
    if (DirExists(fileSystem_, folder)) {
        Explore(folder, {}, false, true, true);
    } else {
        view_.ShowMessage(folder + kNotAvailable, kStyleCritical);
    }
}

void MountForm::lstDrives_KeyDown(ListKey key, std::size_t selectedCount,
                                  std::optional<std::size_t> currentRow) {
    switch (key) {
        case ListKey::Open: lstDrives_DblClick(selectedCount, currentRow); break;
        case ListKey::Delete: Command4_Click(); break;
        case ListKey::Refresh:
            if (!busy_) {
                RefreshDriveList();
            }
            break;
    }
}

void MountForm::lstDrives_MouseMove() {
    view_.SetListTooltip(table_.Empty() ? "Click the Browse button to add a Virtual Drive"
                                        : "Double click a Virtual Drive to open the Directory");
}

void MountForm::Explore(const std::string& sPath, const std::string& sRoot, bool fSelect,
                        bool fFolders, bool fExisting) {
    processes_.Start(ExploreCommandLine(sPath, sRoot, fSelect, fFolders, fExisting),
                     WindowStyle::Normal);
}

}  // namespace kestrova
