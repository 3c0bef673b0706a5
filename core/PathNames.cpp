#include "core/PathNames.h"

#include <array>

namespace kestrova {

namespace {

constexpr unsigned kFileMask = kAttributeHidden | kAttributeSystem;
constexpr unsigned kAnyEntryMask = kAttributeDirectory | kAttributeHidden | kAttributeSystem;

// GetShortPath's buffer: 165 characters of which 164 are offered to the API.
constexpr unsigned kShortBufferChars = 165;
constexpr unsigned kShortBufferOffered = 164;

}  // namespace

std::string GetShortPath(FileSystem& fileSystem, const std::string& strFileName) {
    if (strFileName.empty()) {
        return {};
    }
    std::array<char, kShortBufferChars> buffer{};
    const unsigned count =
        fileSystem.ShortPathName(strFileName, buffer.data(), kShortBufferOffered);
    // A count of the buffer size or more is the size the API would need: the
    // short form did not fit, and the buffer holds nothing usable.
    if (count == 0 || count >= kShortBufferOffered) {
        return {};
    }
    return std::string(buffer.data(), count);
}

std::string GetLongName(FileSystem& fileSystem, const std::string& psShortName) {
    // Wildcards would turn a component query into a pattern match that names
    // some other entry; such a text is no folder.
    if (psShortName.empty() || psShortName.find_first_of("*?") != std::string::npos) {
        return {};
    }
    // Only a folder below a drive root has a long form: a drive, its root's
    // backslash and at least one component. A bare drive would come back
    // without a single query, as if it were there, and a drive-relative text
    // would be answered from the drive's current folder.
    if (psShortName.size() < 4 || psShortName[1] != ':' || psShortName[2] != '\\') {
        return {};
    }
    const std::string s = psShortName + "\\";
    std::string longTail;
    // The root's backslash (the third character) is not a component boundary.
    std::size_t position = s.find('\\', 3);
    std::size_t componentStart = 3;
    while (position != std::string::npos) {
        // An empty component (a doubled or trailing backslash) has no long
        // name; asking about its parent would return an unrelated entry.
        if (position == componentStart) {
            return {};
        }
        const std::string name = fileSystem.FindFirstName(s.substr(0, position), kAnyEntryMask);
        if (name.empty()) {
            return {};
        }
        longTail += '\\';
        longTail += name;
        componentStart = position + 1;
        position = s.find('\\', position + 1);
    }
    return s.substr(0, 2) + longTail;
}

bool FileExists(FileSystem& fileSystem, const std::string& path) {
    return !path.empty() && !fileSystem.FindFirstName(path, kFileMask).empty();
}

bool DirExists(FileSystem& fileSystem, const std::string& path) {
    return !path.empty() && !fileSystem.FindFirstName(path, kAnyEntryMask).empty();
}

bool DriveLeadsTo(FileSystem& fileSystem, const std::string& letter,
                  const std::string& storedFolder) {
    std::string folder;
    for (const char c : storedFolder) {
        if (c != '"') {
            folder += c;
        }
    }
    const std::string drive = fileSystem.FolderIdentity(letter);
    return !drive.empty() && !folder.empty() && drive == fileSystem.FolderIdentity(folder);
}

std::string RememberedNames::FindFirstName(const std::string& path, unsigned mask) {
    const auto [answer, isNew] = answers_.try_emplace({path, mask});
    if (isNew) {
        answer->second = fileSystem_.FindFirstName(path, mask);
    }
    return answer->second;
}

}  // namespace kestrova
