#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/DriveTable.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "ui/FormView.h"

namespace kestrova {

// Takes drives out of use: the clean-up batch file that deletes each
// removed local folder's recycle bin, then a subst /d for each drive.
class Removal {
  public:
    Removal(FormView& view, FileSystem& fileSystem, ProcessRunner& processes,
            const std::string& programFolder)
        : view_(view),
          fileSystem_(fileSystem),
          processes_(processes),
          programFolder_(programFolder) {}

    // Writes the batch file `batchName` ("\Remove.bat") for these stored
    // folders beside the store and starts it, hidden and not waited for. False
    // when it could not be written or started (nothing is left behind then).
    bool StartCleanup(const std::vector<std::string>& storedFolders, const std::string& batchName,
                      const std::string& storePath);

    // Unmounts the table's drives from the last row to the first and takes
    // each row out. A drive whose subst.exe could not be started is still
    // there, and its row stays; a line that is no mapping goes too, unless
    // `keepOtherLines`. With `progress` the status line names each drive and
    // the list shows each removal. Returns how many drives stayed.
    std::size_t RemoveAll(DriveTable& table, bool progress, bool keepOtherLines);

    // The stored folders of the table's mappings, for the batch file.
    static std::vector<std::string> MappedFolders(const DriveTable& table);

  private:
    FormView& view_;
    FileSystem& fileSystem_;
    ProcessRunner& processes_;
    const std::string& programFolder_;
};

}  // namespace kestrova
