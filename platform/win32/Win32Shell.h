#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace kestrova {

// The shell's services, loaded on first use: most starts of the program
// never need them, and loading the shell is a noticeable part of a start.

// The folder browser over `owner`, showing the prompt followed by " to
// Mount"; only file-system folders can be chosen. `folder` is the chosen
// folder, or the empty text when the user cancels or anything fails. False
// when the folder's name has a character the process's code page cannot hold
// (then `folder` is empty): a name is never handed on with a character lost.
bool BrowseForFolder(HWND owner, const std::string& prompt, std::string& folder);

// Shell_NotifyIconA.
bool NotifyIcon(DWORD message, NOTIFYICONDATAA* record);

// Opens a web page in the user's browser ("open", a normal window).
void OpenPage(HWND owner, const char* address);

}  // namespace kestrova
