#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/FileSystem.h"

namespace kestrova {

// The short (8.3) form of a path, or the empty text when the path does not
// exist or its short form does not fit the 164-character buffer.
std::string GetShortPath(FileSystem& fileSystem, const std::string& strFileName);

// The long form of a path: the drive part is kept and every later component
// is replaced by its long name, one directory query per component. Empty when
// any component is missing, so a partly converted path is never returned,
// and for a text that names no folder below a drive root ("E:", "E:\", "E:x").
std::string GetLongName(FileSystem& fileSystem, const std::string& psShortName);

// A file (normal, hidden or system; not a folder) is at the path.
bool FileExists(FileSystem& fileSystem, const std::string& path);

// A folder or file is at the path; a bare "E:" asks whether the drive is there.
bool DirExists(FileSystem& fileSystem, const std::string& path);

// Whether the drive letter ("E:") leads to the stored folder right now, as a
// mapping onto it does: the two are the same folder on the disk. A letter that
// is there but shows another folder (another program's mapping, a disk) does
// not. A network folder is compared without the quotes it is stored in.
bool DriveLeadsTo(FileSystem& fileSystem, const std::string& letter,
                  const std::string& storedFolder);

// A file system that asks the one it wraps each directory query (a path and
// a mask) once, for as long as it lives, and passes everything else on. One
// read of the store lives with it: its rows ask for the same folders again
// and again (a shared parent, a folder on two letters), and nothing changes
// on the disk under one read.
class RememberedNames final : public FileSystem {
  public:
    explicit RememberedNames(FileSystem& fileSystem) : fileSystem_(fileSystem) {}

    std::string FindFirstName(const std::string& path, unsigned mask) override;
    unsigned ShortPathName(const std::string& path, char* buffer, unsigned size) override {
        return fileSystem_.ShortPathName(path, buffer, size);
    }
    unsigned DriveType(const std::string& drive) override { return fileSystem_.DriveType(drive); }
    ReadStatus ReadWholeFile(const std::string& path, std::string& contents) override {
        return fileSystem_.ReadWholeFile(path, contents);
    }
    bool WriteNewFile(const std::string& path, const std::string& contents) override {
        return fileSystem_.WriteNewFile(path, contents);
    }
    bool ReplaceWith(const std::string& from, const std::string& to) override {
        return fileSystem_.ReplaceWith(from, to);
    }
    bool DeleteFileAt(const std::string& path) override { return fileSystem_.DeleteFileAt(path); }
    bool CreateFolder(const std::string& path) override { return fileSystem_.CreateFolder(path); }
    bool IsReadOnly(const std::string& path) override { return fileSystem_.IsReadOnly(path); }
    std::string FailureReason() override { return fileSystem_.FailureReason(); }
    std::string ModifiedText(const std::string& path) override {
        return fileSystem_.ModifiedText(path);
    }
    std::string FolderIdentity(const std::string& path) override {
        return fileSystem_.FolderIdentity(path);
    }
    std::string FromLegacyCodePage(const std::string& bytes) override {
        return fileSystem_.FromLegacyCodePage(bytes);
    }

  private:
    FileSystem& fileSystem_;
    std::map<std::pair<std::string, unsigned>, std::string> answers_;
};

}  // namespace kestrova
