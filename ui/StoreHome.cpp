#include "ui/StoreHome.h"

#include <algorithm>
#include <utility>

#include "core/PathNames.h"
#include "ui/CommandLine.h"

namespace kestrova {

StoreHome::StoreHome(FileSystem& fileSystem, const std::string& programFolder,
                     std::string userFolder)
    : fileSystem_(fileSystem),
      userFolder_(std::move(userFolder)),
      programStore_(StorePath(programFolder)),
      userStore_(userFolder_ + "\\Shrt.dat"),
      rescue_(userFolder_ + "\\Shrt.rescue"),
      path_(programStore_) {}

bool StoreHome::ProgramStoreWritable() {
    std::string contents;
    switch (fileSystem_.ReadWholeFile(programStore_, contents)) {
        case ReadStatus::NotFound:
            // A first start: the empty store is made here if it can be.
            return fileSystem_.WriteNewFile(programStore_, {});
        case ReadStatus::Failed:
            // A file that cannot be read is never hidden behind a copy: it
            // stays the home, and is left as it is.
            return true;
        case ReadStatus::Ok: break;
    }
    // A save writes a file beside the store and moves it over the store.
    const std::string probe = programStore_ + ".tmp";
    const bool writable =
        !fileSystem_.IsReadOnly(programStore_) && fileSystem_.WriteNewFile(probe, {});
    fileSystem_.DeleteFileAt(probe);
    return writable;
}

void StoreHome::Choose() {
    path_ = programStore_;
    if (ProgramStoreWritable()) {
        return;
    }
    fileSystem_.CreateFolder(userFolder_);
    std::string contents;
    if (fileSystem_.ReadWholeFile(userStore_, contents) == ReadStatus::NotFound) {
        std::string table;
        fileSystem_.ReadWholeFile(programStore_, table);
        if (!Replace(userStore_, table)) {
            return;  // neither can be written: the program folder's is shown
        }
    }
    path_ = userStore_;
}

bool StoreHome::Replace(const std::string& path, const std::string& contents) {
    const std::string temporary = path + ".tmp";
    if (fileSystem_.WriteNewFile(temporary, contents) && fileSystem_.ReplaceWith(temporary, path)) {
        return true;
    }
    fileSystem_.DeleteFileAt(temporary);
    return false;
}

SaveStatus StoreHome::Save(const DriveTable& table, std::string& reason) {
    SaveStatus status = SaveDriveList(fileSystem_, table, path_);
    if ((status == SaveStatus::WriteFailed || status == SaveStatus::ReplaceFailed) &&
        !InUserFolder()) {
        reason = fileSystem_.FailureReason();
        fileSystem_.CreateFolder(userFolder_);
        if (SaveDriveList(fileSystem_, table, userStore_) == SaveStatus::Saved) {
            path_ = userStore_;
            return SaveStatus::Saved;
        }
        return status;  // the program folder's reason: it is the one the user knows
    }
    if (status == SaveStatus::WriteFailed || status == SaveStatus::ReplaceFailed) {
        reason = fileSystem_.FailureReason();
    }
    return status;
}

bool StoreHome::WriteRescue(const DriveTable& table) {
    std::string contents = programStore_ + "\r\n";
    for (const DriveRow& row : table.Rows()) {
        contents += StoreLineFor(fileSystem_, row) + "\r\n";
    }
    fileSystem_.CreateFolder(userFolder_);
    return Replace(rescue_, contents);
}

bool StoreHome::ReadRescue(std::vector<std::string>& lines, std::string& written) {
    std::string contents;
    if (fileSystem_.ReadWholeFile(rescue_, contents) != ReadStatus::Ok) {
        return false;
    }
    lines = SplitLines(contents);
    if (lines.empty() || lines.front() != programStore_) {
        return false;  // another copy's, in another folder
    }
    lines.erase(lines.begin());
    RemoveBlankEntries(lines);
    written = fileSystem_.ModifiedText(rescue_);
    return true;
}

std::string SaveFailureText(SaveStatus status, const std::string& path, const std::string& reason) {
    if (status == SaveStatus::StoreUnread) {
        return "The Virtual Drives could not be saved: " + path +
               " could not be read, so it is left as it was.";
    }
    return "The Virtual Drives could not be saved to " + path + " (the file on disk is " +
           "unchanged): " + (reason.empty() ? "the system gave no reason." : reason);
}

std::string CloseQuestion(const std::string& failure, const std::string& rescuePath) {
    return failure +
           "     \r\n\r\nTry Again to save them again, Continue to close Kestrova and keep them "
           "in " +
           rescuePath +
           " for its next start, or Cancel to keep Kestrova open with its Virtual Drives.     ";
}

std::string RescueQuestion(const std::vector<DriveRow>& rows, const std::string& written,
                           const std::string& rescuePath) {
    std::string listed;
    for (const DriveRow& row : rows) {
        listed += "    " + row.letter + "   " +
                  (row.folder.empty() ? row.storedFolder : row.folder) + "\r\n";
    }
    return "Kestrova could not save its Virtual Drives when Windows ended a session" +
           (written.empty() ? std::string() : " on " + written) + ", and kept them in " +
           rescuePath + ":\r\n\r\n" + listed +
           "\r\nAdd the drives whose letters are not in the list now?     ";
}

std::size_t AddRescuedRows(DriveTable& table, std::vector<DriveRow> rows) {
    std::size_t added = 0;
    for (DriveRow& row : rows) {
        const bool held = std::any_of(
            table.Rows().begin(), table.Rows().end(),
            [&](const DriveRow& own) { return Upper(own.letter) == Upper(row.letter); });
        if (!held) {
            table.Append(std::move(row));
            ++added;
        }
    }
    return added;
}

}  // namespace kestrova
