#include "ui/MountForm.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "core/MountEngine.h"
#include "core/PathNames.h"
#include "core/RemovalBatch.h"
#include "core/StoreEntry.h"
#include "core/StoreFile.h"

namespace kestrova {

namespace {

const char kNotAvailable[] = " is not avalailable.     ";
const char kUnreadStore[] = "Shrt.dat could not be read: the drives shown are the ones in memory";
const char kNoDrivesInList[] = "There are no Virtual Drives in the list     ";
const char kCannotMountRoot[] = " cannot be mounted as a Virtual Drive     ";
const char kSelectDirectory[] = "Please select a Directory to Mount     ";
const char kNoFreeLetter[] = "There is no free drive letter left to mount the folder on.     ";
const char kSaveFailed[] =
    "The Virtual Drives could not be saved to Shrt.dat; the file on disk is unchanged.     ";
const char kUnreadNotSaved[] =
    "The Virtual Drives could not be saved: Shrt.dat could not be read, so it is left as it "
    "was.     ";
const char kCloseAnyway[] =
    "  Retry to save them again, or Cancel to keep Kestrova open with its Virtual Drives.     ";
const char kNameNotKept[] =
    "The name of this folder cannot be kept in Shrt.dat on this system, so it cannot be "
    "mounted as a Virtual Drive.     ";
const char kNotMountable[] =
    " in Shrt.dat is not a drive letter and a folder, so it cannot be mounted.     ";
const char kRescueOffer[] =
    "Kestrova could not save its Virtual Drives when Windows ended the last session.  Bring "
    "back the drives it had then?     ";
const char kRunKeyFailed[] =
    "The startup option could not be saved in the registry; Windows startup is unchanged.     ";

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

}  // namespace

StartupMode StartupModeFor(const std::string& argumentText) {
    const std::string text = Upper(argumentText);
    if (text == "/M") {
        return StartupMode::MountAndExit;
    }
    if (text == "/R") {
        return StartupMode::RemoveAndExit;
    }
    if (text == "/T") {
        return StartupMode::Tray;
    }
    if (text == "/B") {
        return StartupMode::TrayAndMount;
    }
    return StartupMode::Normal;
}

std::string ExploreCommandLine(const std::string& sPath, const std::string& sRoot, bool fSelect,
                               bool fFolders, bool fExisting) {
    std::string line = "explorer.exe ";
    if (fFolders) {
        line += "/e";
    } else if (!fExisting) {
        line += "/n";
    }
    if (!sRoot.empty()) {
        line += ",/root, " + sRoot;
    }
    if (!sPath.empty()) {
        if (fSelect) {
            line += ",/select";
        }
        line += "," + sPath;
    }
    return line;
}

MountForm::MountForm(FormView& view, FileSystem& fileSystem, ProcessRunner& processes,
                     InstanceGuard& instances, RegistryApi& registry, std::string programFolder,
                     std::string rescueFolder)
    : view_(view),
      fileSystem_(fileSystem),
      processes_(processes),
      instances_(instances),
      programFolder_(std::move(programFolder)),
      storePath_(StorePath(programFolder_)),
      rescueFolder_(std::move(rescueFolder)),
      registry_(registry) {
    mountAllAndExit = [this] { MountAllAndExit(); };
    removeAllAndExit = [this] { RemoveAllAndExit(); };
    addTrayIcon = [this] { AddTrayIcon(); };
    mountAllAndTray = [this] { MountAllAndTray(); };
    NewRunKeyAccessor();
}

std::string RunValueData(const std::string& programFolder, const std::string& startupSwitch) {
    const std::string program = programFolder + "\\Kestrova.exe";
    if (program.find(' ') != std::string::npos) {
        return "\"" + program + "\" " + startupSwitch;
    }
    return program + " " + startupSwitch;
}

void MountForm::NewRunKeyAccessor() {
    runKey_ = std::make_unique<RegistryRoutines>(registry_);
    runKey_->hKey(kHkeyCurrentUser);
    runKey_->KeyRoot("Software\\Microsoft\\Windows\\CurrentVersion");
    runKey_->SubKey("Run");
}

std::string MountForm::RunValueText() {
    const Variant value = runKey_->GetRegistryValue("Kestrova");
    const std::string* text = value.Text();
    return text != nullptr ? *text : std::string{};
}

void MountForm::ReadStartupOption() {
    NewRunKeyAccessor();
    const std::string text = RunValueText();
    StartupOption option = StartupOption::None;
    if (text.find("/M") != std::string::npos) {
        option = StartupOption::M;
    } else if (text.find("/T") != std::string::npos) {
        option = StartupOption::T;
    } else if (text.find("/B") != std::string::npos) {
        option = StartupOption::B;
    }
    SelectStartupOption(option);
}

void MountForm::SelectStartupOption(StartupOption option) {
    if (option == selectedOption_) {
        return;
    }
    selectedOption_ = option;
    view_.ShowStartupOption(option);
    // Selected by the program itself (at start-up, or when the last drive
    // goes): no one asked, so a refused write is not reported here.
    RunOptionAction(option);
}

void MountForm::opt_Click(StartupOption option) {
    if (busy_) {
        view_.ShowStartupOption(selectedOption_);  // the click is refused
        return;
    }
    const StartupOption previous = selectedOption_;
    selectedOption_ = option;
    view_.ShowStartupOption(option);
    if (!RunOptionAction(option)) {
        // The Run value is as it was: so is the option shown.
        selectedOption_ = previous;
        view_.ShowStartupOption(previous);
        view_.ShowMessage(kRunKeyFailed, kStyleExclamation);
    }
}

bool MountForm::RunOptionAction(StartupOption option) {
    switch (option) {
        case StartupOption::B:
        case StartupOption::M:
            if (table_.Empty()) {
                SelectStartupOption(StartupOption::None);
                view_.ShowMessage("There are no Virtual Drives in the list to Mount    ",
                                  kStyleInformation);
                return true;
            }
            return runKey_->SetRegistryValue(
                "Kestrova", RunValueData(programFolder_, option == StartupOption::B ? "/B" : "/M"),
                kRegSz);
        case StartupOption::T:
            return runKey_->SetRegistryValue("Kestrova", RunValueData(programFolder_, "/T"),
                                             kRegSz);
        case StartupOption::None: {
            // No value (2) is what was asked for; any other failure counts
            // only when the value is still there.
            const std::int32_t result = runKey_->DeleteValue("Kestrova");
            return result == 0 || result == 2 || RunValueText().empty();
        }
    }
    return true;
}

bool MountForm::StartCleanup(const std::vector<std::string>& storedFolders,
                             const std::string& batchName) {
    std::string shortFolder = GetShortPath(fileSystem_, programFolder_);
    if (shortFolder.empty()) {
        shortFolder = programFolder_;
    }
    if (!IsAscii(shortFolder)) {
        return false;  // the command interpreter might read the folder otherwise
    }
    const std::string batch = programFolder_ + batchName;
    const bool written =
        fileSystem_.WriteNewFile(batch, RemovalBatchText(storedFolders, shortFolder, batchName));
    if (!written) {
        // A batch file cut off by a full disk could be run later with a
        // shortened folder in its rm line: none is left behind.
        fileSystem_.DeleteFileAt(batch);
    }
    view_.PumpMessages();
    // A batch file that is not there whole is not run.
    const bool started =
        written && processes_.Start(QuotedIfBlank(batch), WindowStyle::Hidden) != 0;
    view_.PumpMessages();
    return started;
}

void MountForm::Command4_Click() {
    if (busy_) {
        return;
    }
    if (table_.Empty()) {
        view_.ShowMessage("There are no Virtual Drives to remove     ", kStyleInformation);
        view_.FocusBrowseButton();
        return;
    }
    if (!table_.Selected()) {
        view_.ShowMessage("Please select a Virtual Drive to remove     ", kStyleInformation);
        return;
    }
    busy_ = true;
    // The entry is the selected row's own, so the two cannot disagree.
    const std::size_t index = *table_.Selected();
    const DriveRow row = table_.Row(index);
    const bool cleaned =
        StartCleanup(row.Mountable() ? std::vector{row.storedFolder} : std::vector<std::string>{},
                     "\\Remove.bat");
    if (row.Mountable() && !UnMountVirtualDrive(processes_, row.letter)) {
        // subst.exe never ran, so the drive is still there: its row stays,
        // to be removed once subst.exe can be started.
        ShowSummary("subst.exe could not be started: " + row.letter + " was not removed");
        FinishOperation();
        return;
    }
    table_.RemoveAt(index);
    MarkTableChanged();
    view_.ShowTable(table_);
    RefreshLetters(LetterRefresh::RemoveDrive);
    if (table_.Empty()) {
        SelectStartupOption(StartupOption::None);
    }
    ShowSummary(cleaned ? "" : "clean-up skipped: Remove.bat could not be written or started");
    FinishOperation();
}

void MountForm::cmdRemove_Click() {
    if (busy_) {
        return;
    }
    if (table_.Empty()) {
        view_.ShowMessage("There are no Virtual Drives to remove     ", kStyleInformation);
        return;
    }
    busy_ = true;
    std::vector<std::string> folders;
    for (const DriveRow& row : table_.Rows()) {
        if (row.Mountable()) {
            folders.push_back(row.storedFolder);
        }
    }
    const bool cleaned = StartCleanup(folders, "\\Removea.bat");
    std::size_t kept = 0;
    for (std::size_t j = table_.Count(); j > 0; --j) {
        const DriveRow row = table_.Row(j - 1);
        view_.SetStatus("Removing Virtual Drive " + row.letter);
        view_.PumpMessages();
        const bool unmounted = !row.Mountable() || UnMountVirtualDrive(processes_, row.letter);
        view_.PumpMessages();
        if (!unmounted) {
            ++kept;  // the drive is still there, and so is its row
            continue;
        }
        table_.RemoveAt(j - 1);
        view_.ShowTable(table_);
    }
    MarkTableChanged();
    if (table_.Empty()) {
        SelectStartupOption(StartupOption::None);
    }
    RefreshLetters(LetterRefresh::RemoveAll);
    ShowSummary(kept > 0 ? "subst.exe could not be started: " + std::to_string(kept) +
                               " Virtual Drives were not removed"
                : cleaned ? ""
                          : "clean-up skipped: Removea.bat could not be written or started");
    FinishOperation();
}

void MountForm::RemoveAllAndExit() {
    busy_ = true;
    // A drive whose subst.exe could not be started is still there, and a
    // line that is no mapping was never one: both stay in the table, so that
    // they can still be removed later. The unload saves what is left.
    for (std::size_t j = table_.Count(); j > 0; --j) {
        const DriveRow row = table_.Row(j - 1);
        if (row.Mountable() && UnMountVirtualDrive(processes_, row.letter)) {
            table_.RemoveAt(j - 1);
            MarkTableChanged();
        }
    }
    view_.PumpMessages();
    busy_ = false;
    Form_Unload(CloseKind::Program);
    view_.DestroyNow();
}

void MountForm::AddTrayIcon() {
    view_.Repaint();
    view_.BringToFront(Pane::Main);
    view_.AddNotificationIcon();
    iconAdded_ = true;
}

void MountForm::MountAllAndTray() {
    MountAllDrives();
    view_.PumpMessages();
    AddTrayIcon();
}

bool MountForm::TrayModeRegistered() {
    const std::string text = RunValueText();
    return text.find("/B") != std::string::npos || text.find("/T") != std::string::npos;
}

bool MountForm::Form_QueryUnload(bool fromTitleBar) {
    if (!fromTitleBar || !TrayModeRegistered()) {
        return true;
    }
    view_.ShowWindow();
    AddTrayIcon();
    view_.MinimizeWindow();  // the resize rule then hides the window
    return false;
}

void MountForm::Form_Resize(bool minimized) {
    if (!minimized || !TrayModeRegistered()) {
        return;
    }
    // Never hidden without an icon to bring the window back.
    if (!iconAdded_) {
        AddTrayIcon();
    }
    view_.HideWindow();
}

void MountForm::TrayIcon_Message(unsigned code) {
    switch (code) {
        case 514:  // WM_LBUTTONUP
        case 515:  // WM_LBUTTONDBLCLK
            mPopRestore_Click();
            break;
        case 517:  // WM_RBUTTONUP
            view_.SetForeground();
            view_.ShowTrayMenu();
            break;
        default:
            break;
    }
}

void MountForm::mPopRestore_Click() {
    view_.RestoreWindow();
}

void MountForm::mPopExit_Click() {
    if (!QueryClose()) {
        return;  // carried out when the running operation ends
    }
    if (Form_Unload(CloseKind::User)) {
        view_.DestroyNow();
    }
}

void MountForm::TaskbarCreated() {
    if (iconAdded_) {
        view_.AddNotificationIcon();
    }
}

void MountForm::cmdOptions_Click() {
    view_.BringToFront(Pane::Options);
}

void MountForm::cmdBack_Click() {
    view_.BringToFront(Pane::Main);
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
    view_.Mark("another copy checked");
    if (!FileExists(fileSystem_, storePath_)) {
        fileSystem_.WriteNewFile(storePath_, {});
    }
    view_.Mark("store file checked");
    RefreshLetterList(letters_, driveLetters_, fileSystem_, LetterRefresh::StartUp);
    view_.Mark("free letters");
    // The mount list comes with the rows: both are read from the store file
    // in one pass, blank lines dropped, so they cannot disagree.
    RefreshDriveList();
    // The letters the table holds are no free letters for a new drive.
    RemoveTakenLetters(letters_, TakenLetters());
    letters_.SelectFirst();
    view_.ShowLetters(letters_);
    view_.Mark("letters shown");
    view_.PumpMessages();
    view_.Mark("message pump");

    double screenWidth = 0;
    double screenHeight = 0;
    double windowWidth = 0;
    double windowHeight = 0;
    view_.ScreenAndWindowSize(screenWidth, screenHeight, windowWidth, windowHeight);
    view_.MoveWindowTo((screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2);
    view_.Mark("centred");

    // The routine of each mode, in the order of StartupMode; none for the normal start.
    const std::function<void()>* const routines[] = {nullptr, &mountAllAndExit, &removeAllAndExit,
                                                     &addTrayIcon, &mountAllAndTray};
    const std::function<void()>* routine = routines[static_cast<std::size_t>(mode)];
    if (routine != nullptr && *routine) {
        (*routine)();
    } else {
        view_.ShowWindow();
        view_.Mark("first paint");
        OfferRescue();
        view_.Mark("rescue file checked");
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
    for (;;) {
        const SaveStatus status = SaveDriveList(fileSystem_, table_, storePath_);
        if (status == SaveStatus::Saved || (status == SaveStatus::StoreUnread && !tableChanged_)) {
            break;  // saved, or an unread file with nothing to add is left alone
        }
        if (kind == CloseKind::SessionEnd) {
            WriteRescue();  // nothing can wait now
            break;
        }
        const std::string text = status == SaveStatus::StoreUnread ? kUnreadNotSaved : kSaveFailed;
        if (kind == CloseKind::Program) {
            view_.ShowMessage(text, kStyleExclamation);
            break;
        }
        if (view_.ShowMessage(text + kCloseAnyway, kStyleExclamation | kButtonsRetryCancel) !=
            kAnswerRetry) {
            return false;
        }
        if (status == SaveStatus::StoreUnread) {
            // Readable now? Its lines the table does not hold join the table,
            // so that saving it loses nothing of the file.
            std::vector<std::string> lines;
            if (LoadMountList(lines, fileSystem_, storePath_) != ReadStatus::Failed) {
                RemoveBlankEntries(lines);
                const std::vector<std::string> held = table_.MountEntries();
                for (const std::string& line : lines) {
                    if (std::find(held.begin(), held.end(), line) == held.end()) {
                        table_.Append(ReadStoreLine(fileSystem_, line));
                    }
                }
                table_.SetStoreUnread(false);
                view_.ShowTable(table_);
            }
        }
    }
    unloaded_ = true;
    view_.DeleteTrayIcon();
    view_.UnloadOtherWindows();
    return true;
}

void MountForm::WriteRescue() {
    // The store's path first, so that only this copy's next start offers it.
    std::string contents = storePath_ + "\r\n";
    for (const DriveRow& row : table_.Rows()) {
        contents += StoreLineFor(fileSystem_, row) + "\r\n";
    }
    fileSystem_.CreateFolder(rescueFolder_);
    fileSystem_.WriteNewFile(RescuePath(), contents);
}

void MountForm::OfferRescue() {
    std::string contents;
    if (fileSystem_.ReadWholeFile(RescuePath(), contents) != ReadStatus::Ok) {
        return;
    }
    std::vector<std::string> lines = SplitLines(contents);
    if (lines.empty() || lines.front() != storePath_) {
        return;  // another copy's, in another folder
    }
    if (view_.ShowMessage(kRescueOffer, kStyleQuestion | kButtonsYesNo) == kAnswerYes) {
        std::vector<DriveRow> rows;
        for (auto line = lines.begin() + 1; line != lines.end(); ++line) {
            rows.push_back(ReadStoreLine(fileSystem_, *line));
        }
        table_.ReplaceRows(std::move(rows));
        MarkTableChanged();
        SaveTable();
        view_.ShowTable(table_);
        RefreshLetters(LetterRefresh::StartUp);
        ShowSummary();
    }
    fileSystem_.DeleteFileAt(RescuePath());
}

bool MountForm::SaveTable() {
    if (SaveDriveList(fileSystem_, table_, storePath_) != SaveStatus::Saved) {
        return false;
    }
    tableChanged_ = false;
    return true;
}

std::string MountForm::StatusSummary() {
    const std::size_t n = table_.Count();
    if (n == 0) {
        return "Virtual Drives";
    }
    // Only the last row decides, whatever the others show.
    const DriveRow& last = table_.Row(n - 1);
    const bool lastMounted = last.Mountable() && DirExists(fileSystem_, last.letter);
    const auto skipped = std::count_if(table_.Rows().begin(), table_.Rows().end(),
                                       [](const DriveRow& row) { return !row.Mountable(); });
    return std::to_string(n) +
           (lastMounted ? " Virtual Drives (Mounted)"
                        : " Virtual Drives (Red X indicates Drive is Not Mounted)") +
           (skipped > 0 ? ", " + std::to_string(skipped) + " skipped (not a drive and folder)"
                        : "");
}

void MountForm::ShowSummary(const std::string& note) {
    view_.SetStatus(table_.StoreUnread() ? kUnreadStore
                                         : StatusSummary() + (note.empty() ? "" : "; " + note));
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
    if ((tableChanged_ && !SaveTable()) ||
        LoadDriveTable(table_, fileSystem_, storePath_) == ReadStatus::Failed) {
        for (std::size_t i = 0; i < table_.Count(); ++i) {
            const DriveRow& row = table_.Row(i);
            table_.SetMounted(i, row.Mountable() && DirExists(fileSystem_, row.letter));
        }
    }
    view_.Mark("drive list read");
    if (!table_.Empty()) {
        table_.Select(std::nullopt);
    }
    view_.ShowTable(table_);
    view_.Mark("rows shown");
    ShowSummary();
    view_.Mark("status shown");
    ReadStartupOption();
    view_.Mark("Run value read");
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
    busy_ = true;
    // The rows are taken once: the table does not change while this runs,
    // since other table commands are refused meanwhile.
    const std::vector<DriveRow> rows = table_.Rows();
    std::vector<std::string> notStarted;
    for (const DriveRow& row : rows) {
        if (!row.Mountable()) {
            continue;  // a hand-written line that is no mapping
        }
        view_.SetStatus("Mounting " + row.letter + "....");
        view_.PumpMessages();
        if (!MountVirtualDrive(processes_, row.letter, row.storedFolder)) {
            notStarted.push_back(row.letter);
        }
        view_.PumpMessages();
    }
    RefreshLetters(LetterRefresh::MountAll);
    view_.PumpMessages();
    view_.SetStatus("Virtual Drives");
    view_.PumpMessages();
    RefreshDriveList();
    if (!notStarted.empty()) {
        // A mapping whose subst.exe never ran is not mounted, whatever the
        // letter shows; the rows say so and the status line says why.
        for (std::size_t i = 0; i < table_.Count(); ++i) {
            for (const std::string& letter : notStarted) {
                if (table_.Row(i).letter == letter) {
                    table_.SetMounted(i, false);
                }
            }
        }
        view_.ShowTable(table_);
        ShowSummary("subst.exe could not be started: " + std::to_string(notStarted.size()) +
                    " Virtual Drives not mounted");
    }
    FinishOperation();
}

void MountForm::MountAllAndExit() {
    busy_ = true;
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
    busy_ = true;
    if (!pendingFolder_.empty() && !currentRow) {
        const std::string letter = letters_.SelectedText();
        if (letter.empty()) {
            view_.ShowMessage(kNoFreeLetter, kStyleExclamation);
        } else {
            DriveRow row;
            row.letter = letter;
            row.folder = pendingFolder_;
            row.storedFolder = StoredFolderFor(fileSystem_, pendingFolder_);
            if (row.storedFolder.empty()) {
                row.storedFolder = pendingFolder_;  // no short form: keep the folder itself
            }
            const bool started = MountVirtualDrive(processes_, letter, row.storedFolder);
            // The icon tells what happened, not what was hoped for.
            row.mounted = started && DirExists(fileSystem_, letter);
            table_.Append(row);
            MarkTableChanged();
            view_.ShowTable(table_);
            view_.PumpMessages();
            RefreshLetters(LetterRefresh::CreateDrive);
            ShowSummary(started ? ""
                                : "subst.exe could not be started: " + letter + " is not mounted");
        }
    } else if (currentRow && currentSelected && pendingFolder_.empty()) {
        // The row's entry is part of the row itself, so there is always a
        // stored folder to mount, unless the line is no mapping at all.
        const DriveRow row = table_.Row(*currentRow);
        if (!row.Mountable()) {
            view_.ShowMessage("\"" + row.MountEntry() + "\"" + kNotMountable, kStyleExclamation);
        } else {
            MountVirtualDrive(processes_, row.letter, row.storedFolder);
            SaveTable();
            view_.PumpMessages();
            RefreshLetters(LetterRefresh::CreateDrive);
            RefreshDriveList();
        }
    }
    if (!table_.Empty()) {
        table_.Select(std::nullopt);
        view_.ShowTable(table_);
    }
    FinishOperation();
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

namespace kestrova {

std::string ArgumentText(const std::string& commandLine) {
    std::size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const std::size_t close = commandLine.find('"', 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') {
            ++i;
        }
    }
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) {
        ++i;
    }
    return commandLine.substr(i);
}

}  // namespace kestrova
