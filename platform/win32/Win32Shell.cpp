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
    decltype(&SHBrowseForFolderW) browse = nullptr;
    decltype(&SHGetPathFromIDListW) pathFromList = nullptr;
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
        loaded.browse = Find<decltype(&SHBrowseForFolderW)>(shell, "SHBrowseForFolderW");
        loaded.pathFromList = Find<decltype(&SHGetPathFromIDListW)>(shell, "SHGetPathFromIDListW");
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

bool BrowseForFolder(HWND owner, const std::string& prompt, std::string& folder) {
    folder.clear();
    const ShellFunctions& shell = Shell();
    if (!shell.ready) {
        return true;
    }
    // Asked wide, so that the name comes back whole whatever the code page.
    const std::string title = prompt + " to Mount";
    std::array<wchar_t, 512> wideTitle{};
    MultiByteToWideChar(CP_ACP, 0, title.c_str(), -1, wideTitle.data(),
                        static_cast<int>(wideTitle.size()) - 1);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = wideTitle.data();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE item = shell.browse(&info);
    if (item == nullptr) {
        return true;
    }
    std::array<wchar_t, MAX_PATH> path{};
    const BOOL found = shell.pathFromList(item, path.data());
    shell.freeMemory(item);
    path.back() = L'\0';
    if (!found || path[0] == L'\0') {
        return true;
    }
    // UTF-8 holds every name; a legacy code page may not, and then the
    // conversion must say so rather than put a "?" in.
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL lost = FALSE;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(CP_ACP, flags, path.data(), -1, nullptr, 0, nullptr,
                                         utf8 ? nullptr : &lost);
    if (lost) {
        return false;
    }
    if (size <= 1) {
        return true;
    }
    folder.assign(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, path.data(), -1, folder.data(), size, nullptr, nullptr);
    folder.resize(static_cast<std::size_t>(size - 1));
    return true;
}

}  // namespace kestrova
