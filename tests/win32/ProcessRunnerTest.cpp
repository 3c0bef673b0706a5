#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/Win32ProcessRunner.h"
#include "tests/support/e2e/TestProgram.h"

namespace kestrova {
namespace {

double Seconds(ULONGLONG ticks) {
    return static_cast<double>(ticks) / 1000.0;
}

double ProcessCpuSeconds() {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto total = [](const FILETIME& time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(total(kernel) + total(user)) / 1e7;
}

class ProcessRunnerTest : public ::testing::Test {
  protected:
    ProcessRunnerTest() : program_("process-runner") {}
    std::string Double(const std::string& arguments) const {
        return "\"" + program_.File("subst.exe") + "\"" + arguments;
    }
    e2e::ProgramFolder program_;
    Win32ProcessRunner runner_;
};

TEST_F(ProcessRunnerTest, WaitEndsWithTheProcessHandlesMessagesAndCostsNoCpu) {
    // A window of this thread with a message waiting for it.
    HWND window =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    static bool handled = false;
    SetWindowLongPtrA(window, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM p, LPARAM l) {
                          if (m == WM_APP) {
                              handled = true;
                              return LRESULT{0};
                          }
                          return DefWindowProcA(w, m, p, l);
                      }));
    SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", "2000");
    const std::uint32_t id = runner_.Start(Double(""), WindowStyle::Hidden);
    SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", nullptr);
    ASSERT_NE(id, 0u);
    PostMessageA(window, WM_APP, 0, 0);

    const ULONGLONG start = GetTickCount64();
    const double cpuBefore = ProcessCpuSeconds();
    EXPECT_FALSE(runner_.WaitForProcess(id));  // exit code 0
    const double wall = Seconds(GetTickCount64() - start);
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    EXPECT_TRUE(handled);
    EXPECT_GE(wall, 1.8);
    EXPECT_LT(cpu, 0.05 * wall) << "cpu " << cpu << " s over " << wall << " s";
    DestroyWindow(window);
}

TEST_F(ProcessRunnerTest, ExitCodesAndProcessesThatCannotBeWaitedFor) {
    const std::uint32_t failing =
        runner_.Start(Double(" too many arguments here"), WindowStyle::Hidden);
    ASSERT_NE(failing, 0u);
    EXPECT_TRUE(runner_.WaitForProcess(failing));  // a non-zero exit code

    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(runner_.WaitForProcess(0xFFFFFFF0u));  // no such process
    EXPECT_FALSE(runner_.WaitForProcess(0));
    EXPECT_LT(GetTickCount64() - start, 1000u);

    EXPECT_EQ(runner_.Start(program_.File("missing.exe"), WindowStyle::Hidden), 0u);
    EXPECT_EQ(runner_.Start("", WindowStyle::Hidden), 0u);
}

}  // namespace
}  // namespace kestrova
