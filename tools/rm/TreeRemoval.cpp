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
    std::string path;
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

class TreeRemoval {
  public:
    unsigned Failures() const { return failures_; }

    void RemoveEntry(const std::string& path, DWORD attributes) {
        const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
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
        if (folder) {
            RemoveContents(path);
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

  private:
    static DWORD WritableAttributes(DWORD attributes) {
        const DWORD writable = attributes & kSettableAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
        return writable == 0 ? FILE_ATTRIBUTE_NORMAL : writable;
    }

    // The entries are listed in full and the search closed before any is
    // deleted: the listing is not disturbed by the deletions, and only one
    // search is open at any depth.
    void RemoveContents(const std::string& folder) {
        std::vector<Entry> entries;
        {
            const std::string pattern = folder + "\\*";
            WIN32_FIND_DATAA data = {};
            FindHandle search(FindFirstFileA(pattern.c_str(), &data));
            if (!search.Valid()) {
                const DWORD error = GetLastError();
                if (error != ERROR_FILE_NOT_FOUND) {
                    Fail("list", folder, error);
                }
                return;
            }
            do {
                const std::string name = FieldText(data.cFileName);
                if (name == "." || name == "..") {
                    continue;
                }
                const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                const std::optional<std::string> path =
                    RmChildPath(folder, name, FieldText(data.cAlternateFileName), isFolder);
                if (!path) {
                    WriteError("rm: cannot delete \"" + folder + "\\" + name +
                               "\": no usable path names it\n");
                    ++failures_;
                    continue;
                }
                entries.push_back(Entry{*path, data.dwFileAttributes});
            } while (FindNextFileA(search.Get(), &data));
            const DWORD error = GetLastError();
            if (error != ERROR_NO_MORE_FILES) {
                Fail("list", folder, error);
            }
        }
        for (const Entry& entry : entries) {
            RemoveEntry(entry.path, entry.attributes);
        }
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

int RemoveTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            WriteError("rm: \"" + path + "\" does not exist\n");
            return kRmExitNotFound;
        }
        WriteError("rm: cannot read \"" + path + "\": " + ErrorText(error) + " (error " +
                   std::to_string(error) + ")\n");
        return kRmExitIncomplete;
    }
    TreeRemoval removal;
    removal.RemoveEntry(path, attributes);
    if (removal.Failures() != 0) {
        WriteError("rm: \"" + path + "\" was not deleted completely (" +
                   std::to_string(removal.Failures()) + " failures)\n");
        return kRmExitIncomplete;
    }
    return kRmExitDeleted;
}

}  // namespace kestrova
