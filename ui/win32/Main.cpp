#include <windows.h>

#include "platform/win32/Handle.h"
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

  private:
    kestrova::UniqueHandle mutex_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    kestrova::Win32FileSystem fileSystem;
    kestrova::Win32ProcessRunner processes;
    MutexInstanceGuard instances;
    kestrova::Win32RegistryApi registry;
    kestrova::MainWindow window(fileSystem, processes, instances, registry,
                                kestrova::ProgramFolder());
    if (!window.Create(instance)) {
        return 1;
    }
    kestrova::StartupMode mode = kestrova::StartupMode::Normal;
    if (!window.Form().Form_Load(kestrova::ArgumentText(GetCommandLineA()), mode)) {
        return 0;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!window.HandleDialogKeys(message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return 0;
}
