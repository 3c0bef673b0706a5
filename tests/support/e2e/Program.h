#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kestrova::e2e {

// A Unix path as Wine shows it to Windows programs (on Z:).
std::string WindowsPathOf(const std::string& unixPath);
std::string UnixPathOf(const std::string& path);  // of a path on C: or Z:
std::string ScreenshotFolder();                   // a Unix folder in the build tree
// A file of the build tree, as a Windows path.
std::string BuildPath(const std::string& relative);

std::string ReadFileText(const std::string& path);
bool WriteFileText(const std::string& path, const std::string& contents);
bool PathExists(const std::string& path);
// Creates a folder and any missing parents (any name, UTF-8); returns it.
std::string CreateFolder(const std::string& path);
void SetReadOnly(const std::string& path, bool readOnly);

// A fresh program folder for one test, under the build tree: Kestrova.exe,
// the subst double (as subst.exe, logging to subst.log, and as explorer.exe,
// logging to explorer.log) and rm.exe, and a Shrt.dat holding `store` unless
// `withStore` is false.
class ProgramFolder {
  public:
    explicit ProgramFolder(const std::string& name, const std::string& store = {},
                           bool withStore = true);
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    std::string Store() const { return ReadFileText(File("Shrt.dat")); }
    // The command lines the subst double was started with, in order (as
    // explorer.exe for "explorer").
    std::vector<std::string> SubstLog(const std::string& name = "subst") const;
    // A folder inside the program folder, created fresh (any name, UTF-8).
    std::string MakeFolder(const std::string& name) const;
    // Runs the subst double to its end with these arguments; its exit code.
    DWORD Subst(const std::string& arguments) const;
    void ClearSubstLog() const { DeleteFileA(File("subst.log").c_str()); }
    // Maps each letter ("E:") onto a fresh folder "Folder E" of its own and
    // stores the drives; the stored text. The subst log starts empty after.
    std::string MapAndStore(const std::vector<std::string>& letters) const;

  private:
    std::string path_;
};

// A started program, ended by its own id when the test ends.
class RunningProgram {
  public:
    // Kestrova.exe of a program folder, started in that folder.
    explicit RunningProgram(const std::string& folder, const std::string& arguments = {});
    explicit RunningProgram(const ProgramFolder& folder, const std::string& arguments = {})
        : RunningProgram(folder.Path(), arguments) {}
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    DWORD Id() const { return process_.dwProcessId; }
    // True when the process ended within the time; its exit code is kept.
    bool WaitForExit(DWORD timeoutMs = 20000);
    DWORD ExitCode() const { return exitCode_; }

  private:
    PROCESS_INFORMATION process_{};
    DWORD exitCode_ = STILL_ACTIVE;
};

// Runs a Windows program to its end (in `folder`, if given): its exit code,
// or ~0 on failure.
DWORD RunToEnd(const std::string& commandLine, const std::string& folder = {});
// Starts a Unix program (Wine does not track it).
void RunUnix(const std::string& commandLine);
// Runs a shell script on the Unix side to its end: its exit status, or -1
// when it has not ended within a minute.
int RunShell(const std::string& script);

std::string ShortPath(const std::string& path);
bool Mapped(char letter);
// Takes away every drive a test mapped (all but C: and Z:, Wine's own).
void UnmapAll();

// The program's Run value under HKEY_CURRENT_USER: set, deleted, and read as
// stored (its bytes, terminator included; empty when absent).
void SetRunValue(const std::string& text);
void DeleteRunValue();
std::string StoredRunValue();

// The web pages opened so far (the test run's browser notes each one).
std::string PagesOpened();

}  // namespace kestrova::e2e
