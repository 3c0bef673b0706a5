#pragma once

#include <string>

namespace kestrova {

// Attribute bits of a directory query mask. Normal files always match; a
// hidden, system or directory entry matches only when the mask holds its bit.
inline constexpr unsigned kAttributeHidden = 2;
inline constexpr unsigned kAttributeSystem = 4;
inline constexpr unsigned kAttributeDirectory = 16;

// GetDriveTypeA's result for a letter with no volume at its root.
inline constexpr unsigned kDriveNoRootDir = 1;

enum class ReadStatus {
    Ok,
    NotFound,  // no file at the path: nothing to read, nothing to protect
    Failed,    // the file is there but could not be read (locked, a folder, denied)
};

// The file-system services the drive-mapping core uses. Paths are 8-bit text
// in the process's ANSI code page, which the program sets to UTF-8, so that a
// folder of any name is one the API takes and gives back unchanged.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // First-match directory query: the name (last component, long form) of
    // the first entry that matches `path` and whose attributes fit `mask`;
    // empty when nothing matches or the query fails.
    virtual std::string FindFirstName(const std::string& path, unsigned mask) = 0;

    // GetShortPathNameA: writes the short form of `path` into `buffer`, which
    // may hold `size` characters, and returns the count the API returns
    // (0 on failure, more than `size` when the buffer is too small).
    virtual unsigned ShortPathName(const std::string& path, char* buffer, unsigned size) = 0;

    // GetDriveTypeA for a letter and colon such as "e:".
    virtual unsigned DriveType(const std::string& drive) = 0;

    // Reads the whole file as bytes.
    virtual ReadStatus ReadWholeFile(const std::string& path, std::string& contents) = 0;

    // Creates (or truncates) `path`, writes `contents`, flushes it to the disk
    // and closes it. False when any step fails.
    virtual bool WriteNewFile(const std::string& path, const std::string& contents) = 0;

    // Replaces `to` by `from` in one step (a rename over the old file).
    virtual bool ReplaceWith(const std::string& from, const std::string& to) = 0;

    virtual bool DeleteFileAt(const std::string& path) = 0;

    // Creates a folder (its parent must exist); true when it is there after.
    virtual bool CreateFolder(const std::string& path) = 0;

    // Whether the file at the path is marked read-only.
    virtual bool IsReadOnly(const std::string& path) = 0;

    // The system's reason, as a sentence, why the last call of this object
    // that failed did so ("Access is denied."); empty when none failed.
    virtual std::string FailureReason() = 0;

    // When the file was last written, as the user's locale writes a date and
    // time; empty when it cannot be had.
    virtual std::string ModifiedText(const std::string& path) = 0;

    // What a folder is, whatever name or drive letter reaches it: two paths
    // that give the same identity lead to the same folder. Empty when the
    // path leads nowhere (or the file system cannot tell).
    virtual std::string FolderIdentity(const std::string& path) = 0;

    // The program's text is UTF-8. A file written earlier in the system's
    // legacy ANSI code page is turned into it here; where the process runs on
    // that legacy code page itself, the bytes come back unchanged.
    virtual std::string FromLegacyCodePage(const std::string& bytes) = 0;
};

}  // namespace kestrova
