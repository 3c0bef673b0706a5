#pragma once

#include <windows.h>

#include <string>

namespace kestrova {

// The shell's folder browser over `owner`, showing the prompt followed by
// " to Mount"; only file-system folders can be chosen. The chosen folder, or
// the empty text when the user cancels or anything fails.
std::string BrowseForFolder(HWND owner, const std::string& prompt);

}  // namespace kestrova
