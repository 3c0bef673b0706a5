#pragma once

#include <cstdint>

namespace kestrova {

// A registry key handle as the 64-bit API holds it (an HKEY's bits).
using RegistryHandle = std::uintptr_t;

// A Win32 result code (LONG), as the registry functions return it.
using RegistryResult = std::int32_t;

inline constexpr RegistryResult kErrorSuccess = 0;
inline constexpr RegistryResult kErrorFileNotFound = 2;
inline constexpr RegistryResult kErrorAccessDenied = 5;
inline constexpr RegistryResult kErrorInvalidHandle = 6;
inline constexpr RegistryResult kErrorBadNetPath = 53;
inline constexpr RegistryResult kErrorInvalidParameter = 87;
inline constexpr RegistryResult kErrorBadPathname = 161;
inline constexpr RegistryResult kErrorMoreData = 234;
inline constexpr RegistryResult kErrorNoMoreItems = 259;
inline constexpr RegistryResult kErrorNoAccess = 998;
inline constexpr RegistryResult kErrorKeyDeleted = 1018;

// Value types.
inline constexpr std::int32_t kRegNone = 0;
inline constexpr std::int32_t kRegSz = 1;
inline constexpr std::int32_t kRegExpandSz = 2;
inline constexpr std::int32_t kRegBinary = 3;
inline constexpr std::int32_t kRegDword = 4;
inline constexpr std::int32_t kRegMultiSz = 7;
inline constexpr std::int32_t kRegQword = 11;

// Access rights.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// RegCreateKeyExA's dispositions.
inline constexpr std::uint32_t kRegCreatedNewKey = 1;
inline constexpr std::uint32_t kRegOpenedExistingKey = 2;

// The predefined root keys as 32-bit values, the form callers store them in.
inline constexpr std::int32_t kHkeyClassesRoot = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t kHkeyCurrentUser = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t kHkeyLocalMachine = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t kHkeyUsers = static_cast<std::int32_t>(0x80000003u);

// A key kept in 32 bits, widened for the 64-bit API. The Windows headers
// define the predefined keys as sign-extended LONGs (HKEY_CURRENT_USER is
// 0xFFFFFFFF80000001 on Win64), and open key handles fit in 32 bits, so
// sign extension gives the handle back for both.
constexpr RegistryHandle WidenKey(std::int32_t key) {
    return static_cast<RegistryHandle>(static_cast<std::intptr_t>(key));
}

// FILETIME.
struct RegistryFileTime {
    std::uint32_t lowDateTime = 0;
    std::uint32_t highDateTime = 0;
};

// SECURITY_ATTRIBUTES.
struct RegistrySecurityAttributes {
    std::uint32_t length = 0;
    void* securityDescriptor = nullptr;
    std::int32_t inheritHandle = 0;
};

// The ANSI registry functions of advapi32 and ExpandEnvironmentStringsA, one
// method each, with the same arguments and result codes. Names are
// NUL-terminated 8-bit text in the ANSI code page; a null or empty value name
// is the key's default value. Every buffer comes with its size.
class RegistryApi {
  public:
    virtual ~RegistryApi() = default;

    // RegOpenKeyExA. `result` receives the new handle, or 0 on failure.
    virtual RegistryResult OpenKey(RegistryHandle key, const char* subKey, std::uint32_t access,
                                   RegistryHandle* result) = 0;

    // RegCreateKeyExA (reserved 0). `disposition` may be null.
    virtual RegistryResult CreateKey(RegistryHandle key, const char* subKey, const char* keyClass,
                                     std::uint32_t options, std::uint32_t access,
                                     const RegistrySecurityAttributes* securityAttributes,
                                     RegistryHandle* result, std::uint32_t* disposition) = 0;

    // RegDeleteKeyA: the key must have no subkeys.
    virtual RegistryResult DeleteKey(RegistryHandle key, const char* subKey) = 0;

    // RegQueryValueExA. `size` holds the buffer's size in bytes and receives
    // the data's; ERROR_MORE_DATA reports the size needed.
    virtual RegistryResult QueryValue(RegistryHandle key, const char* valueName,
                                      std::uint32_t* type, std::uint8_t* data,
                                      std::uint32_t* size) = 0;

    // RegSetValueExA (reserved 0).
    virtual RegistryResult SetValue(RegistryHandle key, const char* valueName, std::uint32_t type,
                                    const std::uint8_t* data, std::uint32_t size) = 0;

    // RegDeleteValueA.
    virtual RegistryResult DeleteValue(RegistryHandle key, const char* valueName) = 0;

    // RegEnumKeyExA (reserved null). Sizes are in characters, NUL included
    // on the way in and left out on the way back.
    virtual RegistryResult EnumKey(RegistryHandle key, std::uint32_t index, char* name,
                                   std::uint32_t* nameSize, char* keyClass,
                                   std::uint32_t* classSize, RegistryFileTime* lastWriteTime) = 0;

    // RegEnumValueA (reserved null).
    virtual RegistryResult EnumValue(RegistryHandle key, std::uint32_t index, char* name,
                                     std::uint32_t* nameSize, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* dataSize) = 0;

    // RegConnectRegistryA. A null computer name is the local machine.
    virtual RegistryResult ConnectRegistry(const char* computerName, RegistryHandle key,
                                           RegistryHandle* result) = 0;

    // RegCloseKey.
    virtual RegistryResult CloseKey(RegistryHandle key) = 0;

    // ExpandEnvironmentStringsA: the characters the expanded text needs, its
    // NUL included (more than `size` when the buffer is too small); 0 on failure.
    virtual std::uint32_t ExpandEnvironmentText(const char* source, char* destination,
                                                std::uint32_t size) = 0;
};

}  // namespace kestrova
