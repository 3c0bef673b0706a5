#include "platform/win32/Win32ProcessRunner.h"

#include <windows.h>

#include <iterator>
#include <vector>

#include "platform/win32/Handle.h"

namespace kestrova {

namespace {

// The window styles as the callers name them are the system's show commands.
static_assert(static_cast<int>(WindowStyle::Hidden) == SW_HIDE &&
              static_cast<int>(WindowStyle::Normal) == SW_SHOWNORMAL &&
              static_cast<int>(WindowStyle::Minimized) == SW_SHOWMINIMIZED);

WORD ShowCommandFor(WindowStyle style) {
    switch (style) {
        case WindowStyle::Hidden: return SW_HIDE;
        case WindowStyle::Minimized: return SW_SHOWMINIMIZED;
        case WindowStyle::Normal: break;
    }
    return SW_SHOWNORMAL;
}

}  // namespace

std::uint32_t Win32ProcessRunner::Start(const std::string& commandLine, WindowStyle style,
                                        const std::string& workingFolder) {
    if (commandLine.empty() || commandLine.find('\0') != std::string::npos ||
        workingFolder.find('\0') != std::string::npos) {
        return 0;
    }
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = ShowCommandFor(style);
    PROCESS_INFORMATION process{};
    const DWORD flags = style == WindowStyle::Hidden ? CREATE_NO_WINDOW : 0;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                        &process)) {
        return 0;
    }
    UniqueHandle thread(process.hThread);
    for (auto kept = started_.begin(); kept != started_.end();) {
        kept = WaitForSingleObject(kept->second.Get(), 0) == WAIT_OBJECT_0 ? started_.erase(kept)
                                                                           : std::next(kept);
    }
    started_[process.dwProcessId] = UniqueHandle(process.hProcess);
    return process.dwProcessId;
}

std::string Win32ProcessRunner::CommandInterpreter() {
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder, length < MAX_PATH ? length : 0) + "\\cmd.exe";
}

bool Win32ProcessRunner::WaitForProcess(std::uint32_t processId) {
    if (processId == 0) {
        return false;
    }
    UniqueHandle process;
    if (const auto kept = started_.find(processId); kept != started_.end()) {
        process = std::move(kept->second);
        started_.erase(kept);
    } else {
        // Not started here: the best that can be had is the process by its id.
        process.Reset(
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    }
    if (!process.Valid()) {
        return false;
    }
    HANDLE handles[] = {process.Get()};
    // Sleeps until the process ends or a message arrives; messages are
    // handled as they come, so the window stays responsive at no CPU cost.
    for (;;) {
        const DWORD woken =
            MsgWaitForMultipleObjectsEx(1, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0) {
            break;
        }
        if (woken == WAIT_OBJECT_0 + 1) {
            if (!PumpPendingMessages(filter_)) {
                // The program is ending: its queue is no longer served, so
                // wait for the process alone.
                WaitForSingleObject(process.Get(), INFINITE);
                break;
            }
            continue;
        }
        return false;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    return exitCode != 0;
}

}  // namespace kestrova
