#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/RegistryApi.h"

namespace kestrova::testing {

// A registry in memory for the windows' logic: keys by path (created on
// demand), values with their type and exact bytes, a
// short buffer answered with ERROR_MORE_DATA and the size needed, handles
// carrying their access rights. It counts the keys open, fails a call on
// request and can refuse writing to a key. The registry class itself is
// tested against the real registry.
class MemoryRegistry final : public RegistryApi {
  public:
    enum class Call { OpenKey, SetValue };

    // The next call of that kind fails with `code`, once.
    void FailCall(Call call, RegistryResult code) { failures_[call] = code; }
    // Opening that key with any right to change it fails with
    // ERROR_ACCESS_DENIED, as when its access list grants reading only.
    void DenyWrite(RegistryHandle root, const std::string& path) {
        denied_.insert(PathOf(root, path.c_str()));
    }
    std::size_t KeysOpenNow() const { return open_.size(); }

    RegistryResult OpenKey(RegistryHandle key, const char* subKey, std::uint32_t access,
                           RegistryHandle* result) override {
        *result = 0;
        if (failures_.contains(Call::OpenKey)) {
            return failures_.extract(Call::OpenKey).mapped();
        }
        return keys_.contains(PathOf(key, subKey)) || Name(subKey).empty()
                   ? Open(key, subKey, access, result)
                   : kErrorFileNotFound;
    }
    RegistryResult CreateKey(RegistryHandle key, const char* subKey, const char* /*keyClass*/,
                             std::uint32_t /*options*/, std::uint32_t access,
                             const RegistrySecurityAttributes* /*securityAttributes*/,
                             RegistryHandle* result, std::uint32_t* /*disposition*/) override {
        const std::string path = PathOf(key, subKey);
        for (std::size_t end = path.find('\\'); end != std::string::npos;
             end = path.find('\\', end + 1)) {
            keys_[path.substr(0, end)];  // and the keys above it
        }
        keys_[path];
        return Open(key, subKey, access, result);
    }
    RegistryResult DeleteKey(RegistryHandle /*key*/, const char* /*subKey*/) override {
        return kErrorAccessDenied;
    }
    RegistryResult QueryValue(RegistryHandle key, const char* valueName, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) override {
        const auto values = keys_.find(PathOf(key, nullptr));
        if (!Allowed(key, kKeyQueryValue) || values == keys_.end() ||
            !values->second.contains(Name(valueName))) {
            return Allowed(key, kKeyQueryValue) ? kErrorFileNotFound : kErrorAccessDenied;
        }
        const auto& [storedType, bytes] = values->second.at(Name(valueName));
        const bool fits = data == nullptr || *size >= bytes.size();
        if (type != nullptr) {
            *type = storedType;
        }
        if (fits && data != nullptr) {
            std::copy(bytes.begin(), bytes.end(), data);
        }
        *size = static_cast<std::uint32_t>(bytes.size());
        return fits ? kErrorSuccess : kErrorMoreData;
    }
    RegistryResult SetValue(RegistryHandle key, const char* valueName, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) override {
        if (failures_.contains(Call::SetValue)) {
            return failures_.extract(Call::SetValue).mapped();
        }
        if (!Allowed(key, kKeySetValue)) {
            return kErrorAccessDenied;
        }
        keys_[PathOf(key, nullptr)][Name(valueName)] = {type, {data, data + size}};
        return kErrorSuccess;
    }
    RegistryResult DeleteValue(RegistryHandle key, const char* valueName) override {
        if (!Allowed(key, kKeySetValue)) {
            return kErrorAccessDenied;
        }
        return keys_[PathOf(key, nullptr)].erase(Name(valueName)) != 0 ? kErrorSuccess
                                                                       : kErrorFileNotFound;
    }
    RegistryResult EnumKey(RegistryHandle /*key*/, std::uint32_t /*index*/, char* /*name*/,
                           std::uint32_t* /*nameSize*/, char* /*keyClass*/,
                           std::uint32_t* /*classSize*/,
                           RegistryFileTime* /*lastWriteTime*/) override {
        return kErrorNoMoreItems;
    }
    RegistryResult EnumValue(RegistryHandle /*key*/, std::uint32_t /*index*/, char* /*name*/,
                             std::uint32_t* /*nameSize*/, std::uint32_t* /*type*/,
                             std::uint8_t* /*data*/, std::uint32_t* /*dataSize*/) override {
        return kErrorNoMoreItems;
    }
    RegistryResult ConnectRegistry(const char* /*computerName*/, RegistryHandle key,
                                   RegistryHandle* result) override {
        *result = key;
        return kErrorSuccess;
    }
    RegistryResult CloseKey(RegistryHandle key) override {
        return open_.erase(key) != 0 || IsRoot(key) ? kErrorSuccess : kErrorInvalidHandle;
    }
    std::uint32_t ExpandEnvironmentText(const char* source, char* destination,
                                        std::uint32_t size) override {
        const std::size_t needed = std::strlen(source) + 1;
        if (needed <= size) {
            std::memcpy(destination, source, needed);
        }
        return static_cast<std::uint32_t>(needed);
    }

  private:
    // What KEY_ALL_ACCESS adds to KEY_READ, GENERIC_WRITE and GENERIC_ALL.
    static constexpr std::uint32_t kWriteRights =
        (kKeyAllAccess & ~kKeyRead) | 0x40000000u | 0x10000000u;

    static std::string Name(const char* text) { return text != nullptr ? text : ""; }
    static bool IsRoot(RegistryHandle key) {
        return key >= WidenKey(kHkeyClassesRoot) && key <= WidenKey(kHkeyUsers);
    }
    // The full path of a subkey of an open key or a root ("" for the key itself).
    std::string PathOf(RegistryHandle key, const char* subKey) const {
        const std::string below = Name(subKey);
        const std::string base = IsRoot(key)           ? std::to_string(key)
                                 : open_.contains(key) ? open_.at(key).first
                                                       : "?";
        return below.empty() ? base : base + "\\" + below;
    }
    bool Allowed(RegistryHandle key, std::uint32_t right) const {
        return IsRoot(key) || (open_.contains(key) && (open_.at(key).second & right) == right);
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

    // Values by name: type and bytes.
    using Values = std::map<std::string, std::pair<std::uint32_t, std::vector<std::uint8_t>>>;
    std::map<std::string, Values> keys_;                                    // by path
    std::map<RegistryHandle, std::pair<std::string, std::uint32_t>> open_;  // path and access
    std::set<std::string> denied_;
    std::map<Call, RegistryResult> failures_;
    RegistryHandle nextHandle_ = 0x100;
};

}  // namespace kestrova::testing
