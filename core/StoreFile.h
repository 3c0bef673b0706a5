#pragma once

#include <string>
#include <vector>

#include "core/DriveTable.h"
#include "platform/FileSystem.h"

namespace kestrova {

// The store file beside the program: the folder followed by "\Shrt.dat".
std::string StorePath(const std::string& programFolder);

// The lines of a store file, read whole: CR LF, a lone LF or a lone CR ends a
// line, and a last line without an ending counts too.
std::vector<std::string> SplitLines(const std::string& contents);

// The program's text (UTF-8) of a store file's bytes: a file an editor saved
// as UTF-16 (either byte order, with its byte-order mark) or in the legacy
// code page is converted; UTF-8 and ASCII stay as they are.
std::string StoreText(FileSystem& fileSystem, const std::string& bytes);

// Appends the entries of the store file to `list`, in file order and unchanged
// (a network entry keeps its quotes) but for a byte-order mark an editor put
// at the start of a line. The list is untouched unless the read
// succeeds.
ReadStatus LoadMountList(std::vector<std::string>& list, FileSystem& fileSystem,
                         const std::string& path);

// Removes every blank entry (empty, or blanks only); the others keep their order.
void RemoveBlankEntries(std::vector<std::string>& list);

// A store line read for the drive list: the letter, the folder to show (a
// quoted network folder without its quotes, any other the long form of the
// stored folder) and whether the letter is a drive right now. A line that is
// no mapping shows its folder as written and asks the file system nothing.
DriveRow ReadStoreLine(FileSystem& fileSystem, const std::string& line);

// Rebuilds both forms of the table from the store file. A file that is there
// but cannot be read leaves the table as it was and marks it unread; a missing
// file is an empty table.
ReadStatus LoadDriveTable(DriveTable& table, FileSystem& fileSystem, const std::string& path);

// The line a row is saved as. A folder without a short form right now keeps
// the stored folder it was read or created with, so no entry loses its folder.
std::string StoreLineFor(FileSystem& fileSystem, const DriveRow& row);

enum class SaveStatus {
    Saved,
    StoreUnread,    // refused: the file on disk was never read into the table
    WriteFailed,    // the new table could not be written beside the old file
    ReplaceFailed,  // the old file could not be replaced; it is still whole
};

// Rewrites the store file whole from the drive list. The table is written to a
// temporary file beside it, flushed, and moved over the old file in one step,
// so the file on disk is always either the whole old table or the whole new one.
SaveStatus SaveDriveList(FileSystem& fileSystem, const DriveTable& list, const std::string& path);

}  // namespace kestrova
