#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/RegistryApi.h"

namespace kestrova::testing {

// A registry in memory with the real one's answers where the registry class
// depends on them: the predefined roots only as sign-extended 64-bit values;
// names compared without regard to case; a value holds exactly the bytes it
// was given; a short buffer gets ERROR_MORE_DATA and the size needed (a key's
// class too, in EnumKey); handles carry their access rights; a local
// connection is the handle passed in; %NAME% expands from the process
// environment. It counts the keys open and fails calls on request.
class MemoryRegistry final : public RegistryApi {
  public:
    enum class Call {
        OpenKey,
        CreateKey,
        DeleteKey,
        QueryValue,
        SetValue,
        DeleteValue,
        EnumKey,
        EnumValue,
        ConnectRegistry,
        CloseKey,
        ExpandEnvironmentText,
    };

    MemoryRegistry();

    // The next call of that kind after `skip` more of them fails with `code`
    // (0 from ExpandEnvironmentText), once.
    void FailCall(Call call, RegistryResult code, std::uint32_t skip = 0) {
        failures_[call] = {skip, code};
    }
    // Opening that key (created if missing) with any right to change it fails
    // with ERROR_ACCESS_DENIED, as when its access list grants reading only.
    void DenyWrite(RegistryHandle root, const std::string& path) {
        Walk(handles_.at(root).first, path, "")->denyWrite = true;
    }
    std::size_t KeysOpenNow() const { return handles_.size() - kRoots; }

    RegistryResult OpenKey(RegistryHandle key, const char* subKey, std::uint32_t access,
                           RegistryHandle* result) override {
        return Open(Call::OpenKey, key, subKey, nullptr, access, result);
    }
    RegistryResult CreateKey(RegistryHandle key, const char* subKey, const char* keyClass,
                             std::uint32_t /*options*/, std::uint32_t access,
                             const RegistrySecurityAttributes* /*securityAttributes*/,
                             RegistryHandle* result, std::uint32_t* /*disposition*/) override {
        return Open(Call::CreateKey, key, subKey, keyClass != nullptr ? keyClass : "", access,
                    result);
    }
    // Nothing here deletes keys.
    RegistryResult DeleteKey(RegistryHandle /*key*/, const char* /*subKey*/) override {
        return kErrorAccessDenied;
    }
    RegistryResult QueryValue(RegistryHandle key, const char* valueName, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) override {
        RegistryResult status = kErrorFileNotFound;
        const Value* value =
            FindValue(Begin(Call::QueryValue, key, kKeyQueryValue, status).get(), valueName);
        return value != nullptr ? CopyData(*value, type, data, size) : status;
    }
    RegistryResult SetValue(RegistryHandle key, const char* valueName, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) override {
        RegistryResult status = kErrorSuccess;
        const auto open = Begin(Call::SetValue, key, kKeySetValue, status);
        if (open != nullptr) {
            Value* value = FindValue(open.get(), valueName);
            if (value == nullptr) {
                value = &open->values.emplace_back(Value{valueName ? valueName : "", 0, {}});
            }
            *value = Value{value->name, type, std::vector<std::uint8_t>(data, data + size)};
        }
        return status;
    }
    RegistryResult DeleteValue(RegistryHandle key, const char* valueName) override {
        RegistryResult status = kErrorFileNotFound;
        const auto open = Begin(Call::DeleteValue, key, kKeySetValue, status);
        const Value* value = FindValue(open.get(), valueName);
        if (value != nullptr) {
            open->values.erase(open->values.begin() + (value - open->values.data()));
        }
        return value != nullptr ? kErrorSuccess : status;
    }
    RegistryResult EnumKey(RegistryHandle key, std::uint32_t index, char* name,
                           std::uint32_t* nameSize, char* keyClass, std::uint32_t* classSize,
                           RegistryFileTime* /*lastWriteTime*/) override {
        RegistryResult status = kErrorNoMoreItems;
        const auto open = Begin(Call::EnumKey, key, kKeyEnumerateSubKeys, status);
        if (open == nullptr || index >= open->subkeys.size()) {
            return status;
        }
        const Key& subkey = *std::next(open->subkeys.begin(), index)->second;
        if (!CopyOut(subkey.name, name, *nameSize) ||
            (keyClass != nullptr && !CopyOut(subkey.keyClass, keyClass, *classSize))) {
            return kErrorMoreData;
        }
        *nameSize = static_cast<std::uint32_t>(subkey.name.size());
        return kErrorSuccess;
    }
    RegistryResult EnumValue(RegistryHandle key, std::uint32_t index, char* name,
                             std::uint32_t* nameSize, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* dataSize) override {
        RegistryResult status = kErrorNoMoreItems;
        const auto open = Begin(Call::EnumValue, key, kKeyQueryValue, status);
        if (open == nullptr || index >= open->values.size()) {
            return status;
        }
        const Value& value = open->values[index];
        if (!CopyOut(value.name, name, *nameSize)) {
            return kErrorMoreData;
        }
        *nameSize = static_cast<std::uint32_t>(value.name.size());
        return CopyData(value, type, data, dataSize);
    }
    // Only the local computer (no name) is reachable.
    RegistryResult ConnectRegistry(const char* computerName, RegistryHandle key,
                                   RegistryHandle* result) override {
        RegistryResult status = kErrorBadNetPath;
        const bool local = !Failing(Call::ConnectRegistry, status) &&
                           (computerName == nullptr || *computerName == '\0');
        *result = local ? key : 0;
        return local ? kErrorSuccess : status;
    }
    RegistryResult CloseKey(RegistryHandle key) override {
        RegistryResult status = kErrorInvalidHandle;
        if (Failing(Call::CloseKey, status) || !handles_.contains(key)) {
            return status;
        }
        if (handles_[key].second != kRootAccess) {
            handles_.erase(key);
        }
        return kErrorSuccess;
    }
    std::uint32_t ExpandEnvironmentText(const char* source, char* destination,
                                        std::uint32_t size) override;

  private:
    struct Value {
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    struct Key {
        std::string name;
        std::string keyClass;
        std::map<std::string, std::shared_ptr<Key>> subkeys;  // by upper-case name
        std::vector<Value> values;                            // in the order first written
        bool denyWrite = false;
    };
    static constexpr std::size_t kRoots = 4;
    // The access of the root handles, which are never closed.
    static constexpr std::uint32_t kRootAccess = ~0u;

    // True, with `status` set, when the call is to fail now.
    bool Failing(Call call, RegistryResult& status);
    // The key behind an open handle that holds `right`; null, with `status`
    // set, when the call fails instead.
    std::shared_ptr<Key> Begin(Call call, RegistryHandle handle, std::uint32_t right,
                               RegistryResult& status);
    // The key `path` names below `from`, the missing ones created (the last
    // with `keyClass`) when there is a class; null when one is missing.
    static std::shared_ptr<Key> Walk(std::shared_ptr<Key> from, const std::string& path,
                                     const char* keyClass);
    RegistryResult Open(Call call, RegistryHandle key, const char* subKey, const char* keyClass,
                        std::uint32_t access, RegistryHandle* result);
    // The value of that name; null when there is none, or no key.
    static Value* FindValue(Key* key, const char* name);
    // Copies `text` and its NUL into a buffer of `size` characters, if it fits.
    static bool CopyOut(const std::string& text, char* buffer, std::uint32_t size);
    // The value's type and size, and its bytes when `data` has room for them.
    static RegistryResult CopyData(const Value& value, std::uint32_t* type, std::uint8_t* data,
                                   std::uint32_t* size);

    std::map<RegistryHandle, std::pair<std::shared_ptr<Key>, std::uint32_t>> handles_;  // + access
    RegistryHandle nextHandle_ = 0x100;
    std::map<Call, std::pair<std::uint32_t, RegistryResult>> failures_;  // skip and code
};

}  // namespace kestrova::testing
