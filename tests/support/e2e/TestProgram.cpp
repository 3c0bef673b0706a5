#include "tests/support/e2e/TestProgram.h"

#include <filesystem>
#include <system_error>

namespace kestrova::e2e {

namespace {

std::string BuildDirectory() {
    char buffer[MAX_PATH * 2] = {};
    const DWORD length = GetEnvironmentVariableA("KESTROVA_BUILD_DIR", buffer, sizeof buffer);
    return std::string(buffer, length < sizeof buffer ? length : 0);
}

bool CopyInto(const std::string& unixSource, const std::string& folder, const std::string& name) {
    if (unixSource.empty()) {
        return false;
    }
    const std::string source = WindowsPathOf(unixSource);
    return CopyFileA(source.c_str(), (folder + "\\" + name).c_str(), FALSE) != 0;
}

}  // namespace

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

std::string ReadFileText(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string contents;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        contents.append(buffer, read);
    }
    CloseHandle(file);
    return contents;
}

bool WriteFileText(const std::string& path, const std::string& contents) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        contents.empty() ||
        (WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) &&
         written == contents.size());
    CloseHandle(file);
    return ok;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

ProgramFolder::ProgramFolder(const std::string& testName, const std::string& store, bool withStore)
    : path_(WindowsPathOf(BuildDirectory()) + "\\e2e\\" + testName) {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    std::filesystem::create_directories(path_, ignored);
    CopyInto(KESTROVA_EXE_UNIX_PATH, path_, "Kestrova.exe");
    CopyInto(SUBST_DOUBLE_UNIX_PATH, path_, "subst.exe");
    CopyInto(RM_EXE_UNIX_PATH, path_, "rm.exe");
    if (withStore) {
        WriteFileText(File("Shrt.dat"), store);
    }
}

std::vector<std::string> ProgramFolder::SubstLog() const {
    std::vector<std::string> lines;
    const std::string log = ReadFileText(File("subst.log"));
    std::size_t start = 0;
    while (start < log.size()) {
        const std::size_t end = log.find("\r\n", start);
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(log.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string ProgramFolder::MakeFolder(const std::string& name) const {
    std::string folder = File(name);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

RunningProgram::RunningProgram(const std::string& exePath, const std::string& arguments,
                               const std::string& workingFolder) {
    std::string commandLine = "\"" + exePath + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                        &process_)) {
        process_ = {};
    }
}

RunningProgram::~RunningProgram() {
    if (process_.hProcess == nullptr) {
        return;
    }
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool RunningProgram::WaitForExit(DWORD timeoutMs) {
    if (process_.hProcess == nullptr ||
        WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    GetExitCodeProcess(process_.hProcess, &exitCode_);
    return true;
}

DWORD RunToEnd(const std::string& commandLine, DWORD timeoutMs) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        return ~0u;
    }
    DWORD exitCode = ~0u;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &exitCode);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
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

namespace {
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
}

void SetRunValue(const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(key, "Kestrova", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

void DeleteRunValue() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "Kestrova");
        RegCloseKey(key);
    }
}

std::string StoredRunValue() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return {};
    }
    char data[1024] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    const LONG result =
        RegQueryValueExA(key, "Kestrova", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_SZ ? std::string(data, size) : std::string{};
}

std::string ScreenshotPath(const std::string& name) {
    const std::string folder = BuildDirectory() + "/screenshots";
    std::error_code ignored;
    std::filesystem::create_directories(WindowsPathOf(folder), ignored);
    return folder + "/" + name + ".png";
}

}  // namespace kestrova::e2e
