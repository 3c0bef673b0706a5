#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

// One virtual drive as the window holds it. The row of the drive list and the
// entry of the mount list are two views of this one record, so the two forms
// of the table cannot drift apart.
struct DriveRow {
    std::string letter;        // the drive list's row text, as stored ("E:")
    std::string folder;        // the long folder shown in the second column
    std::string storedFolder;  // the stored folder the row was read or created with
    bool hasSeparator = true;  // false for a hand-written line without "-"
    bool mounted = false;      // drive icon when true, red X otherwise

    // The mount-list entry: the letter, "-" and the stored folder, exactly as
    // stored; a line without "-" is its own entry.
    std::string MountEntry() const { return hasSeparator ? letter + "-" + storedFolder : letter; }
    // One drive letter and an absolute folder: only such a row is handed to
    // subst. Any other line (written by hand) is kept as it is, never mounted,
    // unmounted or cleaned up.
    bool Mountable() const;
};

// The virtual drive table: the rows of `lstDrives` and the entries of
// `lstMount`, one element per virtual drive, in table order, with the one
// selection the two lists share.
class DriveTable {
  public:
    std::size_t Count() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }
    const DriveRow& Row(std::size_t index) const { return rows_.at(index); }
    const std::vector<DriveRow>& Rows() const { return rows_; }

    std::string MountEntry(std::size_t index) const { return rows_.at(index).MountEntry(); }
    std::vector<std::string> MountEntries() const;

    void Append(DriveRow row);
    void RemoveAt(std::size_t index);
    void ReplaceRows(std::vector<DriveRow> rows);
    void SetMounted(std::size_t index, bool mounted) { rows_.at(index).mounted = mounted; }

    // The selected row (0-based), which is also the selected mount entry.
    std::optional<std::size_t> Selected() const { return selected_; }
    void Select(std::optional<std::size_t> index);

    // Set when the store file exists but could not be read: the table then
    // does not show what the file holds, and saving it would destroy the file.
    bool StoreUnread() const { return storeUnread_; }
    void SetStoreUnread(bool unread) { storeUnread_ = unread; }

  private:
    std::vector<DriveRow> rows_;
    std::optional<std::size_t> selected_;
    bool storeUnread_ = false;
};

}  // namespace kestrova
