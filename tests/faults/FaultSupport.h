#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/e2e/TestProgram.h"
#include "tests/support/e2e/UiDriver.h"

namespace kestrova::faults {

// The build tree as a Unix path, and the Unix path of a Windows one.
std::string BuildDirectoryUnix();
std::string UnixPathOf(const std::string& windowsPath);
// The Wine prefix of the run (a Unix path).
std::string WinePrefixUnix();

// Runs a shell script on the Unix side and waits for it to end: Wine does not
// track Unix processes, so the script writes its exit status to a file that
// is polled for. The status, or -1 when the script did not finish in time.
int RunUnixScript(const std::string& name, const std::string& script, DWORD timeoutMs = 60000);

// A Unix text put in single quotes for the shell.
std::string ShellQuoted(const std::string& text);

// The texts the main window shows, as the program words them.
inline const char kSaveFailedText[] =
    "The Virtual Drives could not be saved to Shrt.dat; the file on disk is unchanged.     ";
inline const char kUnreadStoreText[] =
    "Shrt.dat could not be read: the drives shown are the ones in memory";
inline const char kNotMountedSummary[] = " Virtual Drives (Red X indicates Drive is Not Mounted)";
inline const char kMountedSummary[] = " Virtual Drives (Mounted)";

// A started Kestrova.exe with its main window and controls.
struct Window {
    HWND main = nullptr;
    HWND status = nullptr;
    HWND drives = nullptr;
    HWND mountList = nullptr;

    // Finds the window of the process; main stays null when none came up.
    explicit Window(DWORD processId);
    std::string Status() const { return e2e::WindowText(status); }
    std::vector<e2e::ListViewRow> Rows() const { return e2e::ListViewRows(drives, 2); }
    // The letters and the images of the rows, and the mount list's entries.
    std::vector<std::string> Letters() const;
    std::vector<int> Images() const;
    std::vector<std::string> MountEntries() const { return e2e::ListBoxItems(mountList); }
    HWND Control(int id) const { return e2e::FindDescendantById(main, id); }
    void Click(int id) const { e2e::Click(Control(id)); }
    bool WaitForStatus(const std::string& text, DWORD timeoutMs = 60000) const;
    bool WaitForRowCount(std::size_t count, DWORD timeoutMs = 30000) const;
};

// Three folders in the program folder, stored in its Shrt.dat on E:, F: and
// G:, none mapped (any left from earlier runs are unmapped first and at the end).
class ThreeDrives {
  public:
    explicit ThreeDrives(const e2e::ProgramFolder& program) : ThreeDrives(program.Path()) {}
    explicit ThreeDrives(const std::string& programFolder);
    ~ThreeDrives();
    ThreeDrives(const ThreeDrives&) = delete;
    ThreeDrives& operator=(const ThreeDrives&) = delete;

    const std::string& StoreText() const { return store_; }
    const std::vector<std::string>& Folders() const { return folders_; }
    // "E:-<short folder>" and so on, as the mount list shows them.
    std::vector<std::string> Entries() const;
    static void UnmapAll();

  private:
    std::vector<std::string> folders_;
    std::string store_;
};

// Runs the subst double kept in the build tree (not the one of a program
// folder, which a test may have removed) with the given arguments.
DWORD RunSubstDouble(const std::string& arguments);

// Saves a screenshot named after the current test and the given step.
void TakeScreenshot(const std::string& step);

}  // namespace kestrova::faults
