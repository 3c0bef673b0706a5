#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "core/DriveTable.h"
#include "platform/FileSystem.h"
#include "ui/FormView.h"
#include "ui/StoreHome.h"

namespace kestrova {

// The drive table's life on disk: its home, whether memory holds a change the
// store lacks, what a close does when the table cannot be saved, and the
// rescue file a session end leaves behind.
class TableStore {
  public:
    TableStore(FormView& view, FileSystem& fileSystem, DriveTable& table,
               const std::string& programFolder, std::string userFolder);

    // Chooses the home at start-up.
    void Choose();
    const std::string& Path() const { return home_.Path(); }

    // Saves the table at its home: true when the store holds the table now.
    bool Save();
    // The table has changed: it is saved at once. The note for the status
    // line says when it could not be.
    std::string SaveChange();
    // Memory holds a change the store may lack, saved by the next save.
    void MarkChanged() { changed_ = true; }
    bool Changed() const { return changed_; }

    // Keeps the table at a close: saved, or (when it cannot be) what the
    // close's kind allows: the rescue file at a session end, a message when
    // the program ends itself, the user's answer otherwise. False when the
    // window stays open.
    bool KeepAtClose(CloseKind kind);

    // Offers this copy's rescue file: accepted, its drives whose letters the
    // table lacks join the table and are saved. How many joined, or nothing
    // when there was no offer or it was declined; `saved` is SaveChange's note.
    std::optional<std::size_t> OfferRescue(std::string& saved);

    // Where the table is kept, once, when the home has just become the user's
    // own file; empty otherwise.
    std::string TakeNote();

  private:
    // The question of a close whose table cannot be saved: true when the
    // window may close; `tryAgain` when the user asked to.
    bool AskAtClose(SaveStatus status, bool& tryAgain);
    // A store that could not be read at start-up and can be now: its lines
    // the table does not hold join the table.
    void MergeUnreadStore();

    FormView& view_;
    FileSystem& fileSystem_;
    DriveTable& table_;
    StoreHome home_;
    std::string note_;
    std::string failure_;  // the system's reason of the last failed save
    bool changed_ = false;
};

// Two notes for the status line, either of which may be empty.
std::string Joined(const std::string& first, const std::string& second);

// The status line's summary of the table: how many drives, whether every one
// is mounted, how many lines are no mapping.
std::string StatusSummary(const DriveTable& table);

}  // namespace kestrova
