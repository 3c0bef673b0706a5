#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/DriveTable.h"
#include "core/StoreFile.h"
#include "platform/FileSystem.h"

namespace kestrova {

// Where the table is kept. Shrt.dat in the program folder when that file can
// be written there, or created there; otherwise (a program under
// C:\Program Files, say, which a standard user cannot write) the user's own
// Shrt.dat in the local application data, in the same format, which starts
// as a copy of the program folder's. A save that fails in the program folder
// moves the table to the user's file. The rescue file beside the user's file
// keeps a table that could not be saved anywhere when Windows ended the
// session, for this copy's next start.
class StoreHome {
  public:
    StoreHome(FileSystem& fileSystem, const std::string& programFolder, std::string userFolder);

    // Chooses the home at start-up and makes sure a store is there (an empty
    // one, or the user's copy of the program folder's).
    void Choose();
    const std::string& Path() const { return path_; }
    bool InUserFolder() const { return path_ == userStore_; }
    const std::string& ProgramStore() const { return programStore_; }

    // Saves the table at its home, moving to the user's file when the program
    // folder refuses. `reason` is the system's reason when it is not saved.
    SaveStatus Save(const DriveTable& table, std::string& reason);

    const std::string& RescuePath() const { return rescue_; }
    // Writes the table's lines to the rescue file, after the program folder's
    // store path, which tells the copy of Kestrova they belong to.
    bool WriteRescue(const DriveTable& table);
    // The rescue file's lines when it is this copy's, and when it was written.
    bool ReadRescue(std::vector<std::string>& lines, std::string& written);
    void DeleteRescue() { fileSystem_.DeleteFileAt(rescue_); }

  private:
    // The program folder's store can be written, or created, now.
    bool ProgramStoreWritable();
    // Writes a file whole in one step (a temporary file moved over it).
    bool Replace(const std::string& path, const std::string& contents);

    FileSystem& fileSystem_;
    std::string userFolder_;
    std::string programStore_;
    std::string userStore_;
    std::string rescue_;
    std::string path_;
};

// Why the table could not be saved at `path`, as the user is told.
std::string SaveFailureText(SaveStatus status, const std::string& path, const std::string& reason);

// The question a close asks when the table cannot be saved anywhere.
std::string CloseQuestion(const std::string& failure, const std::string& rescuePath);

// The offer of a rescue file: what it holds (the rows), when it was written.
std::string RescueQuestion(const std::vector<DriveRow>& rows, const std::string& written,
                           const std::string& rescuePath);

// Adds the rescued rows whose letters the table does not hold (compared
// without regard to case): the table's own rows are newer. How many came.
std::size_t AddRescuedRows(DriveTable& table, std::vector<DriveRow> rows);

}  // namespace kestrova
