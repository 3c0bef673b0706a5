#include "tests/support/fakes/MemoryRegistry.h"

#include <cstdlib>
#include <cstring>

namespace kestrova::testing {

namespace {

// What KEY_ALL_ACCESS adds to KEY_READ (setting values, creating subkeys and
// links, deleting, changing the access list or owner), GENERIC_WRITE and GENERIC_ALL.
constexpr std::uint32_t kWriteRights = (kKeyAllAccess & ~kKeyRead) | 0x40000000u | 0x10000000u;

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
    // HKEY_CLASSES_ROOT to HKEY_USERS as the 64-bit API has them: sign-extended.
    for (std::uint64_t root = 0xFFFFFFFF80000000u; root <= 0xFFFFFFFF80000003u; ++root) {
        handles_[static_cast<RegistryHandle>(root)] = {std::make_shared<Key>(), kRootAccess};
    }
}

bool MemoryRegistry::Failing(Call call, RegistryResult& status) {
    const auto failure = failures_.find(call);
    if (failure == failures_.end() || failure->second.first-- > 0) {
        return false;
    }
    status = failure->second.second;
    failures_.erase(failure);
    return true;
}

std::shared_ptr<MemoryRegistry::Key> MemoryRegistry::Begin(Call call, RegistryHandle handle,
                                                           std::uint32_t right,
                                                           RegistryResult& status) {
    const auto open = handles_.find(handle);
    if (Failing(call, status)) {
        return nullptr;
    }
    if (open == handles_.end() || (open->second.second & right) != right) {
        status = open == handles_.end() ? kErrorInvalidHandle : kErrorAccessDenied;
        return nullptr;
    }
    return open->second.first;
}

std::shared_ptr<MemoryRegistry::Key> MemoryRegistry::Walk(std::shared_ptr<Key> from,
                                                          const std::string& path,
                                                          const char* keyClass) {
    for (std::size_t start = 0, end = 0; from != nullptr && start < path.size(); start = end + 1) {
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
            child = from->subkeys.emplace(UpperCase(name), std::make_shared<Key>()).first;
            child->second->name = name;
            child->second->keyClass = end == path.size() ? keyClass : "";
        }
        from = child->second;
    }
    return from;
}

RegistryResult MemoryRegistry::Open(Call call, RegistryHandle key, const char* subKey,
                                    const char* keyClass, std::uint32_t access,
                                    RegistryHandle* result) {
    RegistryResult status = kErrorFileNotFound;
    *result = 0;
    const auto parent = Begin(call, key, 0, status);
    const std::string path = subKey != nullptr ? subKey : "";
    if (parent == nullptr || path.starts_with('\\')) {
        return parent == nullptr ? status : kErrorBadPathname;
    }
    const auto found = Walk(parent, path, keyClass);
    if (found == nullptr || (found->denyWrite && (access & kWriteRights) != 0)) {
        return found == nullptr ? kErrorFileNotFound : kErrorAccessDenied;
    }
    *result = nextHandle_;
    nextHandle_ += 4;
    handles_[*result] = {found, access};
    return kErrorSuccess;
}

MemoryRegistry::Value* MemoryRegistry::FindValue(Key* key, const char* name) {
    if (key == nullptr) {
        return nullptr;
    }
    const std::string wanted = UpperCase(name != nullptr ? name : "");
    for (Value& value : key->values) {
        if (UpperCase(value.name) == wanted) {
            return &value;
        }
    }
    return nullptr;
}

bool MemoryRegistry::CopyOut(const std::string& text, char* buffer, std::uint32_t size) {
    if (text.size() >= size) {
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

RegistryResult MemoryRegistry::CopyData(const Value& value, std::uint32_t* type, std::uint8_t* data,
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

std::uint32_t MemoryRegistry::ExpandEnvironmentText(const char* source, char* destination,
                                                    std::uint32_t size) {
    RegistryResult status = kErrorSuccess;
    if (Failing(Call::ExpandEnvironmentText, status)) {
        return 0;
    }
    // %NAME% gives the variable's value; an unknown name is left as it is.
    std::string text = source;
    std::string expanded;
    for (std::size_t open = text.find('%'); open != std::string::npos; open = text.find('%')) {
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string::npos) {
            break;
        }
        // NOLINTNEXTLINE(concurrency-mt-unsafe): the tests run on one thread
        const char* value = std::getenv(text.substr(open + 1, close - open - 1).c_str());
        expanded += text.substr(0, open) + (value ? value : text.substr(open, close - open + 1));
        text.erase(0, close + 1);
    }
    expanded += text;
    CopyOut(expanded, destination, size);
    return static_cast<std::uint32_t>(expanded.size() + 1);
}

}  // namespace kestrova::testing
