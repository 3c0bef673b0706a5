#include "ui/TableStore.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/StoreEntry.h"
#include "core/StoreFile.h"

namespace kestrova {

namespace {

const char kRescueFailed[] =
    "The Virtual Drives could not be kept in the rescue file either, so Kestrova stays open "
    "with them.     ";

std::string KeptNote(const std::string& path) {
    return "the Virtual Drives are kept in " + path + ", as the program's folder cannot be written";
}

}  // namespace

TableStore::TableStore(FormView& view, FileSystem& fileSystem, DriveTable& table,
                       const std::string& programFolder, std::string userFolder)
    : view_(view),
      fileSystem_(fileSystem),
      table_(table),
      home_(fileSystem, programFolder, std::move(userFolder)) {}

void TableStore::Choose() {
    home_.Choose();
    if (home_.InUserFolder()) {
        note_ = KeptNote(home_.Path());
    }
}

bool TableStore::Save() {
    const bool wasUserFolder = home_.InUserFolder();
    if (home_.Save(table_, failure_) != SaveStatus::Saved) {
        return false;
    }
    changed_ = false;
    if (!wasUserFolder && home_.InUserFolder()) {
        note_ = KeptNote(home_.Path());
    }
    return true;
}

std::string TableStore::SaveChange() {
    changed_ = true;
    if (Save()) {
        return {};
    }
    return "not saved: " + (table_.StoreUnread() ? home_.Path() + " could not be read" : failure_);
}

bool TableStore::KeepAtClose(CloseKind kind) {
    for (bool tryAgain = true; tryAgain;) {
        tryAgain = false;
        const SaveStatus status = home_.Save(table_, failure_);
        // Saved, or nothing to save: the store holds the table already.
        if (status == SaveStatus::Saved || !changed_) {
            break;
        }
        if (kind == CloseKind::SessionEnd) {
            home_.WriteRescue(table_);  // nothing can wait now
        } else if (kind == CloseKind::Program) {
            view_.ShowMessage(SaveFailureText(status, home_.Path(), failure_) + "     ",
                              kStyleExclamation);
        } else if (!AskAtClose(status, tryAgain) && !tryAgain) {
            return false;
        }
    }
    changed_ = false;
    return true;
}

bool TableStore::AskAtClose(SaveStatus status, bool& tryAgain) {
    const int answer = view_.ShowMessage(
        CloseQuestion(SaveFailureText(status, home_.Path(), failure_), home_.RescuePath()),
        kStyleExclamation | kButtonsCancelTryContinue);
    if (answer == kAnswerContinue) {
        if (home_.WriteRescue(table_)) {
            return true;
        }
        view_.ShowMessage(kRescueFailed, kStyleExclamation);
        return false;
    }
    tryAgain = answer == kAnswerTryAgain;
    if (tryAgain && status == SaveStatus::StoreUnread) {
        MergeUnreadStore();
    }
    return false;
}

void TableStore::MergeUnreadStore() {
    std::vector<std::string> lines;
    if (LoadMountList(lines, fileSystem_, home_.Path()) == ReadStatus::Failed) {
        return;
    }
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

std::optional<std::size_t> TableStore::OfferRescue(std::string& saved) {
    std::vector<std::string> lines;
    std::string written;
    if (!home_.ReadRescue(lines, written)) {
        return std::nullopt;
    }
    std::vector<DriveRow> rows;
    rows.reserve(lines.size());
    for (const std::string& line : lines) {
        rows.push_back(ReadStoreLine(fileSystem_, line));
    }
    if (view_.ShowMessage(RescueQuestion(rows, written, home_.RescuePath()),
                          kStyleQuestion | kButtonsYesNo) != kAnswerYes) {
        home_.DeleteRescue();
        return std::nullopt;
    }
    const std::size_t added = AddRescuedRows(table_, std::move(rows));
    view_.ShowTable(table_);
    saved = SaveChange();
    if (saved.empty()) {
        home_.DeleteRescue();  // kept until the table is safe in the store
    }
    return added;
}

std::string Joined(const std::string& first, const std::string& second) {
    return first.empty() || second.empty() ? first + second : first + "; " + second;
}

std::string StatusSummary(const DriveTable& table) {
    const std::size_t n = table.Count();
    if (n == 0) {
        return "Virtual Drives";
    }
    // Mounted only when every row is: one red X is enough to say so.
    const bool allMounted = std::all_of(table.Rows().begin(), table.Rows().end(),
                                        [](const DriveRow& row) { return row.mounted; });
    const auto skipped = std::count_if(table.Rows().begin(), table.Rows().end(),
                                       [](const DriveRow& row) { return !row.Mountable(); });
    return std::to_string(n) +
           (allMounted ? " Virtual Drives (Mounted)"
                       : " Virtual Drives (Red X indicates Drive is Not Mounted)") +
           (skipped > 0 ? ", " + std::to_string(skipped) + " skipped (not a drive and folder)"
                        : "");
}

std::string TableStore::TakeNote() {
    return std::exchange(note_, std::string());
}

}  // namespace kestrova
