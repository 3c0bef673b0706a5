#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/registry/RegistryApi.h"

namespace kestrova {

// "Version " followed by major, minor and revision, joined by full stops.
std::string VersionText(unsigned major, unsigned minor, unsigned revision);

// Reads the string value `SubKeyRef` of the key `Keyname` below `KeyRoot`
// into `KeyVal`. False (and `KeyVal` empty) when the key or a string value
// cannot be read.
bool GetKeyValue(RegistryApi& registry, std::int32_t KeyRoot, const std::string& Keyname,
                 const std::string& SubKeyRef, std::string& KeyVal);

// Starts the System Information program: the path registered under
// MSINFO "PATH" first, else MSINFO32.EXE in the folder registered under
// "Shared Tools Location"; otherwise `showMessage` tells the user it is
// unavailable.
void StartSysInfo(RegistryApi& registry, FileSystem& fileSystem, ProcessRunner& processes,
                  const std::function<void(const std::string&, int)>& showMessage);

}  // namespace kestrova
