#pragma once

#include <windows.h>

#include <string>

namespace kestrova {

// The shell's folder browser over `owner`, showing the prompt followed by
// " to Mount"; only file-system folders can be chosen. `folder` is the chosen
// folder, or the empty text when the user cancels or anything fails. False
// when the folder's name has a character the process's code page cannot hold
// (then `folder` is empty): a name is never handed on with a character lost.
bool BrowseForFolder(HWND owner, const std::string& prompt, std::string& folder);

}  // namespace kestrova
