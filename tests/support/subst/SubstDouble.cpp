// subst.exe for the tests (as explorer.exe it only logs): logs its command line beside itself,
// sleeps KESTROVA_SUBST_DELAY_MS, links $WINEPREFIX/dosdevices/x: to the folder (Wine's own maps
// nothing), waits for the drive to change, and fails as subst does (bad arguments, no folder, ...).
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The command line after the program's name, exactly as received.
std::string Arguments() {
    const std::string line = GetCommandLineA();
    std::size_t i = line.rfind('"', 0) == 0 ? line.find('"', 1) + 1 : line.find(' ');
    i = i == 0 || i == std::string::npos ? line.size() : i;
    return line.substr(std::min(line.find_first_not_of(" \t", i), line.size()));
}

bool Mapped(char letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    return GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR;
}

// Wine does not track a Unix program: the drive state the caller waits for tells when it is done.
bool Unix(const std::string& command, char letter, bool mapped) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, std::string(command).data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (const DWORD start = GetTickCount(); Mapped(letter) != mapped; Sleep(20)) {
        if (GetTickCount() - start > 15000) {
            return false;
        }
    }
    return true;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string self(MAX_PATH, '\0');
    self.resize(GetModuleFileNameA(nullptr, self.data(), MAX_PATH));
    const std::string logPath = self.substr(0, self.find_last_of('.')) + ".log";
    HANDLE log = CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, 0, nullptr);
    const std::string logged = Arguments() + "\r\n";
    DWORD written = 0;
    WriteFile(log, logged.data(), static_cast<DWORD>(logged.size()), &written, nullptr);
    CloseHandle(log);
    char delay[16] = {};
    if (GetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", delay, sizeof delay) > 0) {
        Sleep(static_cast<DWORD>(std::strtoul(delay, nullptr, 10)));
    }
    if (argc == 1 || logPath.ends_with("explorer.log")) {
        return 0;  // subst alone would list the mappings: none to show here
    }
    const std::string drive = argc == 3 ? argv[1] : "";
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(drive[0])));
    if (argc != 3 || drive.size() != 2 || drive[1] != ':' || !std::isalpha(letter)) {
        return Fail("Incorrect parameters - " + Arguments());
    }
    const std::string target = argv[2];
    char prefix[MAX_PATH] = {};
    GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    const std::string link = std::string(prefix) + "/dosdevices/" + letter + ":";
    if (target == "/d" || target == "/D") {
        if (!Mapped(letter) || letter == 'c' || letter == 'z') {
            return Fail("Invalid parameter - " + drive);
        }
        return Unix("Z:\\bin\\rm -f \"" + link + "\"", letter, false) ? 0 : Fail("Not removed");
    }
    if (Mapped(letter)) {
        return Fail("Drive already SUBSTed");
    }
    const DWORD attributes = GetFileAttributesA(target.c_str());
    const auto unixName = reinterpret_cast<char* (*)(const WCHAR*)>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH * 2] = {};
    MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, wide, MAX_PATH * 2);
    char* folder = unixName != nullptr ? unixName(wide) : nullptr;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        folder == nullptr) {
        return Fail("Path not found - " + target);
    }
    const std::string command = "Z:\\bin\\ln -sfn \"" + std::string(folder) + "\" \"" + link + "\"";
    HeapFree(GetProcessHeap(), 0, folder);
    return Unix(command, letter, true) ? 0 : Fail("Not mapped");
}
