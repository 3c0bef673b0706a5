#pragma once

#include <string>

#include "tools/rm/RmRules.h"

namespace kestrova {

// Lists the entry at path, which has passed CheckRmPath, as CheckRecycleBin
// takes it: the entry itself and, when it is a folder and not a link, its
// entries and those of each of them that is a folder and not a link. Nothing
// is deleted and no link is entered. False when it cannot, with the reason on
// stderr and the exit code in failure: kRmExitNotFound or kRmExitNotABin.
bool ListRecycleBin(const std::string& path, RmEntry& bin, int& failure);

// Deletes a bin that CheckRecycleBin accepted, and in it only what was listed:
// each item in each user's folder (a deleted folder with all its contents),
// then the user's folders, then the bin. Links are removed as links and never
// entered; read-only entries are made writable first. An entry that cannot be
// deleted, or that appeared after the listing and keeps its folder, is
// reported on stderr and the rest is still deleted. Returns kRmExitDeleted or
// kRmExitIncomplete.
int RemoveRecycleBin(const RmEntry& bin);

// Writes text, which ends in its own "\n", to stderr as it is.
void WriteError(const std::string& text);

}  // namespace kestrova
