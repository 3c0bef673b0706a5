#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/Handle.h"

namespace kestrova::e2e {

std::string Environment(const char* name);               // a variable's value, or empty
std::string WindowsPathOf(const std::string& unixPath);  // as Wine shows it, on Z:
std::string UnixPathOf(const std::string& path);         // of a path on C: or Z:
std::string BuildPath(const std::string& relative);      // of the build tree, for Windows

std::string ReadFileText(const std::string& path);
bool WriteFileText(const std::string& path, const std::string& contents);
bool PathExists(const std::string& path);
std::string CreateFolder(const std::string& path);  // and its parents; returns it
void SetReadOnly(const std::string& path, bool readOnly);

// A fresh program folder for one test, under the build tree: Kestrova.exe, rm.exe, the subst
// double as subst.exe and as explorer.exe (each logging to NAME.log), a Shrt.dat holding `store`.
class ProgramFolder {
  public:
    explicit ProgramFolder(const std::string& name, const std::string& store = {});
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    std::string Store() const { return ReadFileText(File("Shrt.dat")); }
    // The command lines the subst double (as explorer.exe: "explorer") got, in order.
    std::vector<std::string> SubstLog(const std::string& name = "subst") const;
    std::string MakeFolder(const std::string& name) const;  // a fresh folder inside
    DWORD Subst(const std::string& arguments) const;        // run to its end: its exit code
    void ClearSubstLog() const { DeleteFileA(File("subst.log").c_str()); }
    // Maps each letter ("E:") onto a fresh "Folder E", stores them; the text; the log left empty.
    std::string MapAndStore(const std::vector<std::string>& letters) const;

  private:
    std::string path_;
};

// A started program, ended by its own id when the test ends.
class RunningProgram {
  public:
    explicit RunningProgram(const std::string& folder, const std::string& arguments = {});
    explicit RunningProgram(const ProgramFolder& folder, const std::string& arguments = {})
        : RunningProgram(folder.Path(), arguments) {}
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    DWORD Id() const { return process_.dwProcessId; }
    // True when the process ended within the time.
    bool WaitForExit(DWORD timeoutMs = 20000) const;

  private:
    PROCESS_INFORMATION process_{};
};

// A program started without a window (in `folder`, if given): its process, null for a Unix one,
// which Wine starts and lets go. A Windows program run to its end: its exit code, or ~0.
UniqueHandle StartHidden(const std::string& commandLine, const std::string& folder = {});
DWORD RunToEnd(const std::string& commandLine, const std::string& folder = {});
// A shell script run to its end: its exit status, or -1 after a minute.
int RunShell(const std::string& script);

std::string ShortPath(const std::string& path);
bool Mapped(char letter);
void UnmapAll();  // every drive but C: and Z:, Wine's own

// The program's Run value: set, deleted, and read as stored (with its NUL; empty when absent).
void SetRunValue(const std::string& text);
void DeleteRunValue();
std::string StoredRunValue();

std::string PagesOpened();  // as the test run's browser noted them

}  // namespace kestrova::e2e
