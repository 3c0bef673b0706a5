#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/FileSystem.h"

namespace kestrova::fuzz {

namespace {

// Bytes outside printable ASCII as \xNN, so a report shows exactly what the
// text held.
std::string Printable(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            constexpr std::string_view kHexDigits = "0123456789ABCDEF";
            shown += "\\x";
            shown += kHexDigits[static_cast<unsigned>(byte) >> 4U];
            shown += kHexDigits[static_cast<unsigned>(byte) & 0x0FU];
        }
    }
    return shown;
}

}  // namespace

void PropertyFailed(const char* condition, const char* file, int line, const std::string& detail) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n  %s\n", file, line, condition,
                 Printable(detail).c_str());
    // Before the abort; a flush that fails has nowhere left to be reported.
    (void)std::fflush(stderr);
    std::abort();
}

void AddSampleTree(testing::FakeFileSystem& fileSystem) {
    fileSystem.AddDrive("C:");
    fileSystem.AddDrive("E:");  // a mounted virtual drive
    fileSystem.AddDrive("G:", kDriveNoRootDir);
    fileSystem.AddFolder("C:\\Kestrova");
    fileSystem.AddFolder("C:\\Program Files", "PROGRA~1");
    fileSystem.AddFolder("C:\\Program Files\\My Data", "MYDATA~1");
    fileSystem.AddFolder("C:\\Program Files\\My Data\\Deep Folder", "DEEPFO~1");
    fileSystem.AddFolder("C:\\Work");
    fileSystem.AddFolder("C:\\Work, old", "WORKOL~1");
    fileSystem.AddFolder("C:\\MY-DIR\\My-Folder", "MY-FOL~1");
    fileSystem.AddFolder(
        "C:\\Donn\xE9"
        "es",
        "DONNE~1");  // "Données" in code page 1252
    fileSystem.AddFolder("C:\\Hidden", "", kAttributeDirectory | kAttributeHidden);
    // 164 characters: its short form (itself) does not fit the buffer.
    fileSystem.AddFolder("C:\\" + std::string(161, 'b'));
    fileSystem.AddFile("C:\\Work\\notes.txt", "notes", "NOTES.TXT");
    fileSystem.AddFolder("E:\\Shared");
}

std::vector<std::string> PathComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path) {
        if (c == '\\') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

}  // namespace kestrova::fuzz
