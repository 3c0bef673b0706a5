// Mount All over a full table: the wall time of Kestrova's Mount All against
// the floor, the same subst.exe command lines run back to back by this
// program, and Kestrova's CPU time over the operation. Medians of repeated
// runs, printed with the ratios.
// Usage: mountall_bench.exe PROGRAM_FOLDER [RUNS]
// The folder holds Kestrova.exe, the subst double and a Shrt.dat; the letters
// of its entries are unmapped between the runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/e2e/TestProgram.h"
#include "tests/support/e2e/UiDriver.h"
#include "ui/win32/ControlIds.h"

namespace {

using namespace kestrova::e2e;

double Now() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double CpuSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    const auto value = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
    };
    return (value(kernel) + value(user)) / 1e7;
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: mountall_bench PROGRAM_FOLDER [RUNS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string subst = folder + "\\subst.exe";
    const std::vector<Entry> entries = ReadEntries(ReadFileText(folder + "\\Shrt.dat"));
    const std::string mounted = std::to_string(entries.size()) + " Virtual Drives (Mounted)";
    AttachToDesktop();
    UnmapAll(subst, entries);

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

        RunningProgram kestrova(folder + "\\Kestrova.exe", "", folder);
        HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 60000);
        if (window == nullptr) {
            std::fprintf(stderr, "Kestrova did not show its window\n");
            return 1;
        }
        HWND status = FindDescendantById(window, kestrova::ids::lblStatus);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, kestrova.Id());
        const double cpuStart = CpuSeconds(process);
        const double start = Now();
        Click(FindDescendantById(window, kestrova::ids::cmdMount));
        const bool done = WaitUntil([&] { return WindowText(status) == mounted; }, 120000);
        const double wall = Now() - start;
        const double cpu = CpuSeconds(process) - cpuStart;
        CloseHandle(process);
        PostClose(window);
        kestrova.WaitForExit(20000);
        UnmapAll(subst, entries);
        if (!done) {
            std::fprintf(stderr, "Mount All did not finish: %s\n", WindowText(status).c_str());
            return 1;
        }
        kestrovaTimes.push_back(wall);
        cpuShares.push_back(cpu / wall);
    }
    const double floorMedian = Median(floorTimes);
    const double kestrovaMedian = Median(kestrovaTimes);
    std::printf("Mount All over %zu entries, median of %d runs under Wine\n", entries.size(), runs);
    std::printf("  Kestrova Mount All, wall      : %8.1f ms\n", kestrovaMedian * 1000);
    std::printf("  same lines back to back, wall : %8.1f ms\n", floorMedian * 1000);
    std::printf("  ratio                         : %8.2f (aim: at most 1.1)\n",
                kestrovaMedian / floorMedian);
    std::printf("  Kestrova CPU / wall           : %7.1f %% (aim: under 10 %%)\n",
                Median(cpuShares) * 100);
    return 0;
}
