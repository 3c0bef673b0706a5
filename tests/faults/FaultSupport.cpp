#include "tests/faults/FaultSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "ui/win32/ControlIds.h"

namespace kestrova::faults {

namespace {

std::string Environment(const char* name) {
    char buffer[MAX_PATH * 2] = {};
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return std::string(buffer, length < sizeof buffer ? length : 0);
}

}  // namespace

std::string BuildDirectoryUnix() {
    return Environment("KESTROVA_BUILD_DIR");
}

std::string WinePrefixUnix() {
    return Environment("WINEPREFIX");
}

std::string UnixPathOf(const std::string& windowsPath) {
    // cppcheck-suppress cstyleCast ; a function pointer type, not a cast
    using WineGetUnixFileName = char*(CDECL*)(const WCHAR*);
    const auto convert = reinterpret_cast<WineGetUnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) {
        return {};
    }
    WCHAR wide[MAX_PATH * 2] = {};
    if (MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH * 2) == 0) {
        return {};
    }
    char* unix = convert(wide);
    if (unix == nullptr) {
        return {};
    }
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

int RunUnixScript(const std::string& name, const std::string& script, DWORD timeoutMs) {
    const std::string folder = BuildDirectoryUnix() + "/faults/scripts";
    std::error_code ignored;
    std::filesystem::create_directories(e2e::WindowsPathOf(folder), ignored);
    const std::string scriptPath = folder + "/" + name + ".sh";
    const std::string resultPath = folder + "/" + name + ".status";
    const std::string resultWindows = e2e::WindowsPathOf(resultPath);
    DeleteFileA(resultWindows.c_str());
    // The status is written to a side file and renamed, so that a half-written
    // status is never read.
    const std::string text =
        "#!/bin/sh\n(\n" + script + "\n) >" + ShellQuoted(resultPath + ".log") +
        " 2>&1\necho $? >" + ShellQuoted(resultPath + ".part") + "\nmv " +
        ShellQuoted(resultPath + ".part") + " " + ShellQuoted(resultPath) + "\n";
    if (!e2e::WriteFileText(e2e::WindowsPathOf(scriptPath), text)) {
        return -1;
    }
    // A Unix program gets its arguments as written: the script's Unix path.
    std::string command = "Z:\\bin\\sh " + scriptPath;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        return -1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!e2e::WaitUntil([&] { return e2e::PathExists(resultWindows); }, timeoutMs)) {
        return -1;
    }
    const std::string status = e2e::ReadFileText(resultWindows);
    // "echo $?" writes the status and a line end; anything else is no status.
    char* end = nullptr;
    const long code = std::strtol(status.c_str(), &end, 10);
    if (end == status.c_str() || (*end != '\0' && *end != '\n')) {
        return -1;
    }
    return static_cast<int>(code);
}

Window::Window(DWORD processId) {
    main = e2e::WaitForWindow(processId, "Kestrova", 30000);
    if (main != nullptr) {
        status = e2e::FindDescendantById(main, ids::lblStatus);
        drives = e2e::FindDescendantById(main, ids::lstDrives);
        mountList = e2e::FindDescendantById(main, ids::lstMount);
    }
}

std::vector<std::string> Window::Letters() const {
    std::vector<std::string> letters;
    for (const e2e::ListViewRow& row : Rows()) {
        letters.push_back(row.columns.empty() ? std::string() : row.columns[0]);
    }
    return letters;
}

std::vector<int> Window::Images() const {
    std::vector<int> images;
    for (const e2e::ListViewRow& row : Rows()) {
        images.push_back(row.image);
    }
    return images;
}

bool Window::WaitForStatus(const std::string& text, DWORD timeoutMs) const {
    return e2e::WaitUntil([&] { return Status() == text; }, timeoutMs);
}

bool Window::WaitForRowCount(std::size_t count, DWORD timeoutMs) const {
    return e2e::WaitUntil([&] { return Rows().size() == count; }, timeoutMs);
}

DWORD RunSubstDouble(const std::string& arguments) {
    return e2e::RunToEnd("\"" + e2e::WindowsPathOf(SUBST_DOUBLE_UNIX_PATH) + "\" " + arguments);
}

ThreeDrives::ThreeDrives(const std::string& programFolder) {
    UnmapAll();
    const char* const names[] = {"First Folder", "Second", "Third-Folder"};
    const char* const letters[] = {"E:", "F:", "G:"};
    for (int i = 0; i < 3; ++i) {
        folders_.push_back(programFolder + "\\" + names[i]);
        std::error_code ignored;
        std::filesystem::create_directories(folders_.back(), ignored);
        store_ += std::string(letters[i]) + "-" + e2e::ShortPath(folders_.back()) + "\r\n";
    }
    e2e::WriteFileText(programFolder + "\\Shrt.dat", store_);
}

ThreeDrives::~ThreeDrives() {
    UnmapAll();
}

std::vector<std::string> ThreeDrives::Entries() const {
    return {"E:-" + e2e::ShortPath(folders_[0]), "F:-" + e2e::ShortPath(folders_[1]),
            "G:-" + e2e::ShortPath(folders_[2])};
}

void ThreeDrives::UnmapAll() {
    for (const char* letter : {"E:", "F:", "G:"}) {
        if (e2e::Mapped(letter[0])) {
            RunSubstDouble(std::string(letter) + " /d");
        }
    }
}

void TakeScreenshot(const std::string& step) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name =
        test != nullptr ? std::string(test->test_suite_name()) + "-" + test->name() : "faults";
    e2e::Screenshot(e2e::ScreenshotPath("faults-" + name + "-" + step));
}

}  // namespace kestrova::faults
