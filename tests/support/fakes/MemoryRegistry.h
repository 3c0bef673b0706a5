#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/RegistryApi.h"

namespace kestrova::testing {

// A registry in memory for the windows' logic (the registry class is tested on the real one):
// keys by path, typed values, handles with their access rights; counts open keys, fails an open.
class MemoryRegistry final : public RegistryApi {
  public:
    // The next OpenKey fails with `code`, once.
    void FailNextOpen(RegistryResult code) { openFailure_ = code; }
    // Opening that key with a right to change it is denied, as when its access list grants reading.
    void DenyWrite(RegistryHandle root, const std::string& path) {
        denied_.insert(PathOf(root, path.c_str()));
    }
    std::size_t KeysOpenNow() const { return open_.size(); }

    RegistryResult OpenKey(RegistryHandle key, const char* subKey, std::uint32_t access,
                           RegistryHandle* result) override {
        *result = 0;
        if (const RegistryResult code = std::exchange(openFailure_, kErrorSuccess); code != 0) {
            return code;
        }
        return keys_.contains(PathOf(key, subKey)) ? Open(key, subKey, access, result)
                                                   : kErrorFileNotFound;
    }
    RegistryResult CreateKey(RegistryHandle key, const char* subKey, const char* /*keyClass*/,
                             std::uint32_t /*options*/, std::uint32_t access,
                             const RegistrySecurityAttributes* /*securityAttributes*/,
                             RegistryHandle* result, std::uint32_t* /*disposition*/) override {
        keys_[PathOf(key, subKey)];
        return Open(key, subKey, access, result);
    }
    RegistryResult QueryValue(RegistryHandle key, const char* valueName, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) override {
        if (!Allowed(key, kKeyQueryValue)) {
            return kErrorAccessDenied;
        }
        const Values& values = keys_[open_.at(key).first];
        if (!values.contains(valueName)) {
            return kErrorFileNotFound;
        }
        const auto& [storedType, bytes] = values.at(valueName);
        const bool fits = *size >= bytes.size();
        *type = storedType;
        *size = static_cast<std::uint32_t>(bytes.size());
        std::copy_n(bytes.begin(), fits ? bytes.size() : 0, data);
        return fits ? kErrorSuccess : kErrorMoreData;
    }
    RegistryResult SetValue(RegistryHandle key, const char* valueName, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) override {
        if (!Allowed(key, kKeySetValue)) {
            return kErrorAccessDenied;
        }
        keys_[open_.at(key).first][valueName] = {type, {data, data + size}};
        return kErrorSuccess;
    }
    RegistryResult DeleteValue(RegistryHandle key, const char* valueName) override {
        return !Allowed(key, kKeySetValue)                        ? kErrorAccessDenied
               : keys_[open_.at(key).first].erase(valueName) != 0 ? kErrorSuccess
                                                                  : kErrorFileNotFound;
    }
    RegistryResult CloseKey(RegistryHandle key) override {
        return open_.erase(key) != 0 ? kErrorSuccess : kErrorInvalidHandle;
    }
    // What the windows never ask for.
    RegistryResult DeleteKey(RegistryHandle /*key*/, const char* /*subKey*/) override {
        return kErrorAccessDenied;
    }
    RegistryResult EnumKey(RegistryHandle /*key*/, std::uint32_t /*index*/, char* /*name*/,
                           std::uint32_t* /*nameSize*/, char* /*keyClass*/,
                           std::uint32_t* /*classSize*/, RegistryFileTime* /*time*/) override {
        return kErrorNoMoreItems;
    }
    RegistryResult EnumValue(RegistryHandle /*key*/, std::uint32_t /*index*/, char* /*name*/,
                             std::uint32_t* /*nameSize*/, std::uint32_t* /*type*/,
                             std::uint8_t* /*data*/, std::uint32_t* /*dataSize*/) override {
        return kErrorNoMoreItems;
    }
    RegistryResult ConnectRegistry(const char* /*computer*/, RegistryHandle key,
                                   RegistryHandle* result) override {
        *result = key;
        return kErrorSuccess;
    }
    std::uint32_t ExpandEnvironmentText(const char* /*source*/, char* /*destination*/,
                                        std::uint32_t /*size*/) override {
        return 0;  // failed: the text is kept as it is
    }

  private:
    // What KEY_ALL_ACCESS adds to KEY_READ.
    static constexpr std::uint32_t kWriteRights = kKeyAllAccess & ~kKeyRead;

    // The full path of a subkey of an open key or a root.
    std::string PathOf(RegistryHandle key, const char* subKey) const {
        const std::string base = open_.contains(key) ? open_.at(key).first : std::to_string(key);
        return *subKey == '\0' ? base : base + "\\" + subKey;
    }
    bool Allowed(RegistryHandle key, std::uint32_t right) const {
        return open_.contains(key) && (open_.at(key).second & right) == right;
    }
    RegistryResult Open(RegistryHandle key, const char* subKey, std::uint32_t access,
                        RegistryHandle* result) {
        const std::string path = PathOf(key, subKey);
        if (denied_.contains(path) && (access & kWriteRights) != 0) {
            return kErrorAccessDenied;
        }
        *result = nextHandle_ += 4;
        open_[*result] = {path, access};
        return kErrorSuccess;
    }

    using Values = std::map<std::string, std::pair<std::uint32_t, std::vector<std::uint8_t>>>;
    std::map<std::string, Values> keys_;                                    // by path
    std::map<RegistryHandle, std::pair<std::string, std::uint32_t>> open_;  // path and access
    std::set<std::string> denied_;
    RegistryResult openFailure_ = kErrorSuccess;
    RegistryHandle nextHandle_ = 0x100;
};

}  // namespace kestrova::testing
