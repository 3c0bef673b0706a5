#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kestrova::e2e {

// A Unix path as Wine shows it to Windows programs (on Z:).
std::string WindowsPathOf(const std::string& unixPath);

// Reads a whole file; empty when it cannot be read.
std::string ReadFileText(const std::string& path);
bool WriteFileText(const std::string& path, const std::string& contents);
bool PathExists(const std::string& path);

// A fresh program folder for one test, under the build tree: Kestrova.exe,
// the subst double (as subst.exe, logging to subst.log), the rm tool when it
// is built, and a Shrt.dat holding `store` (none when `withStore` is false).
class ProgramFolder {
  public:
    explicit ProgramFolder(const std::string& testName, const std::string& store = {},
                           bool withStore = true);

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    std::string Store() const { return ReadFileText(File("Shrt.dat")); }
    // The command lines the subst double was started with, in order.
    std::vector<std::string> SubstLog() const;
    // A folder inside the program folder, created fresh.
    std::string MakeFolder(const std::string& name) const;

  private:
    std::string path_;
};

// A started program, ended by its own id when the test ends.
class RunningProgram {
  public:
    RunningProgram(const std::string& exePath, const std::string& arguments,
                   const std::string& workingFolder);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    DWORD Id() const { return process_.dwProcessId; }
    // True when the process ended within the time; its exit code is kept.
    bool WaitForExit(DWORD timeoutMs);
    DWORD ExitCode() const { return exitCode_; }

  private:
    PROCESS_INFORMATION process_{};
    DWORD exitCode_ = STILL_ACTIVE;
};

// Runs a program to its end and returns its exit code (or ~0 on failure).
DWORD RunToEnd(const std::string& commandLine, DWORD timeoutMs = 30000);

// The short form of a path as Windows gives it ("" when there is none).
std::string ShortPath(const std::string& path);

// Whether a drive letter has a volume now.
bool Mapped(char letter);

// The program's Run value under HKEY_CURRENT_USER: set, deleted, and read as
// stored (its bytes, terminator included; empty when absent).
void SetRunValue(const std::string& text);
void DeleteRunValue();
std::string StoredRunValue();

// Where this run keeps its screenshots (a Unix folder in the build tree).
std::string ScreenshotPath(const std::string& name);

}  // namespace kestrova::e2e
