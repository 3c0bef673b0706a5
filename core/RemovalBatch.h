#pragma once

#include <string>
#include <vector>

namespace kestrova {

// The clean-up batch files written before drives are removed: for each local
// folder a line that deletes the folder's RECYCLER folder with the rm tool
// beside the program, then a line that deletes the batch file itself, then
// "Exit". Every line ends in CR LF.

// A path as a batch line must hold it to reach the command interpreter as
// written: in double quotes, so that & ( ) , ; = ^ and blanks are plain
// characters, and with every % doubled, so that nothing is expanded. (The
// batch runs with delayed expansion off, so ! is plain too.)
std::string BatchQuoted(const std::string& path);

// Whether a path can be written in a batch line at all: ASCII, which the
// command interpreter reads the same in every code page, without a quote or a
// control character.
bool BatchSafe(const std::string& path);

// Whether a stored folder gets a clean-up line: only a batch-safe absolute
// local folder below a drive root (a network folder, an empty or relative
// folder or a drive root would name some other RECYCLER folder).
bool HasCleanupLine(const std::string& storedFolder);

// if exist "F\RECYCLER" "S\rm" /y "F\RECYCLER" for the stored folder F and the
// short program folder S.
std::string CleanupLine(const std::string& storedFolder, const std::string& shortProgramFolder);

// del "S\Remove.bat": the batch file's folder S and its own name B ("\Remove.bat").
std::string SelfDeleteLine(const std::string& shortBatchFolder, const std::string& batchName);

// The whole batch file for these stored folders.
std::string RemovalBatchText(const std::vector<std::string>& storedFolders,
                             const std::string& shortProgramFolder,
                             const std::string& shortBatchFolder, const std::string& batchName);

// The command line that runs a batch file of the folder it is started in:
// the interpreter named by its full path (never a program of that name beside
// Kestrova), without AutoRun commands and with delayed expansion off, given
// the batch file relative to that folder, so no character of the folder's
// name ever reaches the interpreter's parser.
std::string BatchCommandLine(const std::string& interpreter, const std::string& batchName);

}  // namespace kestrova
