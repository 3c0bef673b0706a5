#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace kestrova {

// One store entry taken apart: the letter is the text before the first "-",
// the stored folder everything after it, further "-" included.
struct SplitEntry {
    std::string letter;
    std::string storedFolder;
    bool hasSeparator = false;  // false for a hand-written line without "-"
};

SplitEntry SplitStoreEntry(const std::string& entry);

// A folder given as a network path (\\server\share...).
bool IsUncFolder(const std::string& folder);

// One letter A-Z (either case) and a colon.
bool IsDriveText(const std::string& text);

// A stored folder that names a place without a current drive or folder to
// resolve it against: a drive and its root ("C:\..."), or a network path,
// quoted as stored or not. Empty, relative and drive-relative ("C:x") texts
// are not.
bool IsAbsoluteFolder(const std::string& storedFolder);

// A stored folder that holds a quoted network path ("\\server\share...").
bool IsQuotedUncFolder(const std::string& storedFolder);

// The stored form of a long folder: a network folder between double quotes,
// any other folder as its short form (empty when it has none).
std::string StoredFolderFor(FileSystem& fileSystem, const std::string& longFolder);

// The letter, "-" and the stored folder.
std::string ComposeStoreEntry(FileSystem& fileSystem, const std::string& letter,
                              const std::string& longFolder);

}  // namespace kestrova
