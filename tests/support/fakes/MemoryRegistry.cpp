#include "tests/support/fakes/MemoryRegistry.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kestrova::testing {

namespace {

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

std::uint32_t Length(const std::string& text) {
    return static_cast<std::uint32_t>(text.size());
}

// Copies a name and its NUL into a buffer the caller has checked is large enough.
void CopyName(const std::string& name, char* buffer) {
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
    for (const std::int32_t root :
         {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers}) {
        roots_[WidenKey(root)] = std::make_shared<Key>();
    }
}

void MemoryRegistry::AddReachableComputer(const std::string& name) {
    reachableComputers_.insert(UpperCase(name));
}

void MemoryRegistry::SetVariable(const std::string& name, const std::string& value) {
    environment_[UpperCase(name)] = {name, value};
}

void MemoryRegistry::FailCall(Call call, RegistryResult code, std::uint32_t skip) {
    failures_[call] = Failure{skip, code};
}

void MemoryRegistry::BeforeCall(Call call, std::function<void()> action) {
    actions_[call] = std::move(action);
}

std::size_t MemoryRegistry::CallCount(Call call) const {
    return static_cast<std::size_t>(
        std::count_if(calls_.begin(), calls_.end(),
                      [call](const CallRecord& record) { return record.call == call; }));
}

bool MemoryRegistry::Arrive(Call call, std::uint32_t bufferSize, RegistryResult& failure) {
    calls_.push_back(CallRecord{call, bufferSize});
    if (const auto action = actions_.find(call); action != actions_.end()) {
        const std::function<void()> run = action->second;
        run();
    }
    const auto pending = failures_.find(call);
    if (pending == failures_.end()) {
        return false;
    }
    if (pending->second.skip > 0) {
        --pending->second.skip;
        return false;
    }
    failure = pending->second.code;
    failures_.erase(pending);
    return true;
}

RegistryResult MemoryRegistry::Resolve(RegistryHandle handle, OpenHandle& resolved) const {
    if (const auto root = roots_.find(handle); root != roots_.end()) {
        resolved = OpenHandle{root->second, kKeyAllAccess};
        return kErrorSuccess;
    }
    const auto open = handles_.find(handle);
    if (open == handles_.end()) {
        return kErrorInvalidHandle;
    }
    if (open->second.key->deleted) {
        return kErrorKeyDeleted;
    }
    resolved = open->second;
    return kErrorSuccess;
}

RegistryResult MemoryRegistry::FindKey(RegistryHandle key, const char* subKey, OpenHandle& parent,
                                       std::shared_ptr<Key>& found) const {
    if (const RegistryResult resolved = Resolve(key, parent); resolved != kErrorSuccess) {
        return resolved;
    }
    std::vector<std::string> names;
    if (!SplitPath(subKey, names)) {
        return kErrorBadPathname;
    }
    found = parent.key;
    for (const std::string& name : names) {
        const auto child = found->subkeys.find(UpperCase(name));
        if (child == found->subkeys.end()) {
            return kErrorFileNotFound;
        }
        found = child->second;
    }
    return kErrorSuccess;
}

bool MemoryRegistry::SplitPath(const char* path, std::vector<std::string>& names) {
    names.clear();
    if (path == nullptr || *path == '\0') {
        return true;
    }
    if (*path == '\\') {
        return false;
    }
    std::string name;
    for (const char* c = path; *c != '\0'; ++c) {
        if (*c != '\\') {
            name += *c;
        } else if (!name.empty()) {
            names.push_back(name);
            name.clear();
        }
    }
    if (!name.empty()) {
        names.push_back(name);
    }
    return true;
}

RegistryHandle MemoryRegistry::NewHandle(const std::shared_ptr<Key>& key, std::uint32_t access) {
    const RegistryHandle handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = OpenHandle{key, access};
    ++keysOpened_;
    return handle;
}

MemoryRegistry::Value* MemoryRegistry::FindValue(Key& key, const char* name) {
    const std::string wanted = UpperCase(name != nullptr ? name : "");
    const auto found =
        std::find_if(key.values.begin(), key.values.end(),
                     [&wanted](const Value& value) { return UpperCase(value.name) == wanted; });
    return found == key.values.end() ? nullptr : &*found;
}

RegistryResult MemoryRegistry::OpenKey(RegistryHandle key, const char* subKey, std::uint32_t access,
                                       RegistryHandle* result) {
    RegistryResult failure = 0;
    if (result != nullptr) {
        *result = 0;
    }
    if (Arrive(Call::OpenKey, 0, failure)) {
        return failure;
    }
    if (result == nullptr) {
        return kErrorInvalidParameter;
    }
    OpenHandle parent;
    std::shared_ptr<Key> current;
    if (const RegistryResult found = FindKey(key, subKey, parent, current);
        found != kErrorSuccess) {
        return found;
    }
    *result = NewHandle(current, access);
    return kErrorSuccess;
}

RegistryResult MemoryRegistry::CreateKey(RegistryHandle key, const char* subKey,
                                         const char* keyClass, std::uint32_t /*options*/,
                                         std::uint32_t access,
                                         const RegistrySecurityAttributes* /*securityAttributes*/,
                                         RegistryHandle* result, std::uint32_t* disposition) {
    RegistryResult failure = 0;
    if (result != nullptr) {
        *result = 0;
    }
    if (Arrive(Call::CreateKey, 0, failure)) {
        return failure;
    }
    if (result == nullptr) {
        return kErrorInvalidParameter;
    }
    OpenHandle parent;
    if (const RegistryResult resolved = Resolve(key, parent); resolved != kErrorSuccess) {
        return resolved;
    }
    std::vector<std::string> names;
    if (!SplitPath(subKey, names)) {
        return kErrorBadPathname;
    }
    std::shared_ptr<Key> current = parent.key;
    std::size_t existing = 0;
    while (existing < names.size()) {
        const auto child = current->subkeys.find(UpperCase(names[existing]));
        if (child == current->subkeys.end()) {
            break;
        }
        current = child->second;
        ++existing;
    }
    const bool creates = existing < names.size();
    if (creates && (parent.access & kKeyCreateSubKey) == 0) {
        return kErrorAccessDenied;
    }
    for (std::size_t i = existing; i < names.size(); ++i) {
        auto created = std::make_shared<Key>();
        created->name = names[i];
        created->parent = current;
        if (i + 1 == names.size() && keyClass != nullptr) {
            created->keyClass = keyClass;
        }
        Touch(*created);
        Touch(*current);
        current->subkeys[UpperCase(names[i])] = created;
        current = created;
    }
    if (disposition != nullptr) {
        *disposition = creates ? kRegCreatedNewKey : kRegOpenedExistingKey;
    }
    *result = NewHandle(current, access);
    return kErrorSuccess;
}

RegistryResult MemoryRegistry::DeleteKey(RegistryHandle key, const char* subKey) {
    RegistryResult failure = 0;
    if (Arrive(Call::DeleteKey, 0, failure)) {
        return failure;
    }
    if (subKey == nullptr) {
        return kErrorInvalidParameter;
    }
    OpenHandle parent;
    std::shared_ptr<Key> target;
    if (const RegistryResult found = FindKey(key, subKey, parent, target); found != kErrorSuccess) {
        return found;
    }
    const std::shared_ptr<Key> owner = target->parent.lock();
    if (owner == nullptr || !target->subkeys.empty()) {
        return kErrorAccessDenied;  // a root key, or a key with subkeys
    }
    owner->subkeys.erase(UpperCase(target->name));
    Touch(*owner);
    target->deleted = true;
    return kErrorSuccess;
}

RegistryResult MemoryRegistry::QueryValue(RegistryHandle key, const char* valueName,
                                          std::uint32_t* type, std::uint8_t* data,
                                          std::uint32_t* size) {
    RegistryResult failure = 0;
    if (Arrive(Call::QueryValue, size != nullptr ? *size : 0, failure)) {
        return failure;
    }
    OpenHandle open;
    if (const RegistryResult resolved = Resolve(key, open); resolved != kErrorSuccess) {
        return resolved;
    }
    if ((open.access & kKeyQueryValue) == 0) {
        return kErrorAccessDenied;
    }
    if (data != nullptr && size == nullptr) {
        return kErrorInvalidParameter;
    }
    const Value* value = FindValue(*open.key, valueName);
    if (value == nullptr) {
        return kErrorFileNotFound;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    if (size == nullptr) {
        return kErrorSuccess;
    }
    const auto stored = static_cast<std::uint32_t>(value->data.size());
    if (data != nullptr && *size < stored) {
        *size = stored;
        return kErrorMoreData;
    }
    if (data != nullptr && stored > 0) {
        std::memcpy(data, value->data.data(), stored);
    }
    *size = stored;
    return kErrorSuccess;
}

RegistryResult MemoryRegistry::SetValue(RegistryHandle key, const char* valueName,
                                        std::uint32_t type, const std::uint8_t* data,
                                        std::uint32_t size) {
    RegistryResult failure = 0;
    if (Arrive(Call::SetValue, size, failure)) {
        return failure;
    }
    OpenHandle open;
    if (const RegistryResult resolved = Resolve(key, open); resolved != kErrorSuccess) {
        return resolved;
    }
    if ((open.access & kKeySetValue) == 0) {
        return kErrorAccessDenied;
    }
    if (data == nullptr && size > 0) {
        return kErrorNoAccess;
    }
    Value* value = FindValue(*open.key, valueName);
    if (value == nullptr) {
        open.key->values.push_back(Value{valueName != nullptr ? valueName : "", type, {}});
        value = &open.key->values.back();
    }
    value->type = type;
    value->data.assign(data, data + size);
    Touch(*open.key);
    return kErrorSuccess;
}

RegistryResult MemoryRegistry::DeleteValue(RegistryHandle key, const char* valueName) {
    RegistryResult failure = 0;
    if (Arrive(Call::DeleteValue, 0, failure)) {
        return failure;
    }
    OpenHandle open;
    if (const RegistryResult resolved = Resolve(key, open); resolved != kErrorSuccess) {
        return resolved;
    }
    if ((open.access & kKeySetValue) == 0) {
        return kErrorAccessDenied;
    }
    const Value* value = FindValue(*open.key, valueName);
    if (value == nullptr) {
        return kErrorFileNotFound;
    }
    open.key->values.erase(open.key->values.begin() + (value - open.key->values.data()));
    Touch(*open.key);
    return kErrorSuccess;
}

RegistryResult MemoryRegistry::EnumKey(RegistryHandle key, std::uint32_t index, char* name,
                                       std::uint32_t* nameSize, char* keyClass,
                                       std::uint32_t* classSize, RegistryFileTime* lastWriteTime) {
    RegistryResult failure = 0;
    if (Arrive(Call::EnumKey, nameSize != nullptr ? *nameSize : 0, failure)) {
        return failure;
    }
    OpenHandle open;
    if (const RegistryResult resolved = Resolve(key, open); resolved != kErrorSuccess) {
        return resolved;
    }
    if ((open.access & kKeyEnumerateSubKeys) == 0) {
        return kErrorAccessDenied;
    }
    if (name == nullptr || nameSize == nullptr) {
        return kErrorInvalidParameter;
    }
    if (index >= open.key->subkeys.size()) {
        return kErrorNoMoreItems;
    }
    auto entry = open.key->subkeys.begin();
    std::advance(entry, index);
    const Key& subkey = *entry->second;
    if (Length(subkey.name) >= *nameSize ||
        (keyClass != nullptr && classSize != nullptr && Length(subkey.keyClass) >= *classSize)) {
        return kErrorMoreData;
    }
    CopyName(subkey.name, name);
    *nameSize = Length(subkey.name);
    if (classSize != nullptr) {
        *classSize = Length(subkey.keyClass);
        if (keyClass != nullptr) {
            CopyName(subkey.keyClass, keyClass);
        }
    }
    if (lastWriteTime != nullptr) {
        lastWriteTime->lowDateTime = static_cast<std::uint32_t>(subkey.lastWriteTime & 0xFFFFFFFFu);
        lastWriteTime->highDateTime = static_cast<std::uint32_t>(subkey.lastWriteTime >> 32);
    }
    return kErrorSuccess;
}

RegistryResult MemoryRegistry::EnumValue(RegistryHandle key, std::uint32_t index, char* name,
                                         std::uint32_t* nameSize, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* dataSize) {
    RegistryResult failure = 0;
    if (Arrive(Call::EnumValue, dataSize != nullptr ? *dataSize : 0, failure)) {
        return failure;
    }
    OpenHandle open;
    if (const RegistryResult resolved = Resolve(key, open); resolved != kErrorSuccess) {
        return resolved;
    }
    if ((open.access & kKeyQueryValue) == 0) {
        return kErrorAccessDenied;
    }
    if (name == nullptr || nameSize == nullptr || (data != nullptr && dataSize == nullptr)) {
        return kErrorInvalidParameter;
    }
    if (index >= open.key->values.size()) {
        return kErrorNoMoreItems;
    }
    const Value& value = open.key->values[index];
    const auto stored = static_cast<std::uint32_t>(value.data.size());
    if (type != nullptr) {
        *type = value.type;
    }
    if (Length(value.name) >= *nameSize || (data != nullptr && stored > *dataSize)) {
        if (dataSize != nullptr) {
            *dataSize = stored;
        }
        return kErrorMoreData;
    }
    CopyName(value.name, name);
    *nameSize = Length(value.name);
    if (data != nullptr && stored > 0) {
        std::memcpy(data, value.data.data(), stored);
    }
    if (dataSize != nullptr) {
        *dataSize = stored;
    }
    return kErrorSuccess;
}

RegistryResult MemoryRegistry::ConnectRegistry(const char* computerName, RegistryHandle key,
                                               RegistryHandle* result) {
    RegistryResult failure = 0;
    if (Arrive(Call::ConnectRegistry, 0, failure)) {
        return failure;
    }
    if (result == nullptr) {
        return kErrorInvalidParameter;
    }
    std::string computer = computerName != nullptr ? computerName : "";
    if (computer.rfind("\\\\", 0) == 0) {
        computer.erase(0, 2);
    }
    computer = UpperCase(computer);
    if (computer.empty() || computer == UpperCase(computerName_)) {
        *result = key;
        return kErrorSuccess;
    }
    *result = 0;
    if (!reachableComputers_.contains(computer)) {
        return kErrorBadNetPath;
    }
    OpenHandle root;
    if (const RegistryResult resolved = Resolve(key, root); resolved != kErrorSuccess) {
        return resolved;
    }
    *result = NewHandle(root.key, kKeyAllAccess);
    return kErrorSuccess;
}

RegistryResult MemoryRegistry::CloseKey(RegistryHandle key) {
    RegistryResult failure = 0;
    if (Arrive(Call::CloseKey, 0, failure)) {
        return failure;
    }
    if (roots_.contains(key)) {
        return kErrorSuccess;
    }
    if (handles_.erase(key) == 0) {
        ++invalidCloses_;
        return kErrorInvalidHandle;
    }
    ++keysClosed_;
    return kErrorSuccess;
}

std::uint32_t MemoryRegistry::ExpandEnvironmentText(const char* source, char* destination,
                                                    std::uint32_t size) {
    RegistryResult failure = 0;
    if (Arrive(Call::ExpandEnvironmentText, size, failure) || source == nullptr) {
        return 0;
    }
    // %NAME% gives the variable's value; an unknown name is left as it is.
    const std::string text = source;
    std::string expanded;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t open = text.find('%', position);
        const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) {
            expanded += text.substr(position);
            break;
        }
        expanded += text.substr(position, open - position);
        const auto variable = environment_.find(UpperCase(text.substr(open + 1, close - open - 1)));
        if (variable != environment_.end()) {
            expanded += variable->second.second;
        } else {
            expanded += text.substr(open, close - open + 1);
        }
        position = close + 1;
    }
    const std::uint32_t needed = Length(expanded) + 1;
    if (destination != nullptr && size >= needed) {
        CopyName(expanded, destination);
    }
    return needed;
}

}  // namespace kestrova::testing
