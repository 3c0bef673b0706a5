#include "tests/support/e2e/Program.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tests/support/e2e/Driver.h"

namespace kestrova::e2e {

std::string Environment(const char* name) {
    char buffer[MAX_PATH * 2] = {};
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return std::string(buffer, length < sizeof buffer ? length : 0);
}

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Starts a command line in a folder (the caller's when empty).
bool Launch(const std::string& command, const std::string& folder, DWORD flags,
            PROCESS_INFORMATION& process) {
    std::string commandLine = command;  // CreateProcessA may write to it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &process) != FALSE;
}

}  // namespace

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string UnixPathOf(const std::string& path) {
    // Z: is the Unix root; C: the prefix's drive_c.
    std::string unixPath =
        (path[0] == 'C' ? Environment("WINEPREFIX") + "/drive_c" : "") + path.substr(2);
    std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
    return unixPath;
}

std::string BuildPath(const std::string& relative) {
    return WindowsPathOf(Environment("KESTROVA_BUILD_DIR")) + "\\" + relative;
}

std::string ReadFileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

bool WriteFileText(const std::string& path, const std::string& contents) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(file << contents);
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SetReadOnly(const std::string& path, bool readOnly) {
    SetFileAttributesA(path.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

ProgramFolder::ProgramFolder(const std::string& name, const std::string& store)
    : path_(BuildPath("e2e\\" + name)) {
    RunToEnd("cmd.exe /c rd /s /q \"" + path_ + "\"");
    CreateFolder(path_);
    CopyFileA(WindowsPathOf(KESTROVA_EXE_UNIX_PATH).c_str(), File("Kestrova.exe").c_str(), FALSE);
    CopyFileA(WindowsPathOf(SUBST_DOUBLE_UNIX_PATH).c_str(), File("subst.exe").c_str(), FALSE);
    CopyFileA(WindowsPathOf(SUBST_DOUBLE_UNIX_PATH).c_str(), File("explorer.exe").c_str(), FALSE);
    CopyFileA(WindowsPathOf(RM_EXE_UNIX_PATH).c_str(), File("rm.exe").c_str(), FALSE);
    WriteFileText(File("Shrt.dat"), store);
}

std::vector<std::string> ProgramFolder::SubstLog(const std::string& name) const {
    std::vector<std::string> lines;
    const std::string log = ReadFileText(File(name + ".log"));
    for (std::size_t start = 0, end = 0; (end = log.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        lines.push_back(log.substr(start, end - start));
    }
    return lines;
}

std::string CreateFolder(const std::string& path) {
    SHCreateDirectoryExA(nullptr, path.c_str(), nullptr);
    return path;
}

std::string ProgramFolder::MakeFolder(const std::string& name) const {
    return CreateFolder(File(name));
}

DWORD ProgramFolder::Subst(const std::string& arguments) const {
    return RunToEnd("\"" + File("subst.exe") + "\" " + arguments);
}

std::string ProgramFolder::MapAndStore(const std::vector<std::string>& letters) const {
    std::string store;
    for (const std::string& letter : letters) {
        const std::string folder = MakeFolder("Folder " + letter.substr(0, 1));
        Subst(std::string(letter).append(" \"").append(folder).append("\""));
        store += letter + "-" + ShortPath(folder) + "\r\n";
    }
    WriteFileText(File("Shrt.dat"), store);
    ClearSubstLog();
    return store;
}

RunningProgram::RunningProgram(const std::string& folder, const std::string& arguments) {
    const std::string commandLine = "\"" + folder + "\\Kestrova.exe\"";
    if (!Launch(commandLine + (arguments.empty() ? "" : " " + arguments), folder, 0, process_)) {
        process_ = {};
    }
}

RunningProgram::~RunningProgram() {
    if (process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool RunningProgram::WaitForExit(DWORD timeoutMs) const {
    return process_.hProcess != nullptr &&
           WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

UniqueHandle StartHidden(const std::string& commandLine, const std::string& folder) {
    PROCESS_INFORMATION process{};  // left empty when nothing started
    Launch(commandLine, folder, CREATE_NO_WINDOW, process);
    // A Unix program gets no handles from Wine, and what is left in hThread then is not ours to
    // close (it once closed the registry's own handle).
    if (process.hProcess != nullptr) {
        CloseHandle(process.hThread);
    }
    return UniqueHandle(process.hProcess);
}

DWORD RunToEnd(const std::string& commandLine, const std::string& folder) {
    const UniqueHandle process = StartHidden(commandLine, folder);
    DWORD exitCode = ~0u;
    if (WaitForSingleObject(process.Get(), 60000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.Get(), &exitCode)) {
        TerminateProcess(process.Get(), 1);
    }
    return exitCode;
}

int RunShell(const std::string& script) {
    // Wine does not track a Unix program: the script leaves its status in a file, moved into
    // place whole.
    const std::string status = BuildPath("shell-status");
    DeleteFileA(status.c_str());
    WriteFileText(BuildPath("shell.sh"), "s='" + UnixPathOf(status) + "'\n(\n" + script +
                                             "\n) >/dev/null 2>&1 </dev/null\n"
                                             "echo $? >\"$s.tmp\"\nmv \"$s.tmp\" \"$s\"\n");
    StartHidden("/bin/sh \"" + UnixPathOf(BuildPath("shell.sh")) + "\"");
    return WaitUntil([&] { return PathExists(status); }, 60000)
               ? static_cast<int>(std::strtol(ReadFileText(status).c_str(), nullptr, 10))
               : -1;
}

std::string ShortPath(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return std::string(buffer, length < MAX_PATH ? length : 0);
}

bool Mapped(char letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    return GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR;
}

void UnmapAll() {
    for (char letter = 'A'; letter <= 'Y'; ++letter) {
        if (letter != 'C' && Mapped(letter)) {
            StartHidden("/bin/rm -f " + Environment("WINEPREFIX") + "/dosdevices/" +
                        static_cast<char>(letter - 'A' + 'a') + ":");
            WaitUntil([&] { return !Mapped(letter); }, 10000);
        }
    }
}

void SetRunValue(const std::string& text) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, "Kestrova", REG_SZ, text.c_str(),
                    static_cast<DWORD>(text.size() + 1));
}

void DeleteRunValue() {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Kestrova");
}

std::string StoredRunValue() {
    char data[1024] = {};
    DWORD size = sizeof data;
    return RegGetValueA(HKEY_CURRENT_USER, kRunKey, "Kestrova", RRF_RT_REG_SZ | RRF_NOEXPAND,
                        nullptr, data, &size) == ERROR_SUCCESS
               ? std::string(data, size)
               : std::string();
}

std::string PagesOpened() {
    return ReadFileText(WindowsPathOf(Environment("KESTROVA_WINE_STATE") + "/browser.log"));
}

}  // namespace kestrova::e2e
