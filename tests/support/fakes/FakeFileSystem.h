#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace kestrova::testing {

// An in-memory disk with drive letters, 8.3 names, attributes and a real disk's failures; names
// compare without case, and a path may mix long and short names, as on Windows.
class FakeFileSystem final : public FileSystem {
  public:
    // A drive with a volume (type 3, fixed, unless given).
    void AddDrive(const std::string& drive, unsigned type = 3) { drives_[Key(drive)].first = type; }
    // A drive that leads to a folder, as subst makes one.
    void MapDrive(const std::string& letter, const std::string& folder) {
        drives_[Key(letter)] = {3, folder};
    }
    void RemoveDrive(const std::string& letter) { drives_.erase(Key(letter)); }
    // A folder or file and any missing parents; the short name is the name unless given.
    void AddFolder(const std::string& path, const std::string& shortName = {},
                   unsigned attributes = kAttributeDirectory) {
        Add(path, shortName, attributes | kAttributeDirectory, {});
    }
    void AddFile(const std::string& path, const std::string& contents = {},
                 const std::string& shortName = {}, unsigned attributes = 0) {
        Add(path, shortName, attributes, contents);
    }
    void Remove(const std::string& path);
    // A file that cannot be read; a file or folder that refuses writes; a full disk after `bytes`.
    void SetUnreadable(const std::string& path) { Find(path)->unreadable = true; }
    void SetReadOnly(const std::string& path) { Find(path)->readOnly = true; }
    void SetDiskFullAfter(std::size_t bytes) { diskFullAfter_ = bytes; }

    bool Exists(const std::string& path) const { return Resolve(path).has_value(); }
    std::string Contents(const std::string& path);
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
    bool IsReadOnly(const std::string& path) override;
    std::string FailureReason() override { return reason_; }
    // Every file was last written at the same moment here.
    std::string ModifiedText(const std::string& path) override {
        return Exists(path) ? "Monday, 7 December 2026 09:30" : "";
    }
    std::string FolderIdentity(const std::string& path) override;
    // The legacy code page here is Latin-1.
    std::string FromLegacyCodePage(const std::string& bytes) override;

  private:
    struct Node {
        std::string name, shortName, contents;
        unsigned attributes = 0;
        bool unreadable = false, readOnly = false;
        bool Folder() const { return (attributes & kAttributeDirectory) != 0; }
    };
    static std::string Key(const std::string& text);
    // The key of the node a path names ("c:" for a drive's root), if any.
    std::optional<std::string> Resolve(const std::string& path) const;
    Node* Find(const std::string& path);
    // The key `path` is written under, unless its folder is missing or read-only or it is a folder
    // or a read-only or unreadable file.
    std::optional<std::string> Writable(const std::string& path);
    void Add(const std::string& path, const std::string& shortName, unsigned attributes,
             const std::string& contents);

    std::map<std::string, std::pair<unsigned, std::string>> drives_;  // "e:" -> type, mapped folder
    std::string reason_;
    std::map<std::string, Node> nodes_;  // "c:\program files" -> node
    std::vector<std::string> queries_;
    std::optional<std::size_t> diskFullAfter_;
};

}  // namespace kestrova::testing
