// A stand-in for the system's subst.exe in tests. Wine's own subst reports
// success without making the letter reachable, so this one makes the mapping
// real in the Wine prefix ($WINEPREFIX/dosdevices/x: as a link to the Unix
// folder) and waits until the drive state has changed before it exits, so a
// caller's wait means what it means on Windows. Every command line it gets is
// appended to subst.log beside it. It fails as subst does: wrong argument
// count, a missing folder, a letter already mapped, /d on a letter that is not.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kSettleTimeoutMs = 15000;

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length);
    return text.substr(0, text.find_last_of('\\'));
}

// The command line after the program name, exactly as received.
std::string Arguments() {
    const std::string line = GetCommandLineA();
    std::size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        i = line.find('"', 1);
        i = i == std::string::npos ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
        ++i;
    }
    return line.substr(i);
}

void AppendLog(const std::string& text) {
    const std::string path = ExeFolder() + "\\subst.log";
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string line = text + "\r\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

int Fail(const char* message, const std::string& detail) {
    std::fprintf(stderr, "%s%s\n", message, detail.c_str());
    return 1;
}

bool Mapped(char letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    return GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR;
}

std::string UnixPath(const std::string& windowsPath) {
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

// The Unix folder of the prefix, as a Windows path on Z: and as a Unix path.
bool PrefixPaths(std::string& unixPrefix) {
    char buffer[MAX_PATH * 2] = {};
    if (GetEnvironmentVariableA("WINEPREFIX", buffer, sizeof buffer) == 0) {
        return false;
    }
    unixPrefix = buffer;
    return true;
}

// Wine runs Unix programs but does not track them, so the result is judged
// by the drive state the caller polls for.
bool StartUnix(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool WaitForState(char letter, bool mapped) {
    const DWORD start = GetTickCount();
    while (Mapped(letter) != mapped) {
        if (GetTickCount() - start > kSettleTimeoutMs) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

void DelayIfAsked() {
    char buffer[32] = {};
    if (GetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", buffer, sizeof buffer) != 0) {
        Sleep(static_cast<DWORD>(std::strtoul(buffer, nullptr, 10)));
    }
}

bool IsDriveText(const std::string& text) {
    return text.size() == 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
}

}  // namespace

int main(int argc, char** argv) {
    AppendLog(Arguments());
    DelayIfAsked();
    if (argc == 1) {
        return 0;  // subst without arguments lists the mappings: none to show here
    }
    if (argc != 3) {
        return Fail("Incorrect number of parameters - ", Arguments());
    }
    const std::string drive = argv[1];
    const std::string target = argv[2];
    if (!IsDriveText(drive)) {
        return Fail("Invalid parameter - ", drive);
    }
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(drive[0])));
    std::string prefix;
    if (!PrefixPaths(prefix)) {
        return Fail("WINEPREFIX is not set", "");
    }
    const std::string link = prefix + "/dosdevices/" + std::string{letter, ':'};

    if (target == "/d" || target == "/D") {
        // Only letters this double mapped are links it may take away.
        if (!Mapped(letter) || letter == 'c' || letter == 'z') {
            return Fail("Invalid parameter - ", drive);
        }
        if (!StartUnix("Z:\\bin\\rm -f \"" + link + "\"") || !WaitForState(letter, false)) {
            return Fail("Could not remove the mapping of ", drive);
        }
        return 0;
    }
    if (Mapped(letter)) {
        return Fail("Drive already SUBSTed", "");
    }
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return Fail("Path not found - ", target);
    }
    const std::string unixTarget = UnixPath(target);
    if (unixTarget.empty()) {
        return Fail("Path not found - ", target);
    }
    if (!StartUnix("Z:\\bin\\ln -sfn \"" + unixTarget + "\" \"" + link + "\"") ||
        !WaitForState(letter, true)) {
        return Fail("Could not map ", drive);
    }
    return 0;
}
