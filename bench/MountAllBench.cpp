// Mount All over a full table: the wall time of Kestrova's Mount All against
// the floor, the same subst.exe command lines run back to back by this
// program, and Kestrova's CPU time over the operation. Medians of repeated
// runs, printed as rows of the benchmark table.
// Usage: mountall_bench.exe PROGRAM_FOLDER [RUNS [WAIT_MS]]
// The folder holds Kestrova.exe, the subst double and a Shrt.dat; the letters
// of its entries are unmapped between the runs. With WAIT_MS, every subst run
// takes that long and only Kestrova's CPU share over the wait is measured.
#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/e2e/Driver.h"
#include "tests/support/e2e/Program.h"
#include "ui/win32/ControlIds.h"

namespace {

using namespace kestrova::e2e;

// A whole-number argument of at least `least`, or nothing when the text is
// not one (atoi would turn a typing error into a silent 0).
std::optional<int> NumberArgument(const char* text, int least) {
    int value = 0;
    const char* end = text + std::strlen(text);
    const auto [next, error] = std::from_chars(text, end, value);
    if (error != std::errc{} || next != end || value < least) {
        return std::nullopt;
    }
    return value;
}

double Now() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double CpuSeconds(HANDLE process) {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    const auto value = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
    };
    return (value(kernel) + value(user)) / 1e7;
}

// The status line's text as the window manager holds it: read without a
// message to the program, so that watching it does not wake the program while
// it waits for subst.exe.
std::string StatusText(HWND status) {
    wchar_t wide[512] = {};
    InternalGetWindowText(status, wide, 512);
    char text[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text - 1, nullptr, nullptr);
    return text;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Entry {
    std::string letter;
    std::string folder;
};

std::vector<Entry> ReadEntries(const std::string& store) {
    std::vector<Entry> entries;
    std::size_t start = 0;
    while (start < store.size()) {
        std::size_t end = store.find("\r\n", start);
        if (end == std::string::npos) {
            end = store.size();
        }
        const std::string line = store.substr(start, end - start);
        const std::size_t dash = line.find('-');
        if (dash != std::string::npos) {
            entries.push_back({line.substr(0, dash), line.substr(dash + 1)});
        }
        start = end + 2;
    }
    return entries;
}

void UnmapAll(const std::string& subst, const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
        RunToEnd("\"" + subst + "\" " + entry.letter + " /d");
    }
}

// One Mount All from a freshly started window: its wall seconds and the
// CPU seconds Kestrova spent meanwhile; a negative wall time on failure.
struct MountRun {
    double wall = -1;
    double cpu = 0;
};

MountRun TimeMountAll(const std::string& folder, const std::string& mounted) {
    MountRun result;
    RunningProgram kestrova(folder);
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 60000);
    if (window == nullptr) {
        std::fprintf(stderr, "Kestrova did not show its window\n");
        return result;
    }
    HWND status = Control(window, kestrova::ids::lblStatus);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, kestrova.Id());
    // The status may show the final summary before the click already (when
    // the last row's letter is a drive), so the run ends only once the status
    // has shown something else ("Mounting A:....") and then the summary.
    const std::string before = StatusText(status);
    const double cpuStart = CpuSeconds(process);
    const double start = Now();
    Click(Control(window, kestrova::ids::cmdMount));
    bool left = false;
    bool done = false;
    std::string now;
    while (!done && Now() - start < 120) {
        now = StatusText(status);
        left = left || now != before;
        done = left && now == mounted;
        if (!done) {
            Sleep(5);
        }
    }
    const double wall = Now() - start;
    result.cpu = CpuSeconds(process) - cpuStart;
    CloseHandle(process);
    PostMessageA(window, WM_CLOSE, 0, 0);
    kestrova.WaitForExit(20000);
    if (!done) {
        std::fprintf(stderr, "Mount All did not finish: %s\n", now.c_str());
        return result;
    }
    result.wall = wall;
    return result;
}

// CPU share while a slow subst.exe runs: only Kestrova's runs of the double
// take the time; the unmapping between the runs does not.
int MeasureWhileSubstWaits(const std::string& folder, const std::string& subst,
                           const std::vector<Entry>& entries, const std::string& mounted, int runs,
                           int waitMs) {
    std::vector<double> shares;
    std::vector<double> walls;
    for (int run = 0; run < runs; ++run) {
        SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", std::to_string(waitMs).c_str());
        const MountRun timed = TimeMountAll(folder, mounted);
        SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", nullptr);
        UnmapAll(subst, entries);
        if (timed.wall < 0) {
            return 1;
        }
        shares.push_back(timed.cpu / timed.wall);
        walls.push_back(timed.wall);
    }
    std::printf(
        "| CPU while subst.exe takes %d ms (median of %d) | %.1f%% of %.0f ms wall | "
        "| | under 5%% |\n",
        waitMs, runs, Median(shares) * 100, Median(walls) * 1000);
    return 0;
}

// Mount All against the same subst lines run back to back.
int MeasureMountAll(const std::string& folder, const std::string& subst,
                    const std::vector<Entry>& entries, const std::string& mounted, int runs) {
    std::vector<double> floorTimes;
    std::vector<double> kestrovaTimes;
    std::vector<double> cpuShares;
    for (int run = 0; run < runs; ++run) {
        const double floorStart = Now();
        for (const Entry& entry : entries) {
            RunToEnd("\"" + subst + "\" " + entry.letter + " " + entry.folder);
        }
        floorTimes.push_back(Now() - floorStart);
        UnmapAll(subst, entries);

        const MountRun timed = TimeMountAll(folder, mounted);
        UnmapAll(subst, entries);
        if (timed.wall < 0) {
            return 1;
        }
        kestrovaTimes.push_back(timed.wall);
        cpuShares.push_back(timed.cpu / timed.wall);
    }
    const double floorMedian = Median(floorTimes);
    const double kestrovaMedian = Median(kestrovaTimes);
    std::printf(
        "| Mount All over %zu entries (median of %d) | %.0f ms | the same %zu subst lines "
        "back to back: %.0f ms | %.2f | at most 1.1 |\n",
        entries.size(), runs, kestrovaMedian * 1000, entries.size(), floorMedian * 1000,
        kestrovaMedian / floorMedian);
    std::printf("| Kestrova's CPU time during Mount All | %.1f%% of wall | | | under 10%% |\n",
                Median(cpuShares) * 100);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<int> runsArgument = argc > 2 ? NumberArgument(argv[2], 1) : 5;
    const std::optional<int> waitArgument = argc > 3 ? NumberArgument(argv[3], 0) : 0;
    if (argc < 2 || !runsArgument || !waitArgument) {
        std::fprintf(stderr, "usage: mountall_bench PROGRAM_FOLDER [RUNS [WAIT_MS]]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int runs = *runsArgument;
    const int waitMs = *waitArgument;
    const std::string subst = folder + "\\subst.exe";
    const std::vector<Entry> entries = ReadEntries(ReadFileText(folder + "\\Shrt.dat"));
    const std::string mounted = std::to_string(entries.size()) + " Virtual Drives (Mounted)";
    AttachToDesktop();
    UnmapAll(subst, entries);

    if (waitMs > 0) {
        return MeasureWhileSubstWaits(folder, subst, entries, mounted, runs, waitMs);
    }
    return MeasureMountAll(folder, subst, entries, mounted, runs);
}
