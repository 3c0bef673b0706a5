#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "platform/win32/Handle.h"

namespace kestrova {

namespace {

// The numbers the portable code copies are the system's own.
static_assert(kAttributeHidden == FILE_ATTRIBUTE_HIDDEN &&
              kAttributeSystem == FILE_ATTRIBUTE_SYSTEM &&
              kAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(kDriveNoRootDir == DRIVE_NO_ROOT_DIR);

// A store file is a few lines; anything this large is not one, and is left
// unread rather than loaded.
constexpr LONGLONG kLargestReadableFile = 16LL * 1024 * 1024;

constexpr DWORD kMaskedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

// The API takes NUL-terminated text: a path with a NUL inside would silently
// name a different, shorter path.
bool Representable(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos;
}

bool IsDriveLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "E:" or "E:\": the root of a drive, which FindFirstFile cannot be asked about.
bool IsDriveRoot(const std::string& path) {
    return (path.size() == 2 || (path.size() == 3 && path[2] == '\\')) && IsDriveLetter(path[0]) &&
           path[1] == ':';
}

bool Fits(DWORD attributes, unsigned mask) {
    return (attributes & kMaskedAttributes & ~mask) == 0;
}

}  // namespace

std::string Win32FileSystem::FindFirstName(const std::string& path, unsigned mask) {
    if (!Representable(path)) {
        return {};
    }
    if (IsDriveRoot(path)) {
        std::string root = path.substr(0, 2) + "\\";
        const DWORD attributes = GetFileAttributesA(root.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !Fits(attributes, mask)) {
            return {};
        }
        return root;
    }
    WIN32_FIND_DATAA data{};
    FindHandle search(FindFirstFileA(path.c_str(), &data));
    if (!search.Valid()) {
        return {};
    }
    do {
        if (Fits(data.dwFileAttributes, mask)) {
            return data.cFileName;
        }
    } while (FindNextFileA(search.Get(), &data));
    return {};
}

unsigned Win32FileSystem::ShortPathName(const std::string& path, char* buffer, unsigned size) {
    if (!Representable(path)) {
        return 0;
    }
    return GetShortPathNameA(path.c_str(), buffer, size);
}

unsigned Win32FileSystem::DriveType(const std::string& drive) {
    if (!Representable(drive)) {
        return DRIVE_UNKNOWN;
    }
    // The API documents a root with its backslash; "e:" is asked as "e:\".
    std::string root = drive;
    if (root.size() == 2 && root[1] == ':') {
        root += '\\';
    }
    return GetDriveTypeA(root.c_str());
}

ReadStatus Win32FileSystem::ReadWholeFile(const std::string& path, std::string& contents) {
    if (!Representable(path)) {
        return ReadStatus::NotFound;
    }
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                   ? ReadStatus::NotFound
                   : ReadStatus::Failed;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLargestReadableFile) {
        return ReadStatus::Failed;
    }
    std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t filled = 0;
    while (filled < data.size()) {
        DWORD read = 0;
        const auto wanted = static_cast<DWORD>(data.size() - filled);
        if (!ReadFile(file.Get(), data.data() + filled, wanted, &read, nullptr)) {
            return ReadStatus::Failed;
        }
        if (read == 0) {
            break;
        }
        filled += read;
    }
    data.resize(filled);
    contents = std::move(data);
    return ReadStatus::Ok;
}

bool Win32FileSystem::WriteNewFile(const std::string& path, const std::string& contents) {
    if (!Representable(path)) {
        SetLastError(ERROR_INVALID_NAME);
        return Failed();
    }
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        return Failed();
    }
    std::size_t written = 0;
    while (written < contents.size()) {
        DWORD count = 0;
        const auto wanted = static_cast<DWORD>(contents.size() - written);
        if (!WriteFile(file.Get(), contents.data() + written, wanted, &count, nullptr)) {
            return Failed();
        }
        if (count == 0) {
            SetLastError(ERROR_DISK_FULL);
            return Failed();
        }
        written += count;
    }
    if (!FlushFileBuffers(file.Get()) || CloseHandle(file.Release()) == 0) {
        return Failed();
    }
    return true;
}

bool Win32FileSystem::ReplaceWith(const std::string& from, const std::string& to) {
    if (!Representable(from) || !Representable(to)) {
        SetLastError(ERROR_INVALID_NAME);
        return Failed();
    }
    // A read-only store is one the user protects. Windows refuses to rename
    // over it; Wine does not, so the check is made here for both.
    if (IsReadOnly(to)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return Failed();
    }
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 ||
           Failed();
}

bool Win32FileSystem::IsReadOnly(const std::string& path) {
    const DWORD attributes =
        Representable(path) ? GetFileAttributesA(path.c_str()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool Win32FileSystem::Failed() {
    lastError_ = GetLastError();
    return false;
}

std::string Win32FileSystem::FailureReason() {
    if (lastError_ == 0) {
        return {};
    }
    char text[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       lastError_, 0, text, static_cast<DWORD>(sizeof text), nullptr);
    std::string reason(text, length < sizeof text ? length : 0);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n')) {
        reason.pop_back();
    }
    if (reason.empty()) {
        wsprintfA(text, "Error %lu.", lastError_);
        reason = text;
    }
    return reason;
}

std::string Win32FileSystem::ModifiedText(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    if (!Representable(path) || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        !FileTimeToSystemTime(&data.ftLastWriteTime, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
        return {};
    }
    char date[80] = {};
    char time[80] = {};
    if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &local, nullptr, date, sizeof date) ==
            0 ||
        GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, time, sizeof time) ==
            0) {
        return {};
    }
    return std::string(date) + " " + time;
}

std::string Win32FileSystem::FolderIdentity(const std::string& path) {
    if (!Representable(path)) {
        return {};
    }
    // A folder is opened as itself (backup semantics), a drive letter as the
    // folder it leads to; the volume and the file's index on it name it.
    std::string target = path;
    if (target.size() == 2 && target[1] == ':') {
        target += '\\';
    }
    UniqueHandle folder(CreateFileA(target.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!folder.Valid() || !GetFileInformationByHandle(folder.Get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return {};
    }
    char identity[40] = {};
    wsprintfA(identity, "%08lx:%08lx%08lx", information.dwVolumeSerialNumber,
              information.nFileIndexHigh, information.nFileIndexLow);
    return identity;
}

bool Win32FileSystem::DeleteFileAt(const std::string& path) {
    return Representable(path) && DeleteFileA(path.c_str()) != 0;
}

bool Win32FileSystem::CreateFolder(const std::string& path) {
    return Representable(path) &&
           (CreateDirectoryA(path.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS);
}

std::string Win32FileSystem::FromLegacyCodePage(const std::string& bytes) {
    // The legacy code page is the one the system's locale names, which the
    // process's own (UTF-8, from its manifest) has replaced.
    char number[8] = {};
    const UINT legacy = GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number,
                                       sizeof number) > 0
                            ? static_cast<UINT>(std::strtoul(number, nullptr, 10))
                            : 0;
    if (GetACP() != CP_UTF8 || legacy == 0 || legacy == CP_UTF8 || bytes.empty()) {
        return bytes;
    }
    const int size = static_cast<int>(bytes.size());
    const int wideSize = MultiByteToWideChar(legacy, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(legacy, 0, bytes.data(), size, wide.data(), wideSize);
    const int textSize =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(textSize), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, text.data(), textSize, nullptr, nullptr);
    return text;
}

std::string ProgramFolder() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const auto size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            std::string path(buffer.data(), length);
            const std::size_t slash = path.find_last_of('\\');
            if (slash == std::string::npos) {
                return {};
            }
            // Keep the backslash of a drive root ("C:\").
            return path.substr(0, slash == 2 ? 3 : slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace kestrova
