#include <windows.h>

#include "platform/win32/Handle.h"
#include "platform/win32/Marks.h"
#include "platform/win32/MessagePump.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ProcessRunner.h"
#include "platform/win32/Win32RegistryApi.h"
#include "ui/win32/MainWindow.h"

namespace {

// One copy of the program per logon session, told by a named mutex that the
// first copy holds until it ends.
class MutexInstanceGuard final : public kestrova::InstanceGuard {
  public:
    bool AnotherInstanceRunning() override {
        mutex_.Reset(CreateMutexA(nullptr, FALSE, "Local\\Kestrova.Instance"));
        return GetLastError() == ERROR_ALREADY_EXISTS;
    }

    void ShowRunningCopy() override {
        // The main window of the other process (this one has a hidden one too).
        Search search{GetCurrentProcessId(), nullptr};
        EnumWindows(FindOther, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) {
            return;
        }
        // This start came from the user, so it may hand the foreground on.
        DWORD owner = 0;
        GetWindowThreadProcessId(search.found, &owner);
        AllowSetForegroundWindow(owner);
        PostMessageA(search.found, RegisterWindowMessageA(kestrova::MainWindow::ShowMessageName()),
                     0, 0);
    }

  private:
    struct Search {
        DWORD self;
        HWND found;
    };
    static BOOL CALLBACK FindOther(HWND window, LPARAM parameter) {
        auto* search = reinterpret_cast<Search*>(parameter);
        char className[64] = {};
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == search->self || GetClassNameA(window, className, sizeof className) == 0 ||
            lstrcmpA(className, kestrova::MainWindow::ClassName()) != 0) {
            return TRUE;
        }
        search->found = window;
        return FALSE;
    }

    kestrova::UniqueHandle mutex_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    kestrova::Mark("process started");
    kestrova::Win32FileSystem fileSystem;
    kestrova::Win32ProcessRunner processes(kestrova::WindowBase::HandleDialogKeys);
    MutexInstanceGuard instances;
    kestrova::Win32RegistryApi registry;
    // A table that cannot be saved when Windows ends the session is kept in
    // the user's local application data, which is there to be written.
    char localData[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", localData, MAX_PATH);
    const std::string programFolder = kestrova::ProgramFolder();
    const std::string rescueFolder =
        (length > 0 && length < MAX_PATH ? std::string(localData, length) : programFolder) +
        "\\Kestrova";
    kestrova::MainWindow window(fileSystem, processes, instances, registry, programFolder,
                                rescueFolder);
    if (!window.Create(instance)) {
        return 1;
    }
    kestrova::StartupMode mode = kestrova::StartupMode::Normal;
    char program[MAX_PATH * 2] = {};
    const DWORD programLength = GetModuleFileNameA(nullptr, program, sizeof program);
    const std::string programPath(program, programLength < sizeof program ? programLength : 0);
    if (!window.Form().Form_Load(kestrova::ArgumentText(GetCommandLineA(), programPath), mode)) {
        return 0;
    }
    kestrova::Mark("message loop");
    return kestrova::RunMessageLoop(kestrova::WindowBase::HandleDialogKeys);
}
