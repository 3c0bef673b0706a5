#include "core/DriveTable.h"

#include <utility>

#include "core/StoreEntry.h"

namespace kestrova {

bool DriveRow::Mountable() const {
    return hasSeparator && IsDriveText(letter) && IsAbsoluteFolder(storedFolder);
}

std::vector<std::string> DriveTable::MountEntries() const {
    std::vector<std::string> entries;
    entries.reserve(rows_.size());
    for (const DriveRow& row : rows_) {
        entries.push_back(row.MountEntry());
    }
    return entries;
}

void DriveTable::Append(DriveRow row) {
    rows_.push_back(std::move(row));
}

void DriveTable::RemoveAt(std::size_t index) {
    if (index >= rows_.size()) {
        return;
    }
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
    if (selected_ == index) {
        selected_.reset();
    } else if (selected_ && *selected_ > index) {
        selected_ = *selected_ - 1;
    }
}

void DriveTable::ReplaceRows(std::vector<DriveRow> rows) {
    rows_ = std::move(rows);
    selected_.reset();
}

void DriveTable::Select(std::optional<std::size_t> index) {
    if (index && *index >= rows_.size()) {
        index.reset();
    }
    selected_ = index;
}

}  // namespace kestrova
