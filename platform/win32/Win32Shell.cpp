#include "platform/win32/Win32Shell.h"

#include <shlobj.h>

#include <array>

namespace kestrova {

std::string BrowseForFolder(HWND owner, const std::string& prompt) {
    const std::string title = prompt + " to Mount";
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = nullptr;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);
    if (item == nullptr) {
        return {};
    }
    std::array<char, MAX_PATH> path{};
    const BOOL found = SHGetPathFromIDListA(item, path.data());
    CoTaskMemFree(item);
    if (!found) {
        return {};
    }
    path.back() = '\0';
    return path.data();
}

}  // namespace kestrova
