#pragma once

#include <cstdint>

#include "platform/registry/RegistryApi.h"

namespace kestrova {

// The registry interface on advapi32's ANSI functions and kernel32's
// ExpandEnvironmentStringsA.
class Win32RegistryApi final : public RegistryApi {
  public:
    RegistryResult OpenKey(RegistryHandle key, const char* subKey, std::uint32_t access,
                           RegistryHandle* result) override;
    RegistryResult CreateKey(RegistryHandle key, const char* subKey, const char* keyClass,
                             std::uint32_t options, std::uint32_t access,
                             const RegistrySecurityAttributes* securityAttributes,
                             RegistryHandle* result, std::uint32_t* disposition) override;
    RegistryResult DeleteKey(RegistryHandle key, const char* subKey) override;
    RegistryResult QueryValue(RegistryHandle key, const char* valueName, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) override;
    RegistryResult SetValue(RegistryHandle key, const char* valueName, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) override;
    RegistryResult DeleteValue(RegistryHandle key, const char* valueName) override;
    RegistryResult EnumKey(RegistryHandle key, std::uint32_t index, char* name,
                           std::uint32_t* nameSize, char* keyClass, std::uint32_t* classSize,
                           RegistryFileTime* lastWriteTime) override;
    RegistryResult EnumValue(RegistryHandle key, std::uint32_t index, char* name,
                             std::uint32_t* nameSize, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* dataSize) override;
    RegistryResult ConnectRegistry(const char* computerName, RegistryHandle key,
                                   RegistryHandle* result) override;
    RegistryResult CloseKey(RegistryHandle key) override;
    std::uint32_t ExpandEnvironmentText(const char* source, char* destination,
                                        std::uint32_t size) override;
};

}  // namespace kestrova
