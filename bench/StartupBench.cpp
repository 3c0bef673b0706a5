// Measures the time from process start to a visible, idle main window, for
// Kestrova.exe (with a table of 26 stored drives) and for a minimal Win32
// window program, alternating the two, and prints the medians and the ratio as
// a row of the benchmark table.
// Usage: startup_bench.exe KESTROVA_FOLDER MINIMAL_EXE [RUNS]
#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/e2e/Driver.h"

namespace {

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

double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// Starts the program, returns the seconds until its window is visible and its
// thread waits for input, then closes it. The moments it starts the program,
// sees the window and sees the thread idle go to the debugger's output too,
// beside the program's own marks of its phases (scripts/bench --marks).
double TimeOneStart(const std::string& exe, const std::string& folder, const std::string& caption,
                    bool counted = true) {
    std::string line = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    OutputDebugStringA(((counted ? "bench: start " : "bench: warm-up ") + caption).c_str());
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        return -1;
    }
    HWND window = kestrova::e2e::WaitForWindow(process.dwProcessId, caption, 60000);
    OutputDebugStringA("bench: window seen");
    WaitForInputIdle(process.hProcess, 60000);
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    OutputDebugStringA("bench: input idle");
    if (window != nullptr) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return window != nullptr ? Seconds(start, end) : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<int> runsArgument = argc > 3 ? NumberArgument(argv[3], 1) : 9;
    if (argc < 3 || !runsArgument) {
        std::fprintf(stderr,
                     "usage: startup_bench KESTROVA_FOLDER MINIMAL_EXE [RUNS [CONTROLS_EXE]]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string minimal = argv[2];
    const int runs = *runsArgument;
    const std::string controls = argc > 4 ? argv[4] : "";
    kestrova::e2e::AttachToDesktop();
    std::vector<double> kestrova;
    std::vector<double> baseline;
    std::vector<double> controlsBaseline;
    TimeOneStart(folder + "\\Kestrova.exe", folder, "Kestrova", false);  // warm-up
    TimeOneStart(minimal, folder, "Minimal", false);
    for (int i = 0; i < runs; ++i) {
        const double a = TimeOneStart(folder + "\\Kestrova.exe", folder, "Kestrova");
        const double b = TimeOneStart(minimal, folder, "Minimal");
        const double c = controls.empty() ? 0 : TimeOneStart(controls, folder, "Controls");
        if (a < 0 || b < 0 || c < 0) {
            std::fprintf(stderr, "a program did not show its window\n");
            return 1;
        }
        kestrova.push_back(a);
        baseline.push_back(b);
        controlsBaseline.push_back(c);
    }
    const double medianKestrova = Median(kestrova);
    const double medianBaseline = Median(baseline);
    std::printf(
        "| start-up to an idle window, 26 stored drives (median of %d) | %.0f ms | "
        "minimal Win32 window: %.0f ms | %.2f | |\n",
        runs, medianKestrova * 1000, medianBaseline * 1000, medianKestrova / medianBaseline);
    if (!controls.empty()) {
        const double medianControls = Median(controlsBaseline);
        std::printf(
            "| the same start-up, against a window with common controls 6, a list view "
            "of 26 rows and nine other controls | %.0f ms | %.0f ms | %.2f | at most 1.1 |\n",
            medianKestrova * 1000, medianControls * 1000, medianKestrova / medianControls);
    }
    return 0;
}
