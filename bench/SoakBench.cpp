// A long session, printed as figures: Kestrova's open handles and live GDI
// objects after a warm-up, after 200 About windows (opened with Alt+A, closed
// with their Close button), after 50 drives created and removed with the
// mouse, after 20 Mount All, and after 100 moves between screens of 100% and
// 150% (WM_DPICHANGED as Windows sends it). Kestrova lives in the
// notification area for a whole logon, so these numbers should stay within a
// few of where they started.
//   soak_bench.exe PROGRAM_FOLDER
// The folder holds Kestrova.exe, the subst double and an empty Shrt.dat.
#include <windows.h>

#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/e2e/Driver.h"
#include "tests/support/e2e/Program.h"
#include "ui/win32/ControlIds.h"

namespace {

using namespace kestrova::e2e;
namespace ids = kestrova::ids;

// The process's live GDI objects: the entries of its GDI handle table (its
// PEB points at the table) that hold a type. GetGuiResources answers nothing
// under Wine.
long GdiObjects(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic{};
    NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr);
    char* table = nullptr;
    ReadProcessMemory(process, reinterpret_cast<char*>(basic.PebBaseAddress) + 0xF8, &table,
                      sizeof table, nullptr);
    constexpr std::size_t kEntry = 24;  // the type is its fifteenth byte
    std::vector<char> entries(4096 * kEntry);
    long live = 0;
    for (std::size_t at = 0; at < 0x10000 * kEntry; at += entries.size()) {
        if (ReadProcessMemory(process, table + at, entries.data(), entries.size(), nullptr) == 0) {
            break;
        }
        for (std::size_t entry = 0; entry < entries.size(); entry += kEntry) {
            live += entries[entry + 14] != 0 ? 1 : 0;
        }
    }
    return live;
}

// The process's open handles, from the system's list of all handles and
// their owners. GetProcessHandleCount answers 0 under Wine.
long Handles(DWORD processId) {
    std::vector<char> list(1 << 22);
    NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), list.data(),
                             static_cast<ULONG>(list.size()), nullptr);
    // A count, then entries that each start with their owner's process id.
    constexpr std::size_t kEntry = 2 * sizeof(ULONG) + 2 * sizeof(PVOID);
    ULONG count = 0;
    std::memcpy(&count, list.data(), sizeof count);
    count = std::min(count, static_cast<ULONG>((list.size() - sizeof(ULONG_PTR)) / kEntry));
    long owned = 0;
    for (ULONG i = 0; i < count; ++i) {
        ULONG owner = 0;
        std::memcpy(&owner, list.data() + sizeof(ULONG_PTR) + i * kEntry, sizeof owner);
        owned += owner == processId ? 1 : 0;
    }
    return owned;
}

// One session of Kestrova, driven part by part; a part that does not finish
// marks the soak as failed and stops the parts after it.
class Soak {
  public:
    Soak(RunningProgram& kestrova, HWND window, HANDLE process, std::string folder)
        : kestrova_(kestrova),
          window_(window),
          process_(process),
          list_(Control(window, ids::lstDrives)),
          folder_(std::move(folder)) {}

    bool Failed() const { return failed_; }

    void CreateDrive(std::size_t rows, int i) {
        // The browser now and then misses the folder over a long run (in the
        // shell's tree under Wine): it is closed and opened again.
        bool chosen = false;
        for (int attempt = 0; attempt < 3 && !chosen; ++attempt) {
            Click(Control(window_, ids::Command2));
            HWND browser = WaitForDialog(kestrova_.Id(), 30000);
            chosen = browser != nullptr && ChooseInBrowser(browser, folder_);
            if (!chosen && browser != nullptr) {
                Key(VK_ESCAPE);
                WaitUntil([&] { return IsWindow(browser) == FALSE; });
            }
        }
        Step(chosen, "the browser", i);
        Click(Control(window_, ids::Command3));
        Step(WaitUntil([&] { return Rows(list_).size() == rows && Rows(list_).back().image == 0; }),
             "Create Drive", i);
    }

    void About(int times) {
        for (int i = 0; i < times && !failed_; ++i) {
            Key('A', VK_MENU);
            HWND opened = WaitForWindow(kestrova_.Id(), "About Kestrova", 10000);
            Step(opened != nullptr, "About", i);
            Click(Control(opened, ids::aboutCommand3));
            Step(WaitUntil([&] { return !IsWindow(opened); }), "closing About", i);
        }
    }

    void Drives(int times) {
        for (int i = 0; i < times && !failed_; ++i) {
            CreateDrive(2, i);
            ClickRow(list_, 1);
            Click(Control(window_, ids::Command4));
            Step(WaitUntil([&] { return Rows(list_).size() == 1; }), "Remove Drive", i);
        }
    }

    // Mount All with one drive ends with the summary it started from: the run
    // is over once the status has left it (if that was seen) and come back.
    void MountAll(int times) {
        HWND status = Control(window_, ids::lblStatus);
        const std::string summary = "1 Virtual Drives (Mounted)";
        for (int i = 0; i < times && !failed_; ++i) {
            Click(Control(window_, ids::cmdMount));
            WaitUntil([&] { return Text(status) != summary; }, 1000);
            Step(WaitUntil([&] { return Text(status) == summary; }), "Mount All", i);
        }
    }

    // Moves between screens of 100% and 150%: the fonts and pictures made
    // for each scale go when the next ones are in use.
    void Moves(int times) {
        RECT frame{};
        GetWindowRect(window_, &frame);
        for (int i = 0; i < times; ++i) {
            SendDpiChanged(window_, i % 2 == 0 ? 144 : 96, frame);
        }
    }

    void WarmedUp() {
        handles_ = Handles(kestrova_.Id());
        gdi_ = GdiObjects(process_);
    }

    // Each row as soon as its part has run, so that a part that fails still
    // leaves the rows before it.
    void Report(const char* after) const {
        if (failed_) {
            return;
        }
        const long handlesNow = Handles(kestrova_.Id());
        const long gdiNow = GdiObjects(process_);
        const bool steady = handlesNow - handles_ <= 5 && gdiNow - gdi_ <= 5;
        std::printf(
            "| handles, GDI objects after %s | %ld, %ld | after the warm-up: %ld, %ld | "
            "%s | within 5 |\n",
            after, handlesNow, gdiNow, handles_, gdi_, steady ? "within 5" : "more");
        static_cast<void>(std::fflush(stdout));
    }

  private:
    void Step(bool done, const char* what, int i) {
        if (!done && !failed_) {
            std::fprintf(stderr, "%s did not finish (round %d)\n", what, i);
        }
        failed_ = failed_ || !done;
    }

    RunningProgram& kestrova_;
    HWND window_;
    HANDLE process_;
    HWND list_;
    std::string folder_;
    bool failed_ = false;
    long handles_ = 0;
    long gdi_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || !AttachToDesktop()) {
        std::fprintf(stderr, "usage: soak_bench PROGRAM_FOLDER (on the Wine desktop)\n");
        return 2;
    }
    const std::string program = argv[1];
    const std::string folder = program + "\\Soaked";
    CreateDirectoryA(folder.c_str(), nullptr);
    RunningProgram kestrova(program);
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 60000);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, kestrova.Id());
    if (window == nullptr || process == nullptr) {
        std::fprintf(stderr, "Kestrova did not show its window\n");
        return 1;
    }
    Soak soak(kestrova, window, process, folder);
    // One drive stays for Mount All; the others come and go on the same folder.
    soak.CreateDrive(1, 0);
    soak.About(10);
    soak.Drives(5);
    soak.MountAll(2);
    soak.WarmedUp();
    soak.About(200);
    soak.Report("200 About windows opened and closed");
    soak.Drives(50);
    soak.Report("50 drives created and removed");
    soak.MountAll(20);
    soak.Report("20 Mount All");
    soak.Moves(100);
    soak.Report("100 moves between screens of 100% and 150%");
    CloseHandle(process);
    if (soak.Failed()) {
        return 1;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    kestrova.WaitForExit(20000);
    return 0;
}
