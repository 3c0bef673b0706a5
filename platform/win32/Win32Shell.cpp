#include "platform/win32/Win32Shell.h"

#include <objbase.h>
#include <shlobj.h>

#include <array>

namespace kestrova {

namespace {

// The shell and COM are loaded when the browser is first wanted, not at
// start-up: most runs of the program never browse, and loading them costs a
// noticeable part of the start under Wine.
struct ShellFunctions {
    decltype(&SHBrowseForFolderA) browse = nullptr;
    decltype(&SHGetPathFromIDListA) pathFromList = nullptr;
    decltype(&CoTaskMemFree) freeMemory = nullptr;
    bool ready = false;
};

template <typename Function>
Function Find(HMODULE module, const char* name) {
    return module == nullptr
               ? nullptr
               : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const ShellFunctions& Shell() {
    static const ShellFunctions functions = [] {
        ShellFunctions loaded;
        HMODULE ole = LoadLibraryA("ole32.dll");
        HMODULE shell = LoadLibraryA("shell32.dll");
        const auto initialize = Find<decltype(&CoInitializeEx)>(ole, "CoInitializeEx");
        loaded.freeMemory = Find<decltype(&CoTaskMemFree)>(ole, "CoTaskMemFree");
        loaded.browse = Find<decltype(&SHBrowseForFolderA)>(shell, "SHBrowseForFolderA");
        loaded.pathFromList = Find<decltype(&SHGetPathFromIDListA)>(shell, "SHGetPathFromIDListA");
        // COM once for the window's thread, which is the only one that browses;
        // it stays initialised until the process ends.
        loaded.ready = initialize != nullptr && loaded.freeMemory != nullptr &&
                       loaded.browse != nullptr && loaded.pathFromList != nullptr &&
                       SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
        return loaded;
    }();
    return functions;
}

}  // namespace

std::string BrowseForFolder(HWND owner, const std::string& prompt) {
    const ShellFunctions& shell = Shell();
    if (!shell.ready) {
        return {};
    }
    const std::string title = prompt + " to Mount";
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = nullptr;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE item = shell.browse(&info);
    if (item == nullptr) {
        return {};
    }
    std::array<char, MAX_PATH> path{};
    const BOOL found = shell.pathFromList(item, path.data());
    shell.freeMemory(item);
    if (!found) {
        return {};
    }
    path.back() = '\0';
    return path.data();
}

}  // namespace kestrova
