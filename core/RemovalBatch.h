#pragma once

#include <string>
#include <vector>

namespace kestrova {

// The clean-up batch files written before drives are removed: for each local
// folder a line that deletes the folder's RECYCLER folder with the rm tool
// beside the program, then a line that deletes the batch file itself, then
// "Exit". Every line ends in CR LF.

// A path with a blank in double quotes, so that the command interpreter takes
// it as one path; any other path unchanged.
std::string QuotedIfBlank(const std::string& path);

// Whether a stored folder gets a clean-up line: only an absolute local folder
// below a drive root (a network folder, an empty or relative folder or a
// drive root would name some other RECYCLER folder), written in ASCII, which
// the command interpreter reads the same in every code page.
bool HasCleanupLine(const std::string& storedFolder);

// "if exist F\RECYCLER S\rm /y F\RECYCLER" for the stored folder F and the
// short program folder S.
std::string CleanupLine(const std::string& storedFolder, const std::string& shortProgramFolder);

// "del S" followed by the batch file's own name ("\Remove.bat").
std::string SelfDeleteLine(const std::string& shortProgramFolder, const std::string& batchName);

// Whether a text holds ASCII only.
bool IsAscii(const std::string& text);

// The whole batch file for these stored folders.
std::string RemovalBatchText(const std::vector<std::string>& storedFolders,
                             const std::string& shortProgramFolder, const std::string& batchName);

}  // namespace kestrova
