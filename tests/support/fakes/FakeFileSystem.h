#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace kestrova::testing {

// An in-memory file system with drive letters, short (8.3) names, attribute
// masks and the failures a real disk can have. Names compare without regard
// to case, and a path may use long or short names in any mix, as on Windows.
class FakeFileSystem final : public FileSystem {
  public:
    // A drive with a volume (type 3 fixed unless given), or a letter whose
    // drive type is something else (2 removable with no medium, ...).
    void AddDrive(const std::string& letter, unsigned type = 3);
    void RemoveDrive(const std::string& letter);

    // Adds a folder (and any missing parents, with their own names as short
    // names). `shortName` empty: the folder's name is its own short name.
    void AddFolder(const std::string& longPath, const std::string& shortName = {},
                   unsigned attributes = kAttributeDirectory);
    void AddFile(const std::string& longPath, const std::string& contents = {},
                 const std::string& shortName = {}, unsigned attributes = 0);
    void Remove(const std::string& path);

    // Failures: a file that cannot be read, that refuses to be written or
    // replaced (read-only, or held open without sharing), a folder in which
    // nothing can be created, and writes that stop after `bytes` bytes (a full disk).
    void SetUnreadable(const std::string& path);
    void SetReadOnly(const std::string& path);
    void SetDiskFullAfter(std::size_t bytes) { diskFullAfter_ = bytes; }

    bool Exists(const std::string& path) const;
    std::string Contents(const std::string& path) const;

    // Every directory query asked, in order.
    const std::vector<std::string>& Queries() const { return queries_; }
    void ClearQueries() { queries_.clear(); }

    std::string FindFirstName(const std::string& path, unsigned mask) override;
    unsigned ShortPathName(const std::string& path, char* buffer, unsigned size) override;
    unsigned DriveType(const std::string& drive) override;
    ReadStatus ReadWholeFile(const std::string& path, std::string& contents) override;
    bool WriteNewFile(const std::string& path, const std::string& contents) override;
    bool ReplaceWith(const std::string& from, const std::string& to) override;
    bool DeleteFileAt(const std::string& path) override;
    bool CreateFolder(const std::string& path) override;
    // The legacy code page here is Latin-1.
    std::string FromLegacyCodePage(const std::string& bytes) override;

  private:
    struct Node {
        std::string longName;
        std::string shortName;
        unsigned attributes = 0;
        bool folder = false;
        bool unreadable = false;
        bool readOnly = false;
        std::string contents;
    };

    // The key of the node a path names (lower-case long path), if any.
    std::optional<std::string> Resolve(const std::string& path) const;
    std::optional<std::string> ResolveParent(const std::string& path, std::string& lastName) const;
    std::optional<std::string> FindChild(const std::string& parentKey,
                                         const std::string& name) const;
    void AddNode(const std::string& longPath, const std::string& shortName, unsigned attributes,
                 bool folder, const std::string& contents);

    std::map<std::string, unsigned> driveTypes_;  // "e:" -> type
    std::map<std::string, Node> nodes_;           // "c:\program files" -> node
    std::vector<std::string> queries_;
    std::optional<std::size_t> diskFullAfter_;
};

}  // namespace kestrova::testing
