#include "ui/AboutForm.h"

#include <array>

namespace kestrova {

namespace {

// Reading is all this needs, and all a standard user may do under
// HKEY_LOCAL_MACHINE.
constexpr std::uint32_t kKeyValueAccess = kKeyRead;
constexpr std::uint32_t kValueBufferSize = 1024;

}  // namespace

std::string VersionText(unsigned major, unsigned minor, unsigned revision) {
    return "Version " + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision);
}

bool GetKeyValue(RegistryApi& registry, std::int32_t KeyRoot, const std::string& Keyname,
                 const std::string& SubKeyRef, std::string& KeyVal) {
    KeyVal.clear();
    RegistryHandle key = 0;
    if (registry.OpenKey(WidenKey(KeyRoot), Keyname.c_str(), kKeyValueAccess, &key) !=
        kErrorSuccess) {
        return false;
    }
    std::array<std::uint8_t, kValueBufferSize> buffer{};
    std::uint32_t size = kValueBufferSize;
    std::uint32_t type = 0;
    const RegistryResult result =
        registry.QueryValue(key, SubKeyRef.c_str(), &type, buffer.data(), &size);
    registry.CloseKey(key);
    if (result != kErrorSuccess || type != static_cast<std::uint32_t>(kRegSz) ||
        size > kValueBufferSize) {
        return false;
    }
    std::string text(reinterpret_cast<const char*>(buffer.data()), size);
    if (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    KeyVal = text;
    return true;
}

void StartSysInfo(RegistryApi& registry, FileSystem& fileSystem, ProcessRunner& processes,
                  const std::function<void(const std::string&, int)>& showMessage) {
    std::string path;
    if (GetKeyValue(registry, kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                    "PATH", path)) {
        if (processes.Start(path, WindowStyle::Normal) != 0) {
            return;
        }
    } else if (GetKeyValue(registry, kHkeyLocalMachine,
                           "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", path)) {
        const std::string program = path + "\\MSINFO32.EXE";
        if (!fileSystem.FindFirstName(program, 0).empty() &&
            processes.Start(program, WindowStyle::Normal) != 0) {
            return;
        }
    }
    showMessage("System Information Is Unavailable At This Time", 0);
}

}  // namespace kestrova
