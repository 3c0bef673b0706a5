#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace kestrova {

// The file-system services on the ANSI Win32 API.
class Win32FileSystem : public FileSystem {
  public:
    std::string FindFirstName(const std::string& path, unsigned mask) override;
    unsigned ShortPathName(const std::string& path, char* buffer, unsigned size) override;
    unsigned DriveType(const std::string& drive) override;
    ReadStatus ReadWholeFile(const std::string& path, std::string& contents) override;
    bool WriteNewFile(const std::string& path, const std::string& contents) override;
    bool ReplaceWith(const std::string& from, const std::string& to) override;
    bool DeleteFileAt(const std::string& path) override;
    bool CreateFolder(const std::string& path) override;
    bool IsReadOnly(const std::string& path) override;
    std::string FailureReason() override;
    std::string ModifiedText(const std::string& path) override;
    std::string FolderIdentity(const std::string& path) override;
    std::string FromLegacyCodePage(const std::string& bytes) override;

  private:
    // Keeps the system's error code of the call that has just failed.
    bool Failed();

    unsigned long lastError_ = 0;
};

// The folder of the running executable, without a trailing backslash except
// at a drive root.
std::string ProgramFolder();

}  // namespace kestrova
