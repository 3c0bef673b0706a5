#include "core/StoreEntry.h"

#include "core/PathNames.h"

namespace kestrova {

SplitEntry SplitStoreEntry(const std::string& entry) {
    const std::size_t dash = entry.find('-');
    if (dash == std::string::npos) {
        return {entry, {}, false};
    }
    return {entry.substr(0, dash), entry.substr(dash + 1), true};
}

bool IsUncFolder(const std::string& folder) {
    return folder.size() >= 2 && folder[0] == '\\' && folder[1] == '\\';
}

bool IsDriveText(const std::string& text) {
    return text.size() == 2 && text[1] == ':' &&
           ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

bool IsAbsoluteFolder(const std::string& storedFolder) {
    return (storedFolder.size() >= 3 && IsDriveText(storedFolder.substr(0, 2)) &&
            storedFolder[2] == '\\') ||
           (IsUncFolder(storedFolder) && storedFolder.size() > 2) ||
           (IsQuotedUncFolder(storedFolder) && storedFolder.back() == '"' &&
            storedFolder.size() > 4);
}

bool IsQuotedUncFolder(const std::string& storedFolder) {
    return storedFolder.size() >= 3 && storedFolder[0] == '"' &&
           IsUncFolder(storedFolder.substr(1));
}

std::string StoredFolderFor(FileSystem& fileSystem, const std::string& longFolder) {
    if (IsUncFolder(longFolder)) {
        return "\"" + longFolder + "\"";
    }
    return GetShortPath(fileSystem, longFolder);
}

std::string ComposeStoreEntry(FileSystem& fileSystem, const std::string& letter,
                              const std::string& longFolder) {
    return letter + "-" + StoredFolderFor(fileSystem, longFolder);
}

}  // namespace kestrova
