#include "tools/rm/TreeRemoval.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/Handle.h"
#include "tools/rm/RmRules.h"

namespace kestrova {

namespace {

// The attributes SetFileAttributesA accepts; the others (directory, reparse
// point, ...) describe the entry and cannot be set.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_TEMPORARY;

struct Entry {
    std::string name;
    std::optional<std::string> path;  // none when no usable path reaches it
    DWORD attributes;
};

// The text of a fixed-size name field, which need not end in a NUL.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, std::find(field, field + N, '\0'));
}

std::string ErrorText(DWORD error) {
    char buffer[256] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, buffer, static_cast<DWORD>(sizeof buffer), nullptr);
    std::string text(buffer, std::min<std::size_t>(length, sizeof buffer));
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "system error" : text;
}

bool IsFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsLink(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Lists the entries of folder in full and closes the search before it
// returns, so that deletions never disturb a listing and only one search is
// open at any depth. ERROR_SUCCESS, or the error that ended the listing.
DWORD ListEntries(const std::string& folder, std::vector<Entry>& entries) {
    const std::string pattern = folder + "\\*";
    WIN32_FIND_DATAA data = {};
    FindHandle search(FindFirstFileA(pattern.c_str(), &data));
    if (!search.Valid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    }
    do {
        const std::string name = FieldText(data.cFileName);
        if (name == "." || name == "..") {
            continue;
        }
        entries.push_back(Entry{name,
                                RmChildPath(folder, name, FieldText(data.cAlternateFileName),
                                            IsFolder(data.dwFileAttributes)),
                                data.dwFileAttributes});
    } while (FindNextFileA(search.Get(), &data));
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : error;
}

RmEntry Listed(const Entry& entry) {
    RmEntry listed;
    listed.name = entry.name;
    listed.path = entry.path.value_or(std::string());
    listed.isFolder = IsFolder(entry.attributes);
    listed.isLink = IsLink(entry.attributes);
    return listed;
}

// Fills folder.entries from the disk; false, with a message, when it cannot.
bool ListInto(RmEntry& folder) {
    std::vector<Entry> entries;
    const DWORD error =
        folder.path.empty() ? ERROR_FILENAME_EXCED_RANGE : ListEntries(folder.path, entries);
    if (error != ERROR_SUCCESS) {
        WriteError("rm: cannot list \"" + (folder.path.empty() ? folder.name : folder.path) +
                   "\" to check it: " + ErrorText(error) + " (error " + std::to_string(error) +
                   ")\n");
        return false;
    }
    for (const Entry& entry : entries) {
        folder.entries.push_back(Listed(entry));
    }
    return true;
}

class TreeRemoval {
  public:
    unsigned Failures() const { return failures_; }

    // Deletes an entry that was listed and checked, judged by the attributes
    // it has now, so that one replaced by a link since is removed as a link.
    // With withContents (a deleted item) a folder's contents go first,
    // whatever they are; without it (a user's folder, the bin) the folder is
    // only removed, which fails and keeps it when anything appeared in it
    // after the listing.
    void RemoveChecked(const RmEntry& entry, bool withContents) {
        if (entry.path.empty()) {
            NoPath(entry.name);
            return;
        }
        const DWORD attributes = GetFileAttributesA(entry.path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            Fail("read", entry.path, GetLastError());
        } else if (withContents) {
            RemoveEntry(entry.path, attributes);
        } else {
            RemoveItself(entry.path, attributes);
        }
    }

  private:
    static DWORD WritableAttributes(DWORD attributes) {
        const DWORD writable = attributes & kSettableAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
        return writable == 0 ? FILE_ATTRIBUTE_NORMAL : writable;
    }

    void RemoveEntry(const std::string& path, DWORD attributes) {
        if (IsFolder(attributes) && !IsLink(attributes)) {
            RemoveContents(path);
        }
        RemoveItself(path, attributes);
    }

    void RemoveItself(const std::string& path, DWORD attributes) {
        const bool folder = IsFolder(attributes);
        if (IsLink(attributes)) {
            // Removing a junction or symbolic link removes the link alone. Its
            // attributes are left as they are: changing them would change the
            // target's.
            const BOOL removed =
                folder ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
            if (!removed) {
                Fail("delete the link", path, GetLastError());
            }
            return;
        }
        const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
        if (readOnly && !SetFileAttributesA(path.c_str(), WritableAttributes(attributes))) {
            Fail("make writable", path, GetLastError());
            return;
        }
        if (!(folder ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str()))) {
            const DWORD error = GetLastError();
            if (readOnly) {
                // What stays behind keeps the protection it had.
                SetFileAttributesA(path.c_str(), attributes & kSettableAttributes);
            }
            Fail("delete", path, error);
        }
    }

    void RemoveContents(const std::string& folder) {
        std::vector<Entry> entries;
        const DWORD error = ListEntries(folder, entries);
        if (error != ERROR_SUCCESS) {
            Fail("list", folder, error);
        }
        for (const Entry& entry : entries) {
            if (entry.path) {
                RemoveEntry(*entry.path, entry.attributes);
            } else {
                NoPath(folder + "\\" + entry.name);
            }
        }
    }

    void NoPath(const std::string& name) {
        WriteError("rm: cannot delete \"" + name + "\": no usable path names it\n");
        ++failures_;
    }

    void Fail(const char* action, const std::string& path, DWORD error) {
        WriteError("rm: cannot " + std::string(action) + " \"" + path + "\": " + ErrorText(error) +
                   " (error " + std::to_string(error) + ")\n");
        ++failures_;
    }

    unsigned failures_ = 0;
};

}  // namespace

void WriteError(const std::string& text) {
    // fputs rather than fprintf: mingw-w64 replaces the printf family with its
    // own formatter, which would be most of rm.exe's code.
    std::fputs(text.c_str(), stderr);
}

bool ListRecycleBin(const std::string& path, RmEntry& bin, int& failure) {
    failure = kRmExitNotABin;
    WIN32_FIND_DATAA data = {};
    {
        // A search for the path itself gives the entry as its folder lists
        // it: its name on disk, and a link as a link.
        const FindHandle search(FindFirstFileA(path.c_str(), &data));
        if (!search.Valid()) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
                WriteError("rm: \"" + path + "\" does not exist\n");
                failure = kRmExitNotFound;
            } else {
                WriteError("rm: cannot read \"" + path + "\": " + ErrorText(error) + " (error " +
                           std::to_string(error) + ")\n");
            }
            return false;
        }
    }
    bin = Listed(Entry{FieldText(data.cFileName), path, data.dwFileAttributes});
    if (!bin.isFolder || bin.isLink) {
        return true;
    }
    if (!ListInto(bin)) {
        return false;
    }
    for (RmEntry& folder : bin.entries) {
        if (folder.isFolder && !folder.isLink && !ListInto(folder)) {
            return false;
        }
    }
    return true;
}

int RemoveRecycleBin(const RmEntry& bin) {
    TreeRemoval removal;
    for (const RmEntry& folder : bin.entries) {
        for (const RmEntry& item : folder.entries) {
            removal.RemoveChecked(item, true);
        }
        removal.RemoveChecked(folder, false);
    }
    removal.RemoveChecked(bin, false);
    if (removal.Failures() != 0) {
        WriteError("rm: \"" + bin.path + "\" was not deleted completely (" +
                   std::to_string(removal.Failures()) + " failures)\n");
        return kRmExitIncomplete;
    }
    return kRmExitDeleted;
}

}  // namespace kestrova
