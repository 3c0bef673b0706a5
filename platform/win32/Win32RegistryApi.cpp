#include "platform/win32/Win32RegistryApi.h"

#include <windows.h>

namespace kestrova {

static_assert(kErrorSuccess == ERROR_SUCCESS && kErrorFileNotFound == ERROR_FILE_NOT_FOUND &&
              kErrorAccessDenied == ERROR_ACCESS_DENIED &&
              kErrorInvalidHandle == ERROR_INVALID_HANDLE &&
              kErrorBadNetPath == ERROR_BAD_NETPATH &&
              kErrorInvalidParameter == ERROR_INVALID_PARAMETER &&
              kErrorBadPathname == ERROR_BAD_PATHNAME && kErrorMoreData == ERROR_MORE_DATA &&
              kErrorNoMoreItems == ERROR_NO_MORE_ITEMS && kErrorNoAccess == ERROR_NOACCESS &&
              kErrorKeyDeleted == ERROR_KEY_DELETED);
static_assert(kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ && kRegBinary == REG_BINARY &&
              kRegDword == REG_DWORD && kRegMultiSz == REG_MULTI_SZ && kRegQword == REG_QWORD);
static_assert(kKeyQueryValue == KEY_QUERY_VALUE && kKeySetValue == KEY_SET_VALUE &&
              kKeyCreateSubKey == KEY_CREATE_SUB_KEY &&
              kKeyEnumerateSubKeys == KEY_ENUMERATE_SUB_KEYS && kKeyRead == KEY_READ &&
              kKeyWrite == KEY_WRITE && kKeyAllAccess == KEY_ALL_ACCESS);
static_assert(kRegCreatedNewKey == REG_CREATED_NEW_KEY &&
              kRegOpenedExistingKey == REG_OPENED_EXISTING_KEY);
static_assert(sizeof(RegistryHandle) == sizeof(HKEY));

namespace {

HKEY ToHkey(RegistryHandle key) {
    return reinterpret_cast<HKEY>(key);
}
RegistryHandle FromHkey(HKEY key) {
    return reinterpret_cast<RegistryHandle>(key);
}

// The API's DWORD in/out sizes are unsigned long; ours are uint32_t.
class DwordInOut {
  public:
    explicit DwordInOut(std::uint32_t* value) : value_(value), dword_(value ? *value : 0) {}
    ~DwordInOut() {
        if (value_ != nullptr) {
            *value_ = static_cast<std::uint32_t>(dword_);
        }
    }
    DwordInOut(const DwordInOut&) = delete;
    DwordInOut& operator=(const DwordInOut&) = delete;

    DWORD* Get() { return value_ != nullptr ? &dword_ : nullptr; }

  private:
    std::uint32_t* value_;
    DWORD dword_;
};

}  // namespace

RegistryResult Win32RegistryApi::OpenKey(RegistryHandle key, const char* subKey,
                                         std::uint32_t access, RegistryHandle* result) {
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(ToHkey(key), subKey, 0, access, &opened);
    if (result != nullptr) {
        *result = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
    }
    return status;
}

RegistryResult Win32RegistryApi::CreateKey(RegistryHandle key, const char* subKey,
                                           const char* keyClass, std::uint32_t options,
                                           std::uint32_t access,
                                           const RegistrySecurityAttributes* securityAttributes,
                                           RegistryHandle* result, std::uint32_t* disposition) {
    SECURITY_ATTRIBUTES attributes{};
    if (securityAttributes != nullptr) {
        attributes.nLength = securityAttributes->length;
        attributes.lpSecurityDescriptor = securityAttributes->securityDescriptor;
        attributes.bInheritHandle = securityAttributes->inheritHandle;
    }
    HKEY created = nullptr;
    DwordInOut createdOrOpened(disposition);
    // The API takes the class as a writable string although it only reads it.
    const LONG status = RegCreateKeyExA(
        ToHkey(key), subKey, 0, const_cast<char*>(keyClass), options, access,
        securityAttributes != nullptr ? &attributes : nullptr, &created, createdOrOpened.Get());
    if (result != nullptr) {
        *result = status == ERROR_SUCCESS ? FromHkey(created) : 0;
    }
    return status;
}

RegistryResult Win32RegistryApi::DeleteKey(RegistryHandle key, const char* subKey) {
    return RegDeleteKeyA(ToHkey(key), subKey);
}

RegistryResult Win32RegistryApi::QueryValue(RegistryHandle key, const char* valueName,
                                            std::uint32_t* type, std::uint8_t* data,
                                            std::uint32_t* size) {
    DwordInOut valueType(type);
    DwordInOut dataSize(size);
    return RegQueryValueExA(ToHkey(key), valueName, nullptr, valueType.Get(), data, dataSize.Get());
}

RegistryResult Win32RegistryApi::SetValue(RegistryHandle key, const char* valueName,
                                          std::uint32_t type, const std::uint8_t* data,
                                          std::uint32_t size) {
    return RegSetValueExA(ToHkey(key), valueName, 0, type, data, size);
}

RegistryResult Win32RegistryApi::DeleteValue(RegistryHandle key, const char* valueName) {
    return RegDeleteValueA(ToHkey(key), valueName);
}

RegistryResult Win32RegistryApi::EnumKey(RegistryHandle key, std::uint32_t index, char* name,
                                         std::uint32_t* nameSize, char* keyClass,
                                         std::uint32_t* classSize,
                                         RegistryFileTime* lastWriteTime) {
    DwordInOut nameLength(nameSize);
    DwordInOut classLength(classSize);
    FILETIME written{};
    const LONG status = RegEnumKeyExA(ToHkey(key), index, name, nameLength.Get(), nullptr, keyClass,
                                      classLength.Get(), &written);
    if (lastWriteTime != nullptr) {
        lastWriteTime->lowDateTime = written.dwLowDateTime;
        lastWriteTime->highDateTime = written.dwHighDateTime;
    }
    return status;
}

RegistryResult Win32RegistryApi::EnumValue(RegistryHandle key, std::uint32_t index, char* name,
                                           std::uint32_t* nameSize, std::uint32_t* type,
                                           std::uint8_t* data, std::uint32_t* dataSize) {
    DwordInOut nameLength(nameSize);
    DwordInOut valueType(type);
    DwordInOut dataLength(dataSize);
    return RegEnumValueA(ToHkey(key), index, name, nameLength.Get(), nullptr, valueType.Get(), data,
                         dataLength.Get());
}

RegistryResult Win32RegistryApi::ConnectRegistry(const char* computerName, RegistryHandle key,
                                                 RegistryHandle* result) {
    HKEY connected = nullptr;
    const LONG status = RegConnectRegistryA(computerName, ToHkey(key), &connected);
    if (result != nullptr) {
        *result = status == ERROR_SUCCESS ? FromHkey(connected) : 0;
    }
    return status;
}

RegistryResult Win32RegistryApi::CloseKey(RegistryHandle key) {
    return RegCloseKey(ToHkey(key));
}

std::uint32_t Win32RegistryApi::ExpandEnvironmentText(const char* source, char* destination,
                                                      std::uint32_t size) {
    return ExpandEnvironmentStringsA(source, destination, size);
}

}  // namespace kestrova
