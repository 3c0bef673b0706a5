#include "platform/win32/Win32Shell.h"

#include <objbase.h>
#include <shlobj.h>

#include <array>

namespace kestrova {

namespace {

template <typename Function>
Function Find(HMODULE module, const char* name) {
    return module == nullptr
               ? nullptr
               : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct ShellFunctions {
    decltype(&SHBrowseForFolderW) browse = nullptr;
    decltype(&SHGetPathFromIDListW) pathFromList = nullptr;
    decltype(&Shell_NotifyIconA) notify = nullptr;
    decltype(&ShellExecuteA) execute = nullptr;
};

const ShellFunctions& Shell() {
    static const ShellFunctions functions = [] {
        HMODULE shell = LoadLibraryA("shell32.dll");
        return ShellFunctions{Find<decltype(&SHBrowseForFolderW)>(shell, "SHBrowseForFolderW"),
                              Find<decltype(&SHGetPathFromIDListW)>(shell, "SHGetPathFromIDListW"),
                              Find<decltype(&Shell_NotifyIconA)>(shell, "Shell_NotifyIconA"),
                              Find<decltype(&ShellExecuteA)>(shell, "ShellExecuteA")};
    }();
    return functions;
}

// COM, which only the folder browser needs, once for the window's thread
// (the only one that browses); it stays initialised until the process ends.
decltype(&CoTaskMemFree) ComMemoryFree() {
    static const auto freeMemory = [] {
        HMODULE ole = LoadLibraryA("ole32.dll");
        const auto initialize = Find<decltype(&CoInitializeEx)>(ole, "CoInitializeEx");
        return initialize != nullptr && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED))
                   ? Find<decltype(&CoTaskMemFree)>(ole, "CoTaskMemFree")
                   : nullptr;
    }();
    return freeMemory;
}

}  // namespace

bool BrowseForFolder(HWND owner, const std::string& prompt, std::string& folder) {
    folder.clear();
    const ShellFunctions& shell = Shell();
    const auto freeMemory = ComMemoryFree();
    if (shell.browse == nullptr || shell.pathFromList == nullptr || freeMemory == nullptr) {
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
    freeMemory(item);
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

bool NotifyIcon(DWORD message, NOTIFYICONDATAA* record) {
    return Shell().notify != nullptr && Shell().notify(message, record) != FALSE;
}

void OpenPage(HWND owner, const char* address) {
    if (Shell().execute != nullptr) {
        Shell().execute(owner, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
    }
}

}  // namespace kestrova
