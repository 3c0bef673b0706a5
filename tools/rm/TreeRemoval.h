#pragma once

#include <string>

namespace kestrova {

// Deletes the folder tree, file or link at path, which has passed CheckRmPath.
// Links (reparse points) are removed as links and never entered; read-only
// entries are made writable first. An entry that cannot be deleted is reported
// on stderr and the rest of the tree is still deleted. Returns the exit code:
// kRmExitDeleted, kRmExitNotFound or kRmExitIncomplete.
int RemoveTree(const std::string& path);

// Writes text, which ends in its own "\n", to stderr as it is.
void WriteError(const std::string& text);

}  // namespace kestrova
