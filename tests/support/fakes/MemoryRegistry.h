#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
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
    enum class Call { OpenKey, QueryValue, SetValue, DeleteValue, EnumKey, EnumValue, Expand };

    MemoryRegistry() {
        // HKEY_CLASSES_ROOT to HKEY_USERS as the 64-bit API has them: sign-extended.
        for (std::int32_t root = kHkeyClassesRoot; root <= kHkeyUsers; ++root) {
            handles_[WidenKey(root)] = {&roots_[root - kHkeyClassesRoot], kRootAccess};
        }
    }

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
    std::size_t KeysOpenNow() const { return handles_.size() - 4; }

    RegistryResult OpenKey(RegistryHandle key, const char* subKey, std::uint32_t access,
                           RegistryHandle* result) override {
        return Open(Call::OpenKey, key, subKey, nullptr, access, result);
    }
    RegistryResult CreateKey(RegistryHandle key, const char* subKey, const char* keyClass,
                             std::uint32_t /*options*/, std::uint32_t access,
                             const RegistrySecurityAttributes* /*securityAttributes*/,
                             RegistryHandle* result, std::uint32_t* /*disposition*/) override {
        return Open(std::nullopt, key, subKey, keyClass != nullptr ? keyClass : "", access, result);
    }
    // Nothing here deletes keys.
    RegistryResult DeleteKey(RegistryHandle /*key*/, const char* /*subKey*/) override {
        return kErrorAccessDenied;
    }
    RegistryResult QueryValue(RegistryHandle key, const char* valueName, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) override {
        RegistryResult status = kErrorFileNotFound;
        const Value* value = Find(Begin(Call::QueryValue, key, kKeyQueryValue, status), valueName);
        return value != nullptr ? CopyData(*value, type, data, size) : status;
    }
    RegistryResult SetValue(RegistryHandle key, const char* valueName, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) override {
        RegistryResult status = kErrorSuccess;
        Key* open = Begin(Call::SetValue, key, kKeySetValue, status);
        if (open != nullptr) {
            Value* value = Find(open, valueName);
            if (value == nullptr) {
                value = &open->values.emplace_back(Value{valueName ? valueName : "", 0, {}});
            }
            *value = Value{value->name, type, std::vector<std::uint8_t>(data, data + size)};
        }
        return status;
    }
    RegistryResult DeleteValue(RegistryHandle key, const char* valueName) override {
        RegistryResult status = kErrorFileNotFound;
        Key* open = Begin(Call::DeleteValue, key, kKeySetValue, status);
        const Value* value = Find(open, valueName);
        if (value == nullptr) {
            return status;
        }
        open->values.erase(open->values.begin() + (value - open->values.data()));
        return kErrorSuccess;
    }
    RegistryResult EnumKey(RegistryHandle key, std::uint32_t index, char* name,
                           std::uint32_t* nameSize, char* keyClass, std::uint32_t* classSize,
                           RegistryFileTime* /*lastWriteTime*/) override {
        RegistryResult status = kErrorNoMoreItems;
        const Key* open = Begin(Call::EnumKey, key, kKeyEnumerateSubKeys, status);
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
        const Key* open = Begin(Call::EnumValue, key, kKeyQueryValue, status);
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
        const bool local = computerName == nullptr || *computerName == '\0';
        *result = local ? key : 0;
        return local ? kErrorSuccess : kErrorBadNetPath;
    }
    RegistryResult CloseKey(RegistryHandle key) override {
        const auto open = handles_.find(key);
        if (open == handles_.end()) {
            return kErrorInvalidHandle;
        }
        if (open->second.second != kRootAccess) {
            handles_.erase(open);
        }
        return kErrorSuccess;
    }
    // %NAME% gives the variable's value; an unknown name is left as it is.
    std::uint32_t ExpandEnvironmentText(const char* source, char* destination,
                                        std::uint32_t size) override {
        RegistryResult status = kErrorSuccess;
        if (Failing(Call::Expand, status)) {
            return 0;
        }
        std::string text = source;
        std::string expanded;
        for (std::size_t open = text.find('%'), close = 0;
             open != std::string::npos && (close = text.find('%', open + 1)) != std::string::npos;
             open = text.find('%')) {
            // NOLINTNEXTLINE(concurrency-mt-unsafe): the tests run on one thread
            const char* value = std::getenv(text.substr(open + 1, close - open - 1).c_str());
            expanded +=
                text.substr(0, open) + (value ? value : text.substr(open, close - open + 1));
            text.erase(0, close + 1);
        }
        expanded += text;
        CopyOut(expanded, destination, size);
        return static_cast<std::uint32_t>(expanded.size() + 1);
    }

  private:
    struct Value {
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    struct Key {
        std::string name, keyClass;
        std::map<std::string, std::unique_ptr<Key>> subkeys;  // by upper-case name
        std::vector<Value> values;                            // in the order first written
        bool denyWrite = false;
    };
    // The access of the root handles, which are never closed.
    static constexpr std::uint32_t kRootAccess = ~0u;
    // What KEY_ALL_ACCESS adds to KEY_READ, GENERIC_WRITE and GENERIC_ALL.
    static constexpr std::uint32_t kWriteRights =
        (kKeyAllAccess & ~kKeyRead) | 0x40000000u | 0x10000000u;

    static std::string UpperCase(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](char c) {
            return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        });
        return text;
    }
    // True, with `status` set, when the call is to fail now.
    bool Failing(Call call, RegistryResult& status) {
        const auto failure = failures_.find(call);
        if (failure == failures_.end() || failure->second.first-- > 0) {
            return false;
        }
        status = failure->second.second;
        failures_.erase(failure);
        return true;
    }
    // The key behind an open handle that holds `right`; null, with `status`
    // set, when the call fails instead.
    Key* Begin(std::optional<Call> call, RegistryHandle handle, std::uint32_t right,
               RegistryResult& status) {
        const auto open = handles_.find(handle);
        if (call && Failing(*call, status)) {
            return nullptr;
        }
        if (open == handles_.end() || (open->second.second & right) != right) {
            status = open == handles_.end() ? kErrorInvalidHandle : kErrorAccessDenied;
            return nullptr;
        }
        return open->second.first;
    }
    // The key `path` names below `from`, the missing ones created (the last
    // with `keyClass`) when there is a class; null when one is missing.
    static Key* Walk(Key* from, const std::string& path, const char* keyClass) {
        for (std::size_t start = 0, end = 0; from != nullptr && start < path.size();
             start = end + 1) {
            end = std::min(path.find('\\', start), path.size());
            const std::string name = path.substr(start, end - start);
            if (name.empty()) {
                continue;  // doubled and trailing backslashes are allowed
            }
            auto child = from->subkeys.find(UpperCase(name));
            if (child == from->subkeys.end()) {
                if (keyClass == nullptr) {
                    return nullptr;
                }
                child = from->subkeys.emplace(UpperCase(name), std::make_unique<Key>()).first;
                child->second->name = name;
                child->second->keyClass = end == path.size() ? keyClass : "";
            }
            from = child->second.get();
        }
        return from;
    }
    RegistryResult Open(std::optional<Call> call, RegistryHandle key, const char* subKey,
                        const char* keyClass, std::uint32_t access, RegistryHandle* result) {
        RegistryResult status = kErrorFileNotFound;
        *result = 0;
        Key* parent = Begin(call, key, 0, status);
        const std::string path = subKey != nullptr ? subKey : "";
        if (parent == nullptr || path.starts_with('\\')) {
            return parent == nullptr ? status : kErrorBadPathname;
        }
        Key* found = Walk(parent, path, keyClass);
        if (found == nullptr || (found->denyWrite && (access & kWriteRights) != 0)) {
            return found == nullptr ? kErrorFileNotFound : kErrorAccessDenied;
        }
        *result = nextHandle_ += 4;
        handles_[*result] = {found, access};
        return kErrorSuccess;
    }
    // The value of that name; null when there is none, or no key.
    Value* Find(Key* key, const char* name) {
        const std::string wanted = UpperCase(name != nullptr ? name : "");
        for (Value& value : key != nullptr ? key->values : none_) {
            if (UpperCase(value.name) == wanted) {
                return &value;
            }
        }
        return nullptr;
    }
    // Copies `text` and its NUL into a buffer of `size` characters, if it fits.
    static bool CopyOut(const std::string& text, char* buffer, std::uint32_t size) {
        if (text.size() >= size) {
            return false;
        }
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return true;
    }
    // The value's type and size, and its bytes when `data` has room for them.
    static RegistryResult CopyData(const Value& value, std::uint32_t* type, std::uint8_t* data,
                                   std::uint32_t* size) {
        const bool fits = data == nullptr || *size >= value.data.size();
        if (type != nullptr) {
            *type = value.type;
        }
        if (fits && data != nullptr) {
            std::copy(value.data.begin(), value.data.end(), data);
        }
        *size = static_cast<std::uint32_t>(value.data.size());
        return fits ? kErrorSuccess : kErrorMoreData;
    }

    Key roots_[4];
    std::vector<Value> none_;                                           // the values of no key
    std::map<RegistryHandle, std::pair<Key*, std::uint32_t>> handles_;  // + access
    RegistryHandle nextHandle_ = 0x100;
    std::map<Call, std::pair<std::uint32_t, RegistryResult>> failures_;  // skip and code
};

}  // namespace kestrova::testing
