#include "platform/registry/RegistryRoutines.h"

#include <algorithm>
#include <limits>

namespace kestrova {

namespace {

constexpr std::uint32_t kValueBufferSize = 1024;
constexpr std::uint32_t kNameBufferSize = 260;
constexpr std::uint32_t kEnumDataBufferSize = 4096;
constexpr std::uint32_t kFirstExpandBufferSize = 1024;

// Registry names compare without regard to case.
std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

// A key opened, created or connected inside one operation, closed when the
// operation returns. A handle the operation did not open is never held.
class ScopedKey {
  public:
    explicit ScopedKey(RegistryApi& api) : api_(api) {}
    ~ScopedKey() {
        if (owned_) {
            api_.CloseKey(handle_);
        }
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    RegistryResult Open(RegistryHandle parent, const std::string& path, std::uint32_t access) {
        RegistryHandle opened = 0;
        const RegistryResult result = api_.OpenKey(parent, path.c_str(), access, &opened);
        Keep(result, opened);
        return result;
    }

    RegistryResult Create(RegistryHandle parent, const std::string& path,
                          const RegistrySecurityAttributes& securityAttributes) {
        RegistryHandle created = 0;
        std::uint32_t disposition = 0;
        const RegistryResult result = api_.CreateKey(parent, path.c_str(), "", 0, kKeyAllAccess,
                                                     &securityAttributes, &created, &disposition);
        Keep(result, created);
        return result;
    }

    // On the local machine the connection is the very root handle passed in
    // (a caller's open key, perhaps), which is not this operation's to close.
    RegistryResult Connect(const std::string& computer, RegistryHandle root) {
        RegistryHandle connected = 0;
        const RegistryResult result =
            api_.ConnectRegistry(computer.empty() ? nullptr : computer.c_str(), root, &connected);
        if (connected != root) {
            Keep(result, connected);
        } else {
            handle_ = connected;
        }
        return result;
    }

    RegistryHandle Get() const { return handle_; }

  private:
    void Keep(RegistryResult result, RegistryHandle handle) {
        if (result == kErrorSuccess) {
            handle_ = handle;
            owned_ = true;
        }
    }

    RegistryApi& api_;
    RegistryHandle handle_ = 0;
    bool owned_ = false;
};

// The key an enumeration lists: `Keyname` below `hKey`, opened for reading
// into `opened`, or `hKey` itself when there is no name; 0 when it cannot be
// opened.
RegistryHandle OpenToList(ScopedKey& opened, std::int32_t hKey, const std::string& Keyname) {
    if (Keyname.empty()) {
        return WidenKey(hKey);
    }
    return opened.Open(WidenKey(hKey), Keyname, kKeyRead) == kErrorSuccess ? opened.Get() : 0;
}

std::uint32_t SizeOf(const ByteArray& bytes) {
    return static_cast<std::uint32_t>(bytes.size());
}

// Text of the bytes of string data, less its terminating NUL when it has one.
std::string StringText(const ByteArray& data) {
    std::string text(data.begin(), data.end());
    if (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

// Text of multi-string data with the NULs between its strings, less the two
// NULs that end the last string and the list. Data that is shorter or ends
// without them loses only the NULs it has.
std::string MultiStringText(const ByteArray& data) {
    std::string text(data.begin(), data.end());
    for (int terminator = 0; terminator < 2 && !text.empty() && text.back() == '\0'; ++terminator) {
        text.pop_back();
    }
    return text;
}

// The 32-bit signed integer in the first four bytes, little-endian.
std::optional<std::int32_t> DwordOf(const ByteArray& data) {
    if (data.size() < 4) {
        return std::nullopt;
    }
    const std::uint32_t bits =
        static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
        (static_cast<std::uint32_t>(data[2]) << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
    return static_cast<std::int32_t>(bits);
}

std::string HexText(const ByteArray& data) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(data.size() * 3);
    for (const std::uint8_t byte : data) {
        if (!text.empty()) {
            text += ' ';
        }
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

// The text with its environment-variable references expanded, in full; the
// text itself when the expansion fails.
std::string ExpandText(RegistryApi& api, const std::string& text) {
    std::uint32_t size = kFirstExpandBufferSize;
    if (text.size() >= size) {
        size = static_cast<std::uint32_t>(
            std::min<std::size_t>(text.size() + 1, std::numeric_limits<std::uint32_t>::max()));
    }
    std::vector<char> buffer(size, '\0');
    std::uint32_t needed = api.ExpandEnvironmentText(text.c_str(), buffer.data(), size);
    if (needed > size) {
        size = needed;
        buffer.assign(size, '\0');
        needed = api.ExpandEnvironmentText(text.c_str(), buffer.data(), size);
    }
    if (needed == 0 || needed > size) {
        return text;
    }
    std::string expanded(buffer.data(), needed);
    return RegistryRoutines::TrimNull(expanded);
}

struct StoredValue {
    RegistryResult result = kErrorFileNotFound;
    std::uint32_t type = 0;
    ByteArray data;  // exactly the bytes the read reported
};

// RegQueryValueExA into a 1024-byte buffer, and once more into a buffer of
// exactly the reported size when that was too small.
StoredValue QueryValue(RegistryApi& api, RegistryHandle key, const std::string& name) {
    StoredValue value;
    value.data.assign(kValueBufferSize, 0);
    std::uint32_t size = kValueBufferSize;
    value.result = api.QueryValue(key, name.c_str(), &value.type, value.data.data(), &size);
    if (value.result == kErrorMoreData) {
        value.data.assign(size, 0);
        size = SizeOf(value.data);
        value.result = api.QueryValue(key, name.c_str(), &value.type, value.data.data(), &size);
    }
    if (value.result == kErrorSuccess) {
        value.data.resize(std::min<std::size_t>(size, value.data.size()));
    } else {
        value.data.clear();
    }
    return value;
}

// A read value converted by type; `result` when there is nothing to give.
Variant ConvertForRead(RegistryApi& api, const StoredValue& value, Variant result) {
    if (value.result != kErrorSuccess) {
        return result;
    }
    const ByteArray& data = value.data;
    switch (static_cast<std::int32_t>(value.type)) {
        case kRegSz:
            if (!data.empty()) {
                result = StringText(data);
            }
            break;
        case kRegExpandSz:
            if (!data.empty()) {
                result = ExpandText(api, StringText(data));
            }
            break;
        case kRegBinary: result = data; break;
        case kRegDword:
            if (const auto number = DwordOf(data)) {
                result = *number;
            }
            break;
        case kRegMultiSz: {
            const std::string text = MultiStringText(data);
            std::string firstString = text;
            if (!RegistryRoutines::TrimNull(firstString).empty()) {
                result = text;
            }
            break;
        }
        default: break;
    }
    return result;
}

// Enumerated value data converted by type.
Variant ConvertForEnumeration(RegistryApi& api, std::uint32_t type, const ByteArray& data) {
    switch (static_cast<std::int32_t>(type)) {
        case kRegSz: return StringText(data);
        case kRegExpandSz: return data.empty() ? std::string() : ExpandText(api, StringText(data));
        case kRegBinary: return HexText(data);
        case kRegDword:
            if (const auto number = DwordOf(data)) {
                return *number;
            }
            return {};
        case kRegMultiSz: {
            std::string text = MultiStringText(data);
            std::replace(text.begin(), text.end(), '\0', ',');
            return text;
        }
        default: return {};
    }
}

RegistryResult SetBytes(RegistryApi& api, RegistryHandle key, const std::string& name,
                        std::int32_t type, const ByteArray& data) {
    if (data.size() > std::numeric_limits<std::uint32_t>::max()) {
        return kErrorInvalidParameter;
    }
    return api.SetValue(key, name.c_str(), static_cast<std::uint32_t>(type), data.data(),
                        SizeOf(data));
}

// Writes Value as DType. kErrorSuccess also when DType is not written at all;
// kErrorInvalidParameter when Value does not convert to what DType needs.
RegistryResult WriteValue(RegistryApi& api, RegistryHandle key, const std::string& name,
                          const Variant& value, std::int32_t DType) {
    switch (DType) {
        case kRegSz:
        case kRegExpandSz: {
            // Stored with one terminating NUL, which the read drops again, so
            // the text reads back exactly as it was given.
            const std::string text = value.ToText();
            ByteArray data(text.begin(), text.end());
            data.push_back(0);
            return SetBytes(api, key, name, DType, data);
        }
        case kRegMultiSz: {
            // The text carries the NULs between its strings; the last string's
            // NUL and the list's closing NUL are added here.
            const std::string text = value.ToText();
            ByteArray data(text.begin(), text.end());
            data.push_back(0);
            data.push_back(0);
            return SetBytes(api, key, name, DType, data);
        }
        case kRegBinary: {
            const auto bytes = value.ToBytes();
            if (!bytes) {
                return kErrorInvalidParameter;
            }
            return SetBytes(api, key, name, DType, *bytes);
        }
        case kRegDword: {
            const auto number = value.ToInteger();
            if (!number) {
                return kErrorInvalidParameter;
            }
            const auto bits = static_cast<std::uint32_t>(*number);
            const ByteArray data = {static_cast<std::uint8_t>(bits & 0xFF),
                                    static_cast<std::uint8_t>((bits >> 8) & 0xFF),
                                    static_cast<std::uint8_t>((bits >> 16) & 0xFF),
                                    static_cast<std::uint8_t>((bits >> 24) & 0xFF)};
            return SetBytes(api, key, name, DType, data);
        }
        default: return kErrorSuccess;
    }
}

}  // namespace

bool KeyCollection::Add(const std::string& name) {
    const auto [position, added] = positions_.emplace(UpperCase(name), items_.size());
    if (added) {
        items_.push_back(name);
    }
    return added;
}

bool KeyCollection::Contains(const std::string& key) const {
    return Find(key) != nullptr;
}

const std::string* KeyCollection::Find(const std::string& key) const {
    const auto found = positions_.find(UpperCase(key));
    return found == positions_.end() ? nullptr : &items_[found->second];
}

std::string JoinKeyPath(const std::string& KeyRoot, const std::string& SubKey) {
    const auto rootEnd = KeyRoot.find_last_not_of('\\');
    std::string root =
        rootEnd == std::string::npos ? std::string() : KeyRoot.substr(0, rootEnd + 1);
    const auto nameStart = SubKey.find_first_not_of('\\');
    std::string name = nameStart == std::string::npos ? std::string() : SubKey.substr(nameStart);
    if (root.empty()) {
        return name;
    }
    if (name.empty()) {
        return root;
    }
    return root + "\\" + name;
}

bool RegistryRoutines::KeyExists() const {
    ScopedKey key(api_);
    return key.Open(WidenKey(hKey_), JoinKeyPath(keyRoot_, subKey_), kKeyRead) == kErrorSuccess;
}

std::string RegistryRoutines::CreateKey() const {
    Variant name;
    return CreateKey(name);
}

std::string RegistryRoutines::CreateKey(Variant& Keyname) const {
    Keyname = Keyname.IsEmpty() ? Variant(subKey_) : Variant(Keyname.ToText());
    ScopedKey key(api_);
    const RegistryResult result =
        key.Create(WidenKey(hKey_), JoinKeyPath(keyRoot_, *Keyname.Text()), securityAttributes_);
    return result == kErrorSuccess ? "0" : "";
}

std::int32_t RegistryRoutines::DeleteKey(const std::string& Keyname) const {
    return api_.DeleteKey(WidenKey(hKey_), JoinKeyPath(keyRoot_, Keyname).c_str());
}

std::int32_t RegistryRoutines::DeleteValue(const std::string& ValueName) const {
    ScopedKey key(api_);
    const RegistryResult opened =
        key.Open(WidenKey(hKey_), JoinKeyPath(keyRoot_, subKey_), kKeyAllAccess);
    if (opened != kErrorSuccess) {
        return opened;
    }
    return api_.DeleteValue(key.Get(), ValueName.c_str());
}

KeyCollection RegistryRoutines::EnumRegistryKeys(std::int32_t hKey,
                                                 const std::string& Keyname) const {
    KeyCollection keys;
    ScopedKey opened(api_);
    const RegistryHandle key = OpenToList(opened, hKey, Keyname);
    for (std::uint32_t index = 0; key != 0; ++index) {
        std::array<char, kNameBufferSize> name{};
        std::uint32_t nameSize = kNameBufferSize;
        std::array<char, 1> keyClass{};
        std::uint32_t classSize = 1;
        RegistryFileTime lastWriteTime;
        RegistryResult result = api_.EnumKey(key, index, name.data(), &nameSize, keyClass.data(),
                                             &classSize, &lastWriteTime);
        if (result == kErrorMoreData) {
            // A key name fits in 260 characters; what did not fit is the key's
            // class name, which is not wanted: ask again without it.
            name.fill('\0');
            nameSize = kNameBufferSize;
            result =
                api_.EnumKey(key, index, name.data(), &nameSize, nullptr, nullptr, &lastWriteTime);
        }
        if (result != kErrorSuccess) {
            break;  // ERROR_NO_MORE_ITEMS is the normal end; any other failure ends it too
        }
        std::string keyName(name.data(), name.size());
        keys.Add(TrimNull(keyName));
    }
    return keys;
}

std::vector<RegistryValueEntry> RegistryRoutines::EnumRegistryValues(
    std::int32_t hKey, const std::string& Keyname) const {
    std::vector<RegistryValueEntry> values;
    ScopedKey opened(api_);
    const RegistryHandle key = OpenToList(opened, hKey, Keyname);
    for (std::uint32_t index = 0; key != 0; ++index) {
        std::array<char, kNameBufferSize> name{};
        std::uint32_t nameSize = kNameBufferSize;
        ByteArray data(kEnumDataBufferSize, 0);
        std::uint32_t dataSize = kEnumDataBufferSize;
        std::uint32_t type = 0;
        RegistryResult result =
            api_.EnumValue(key, index, name.data(), &nameSize, &type, data.data(), &dataSize);
        if (result == kErrorMoreData) {
            data.assign(dataSize, 0);
            dataSize = SizeOf(data);
            name.fill('\0');
            nameSize = kNameBufferSize;
            result =
                api_.EnumValue(key, index, name.data(), &nameSize, &type, data.data(), &dataSize);
        }
        if (result != kErrorSuccess) {
            break;  // ERROR_NO_MORE_ITEMS is the normal end; any other failure ends it too
        }
        data.resize(std::min<std::size_t>(dataSize, data.size()));
        const std::string valueName(name.data(), std::min<std::size_t>(nameSize, name.size()));
        values.push_back({Variant(valueName), ConvertForEnumeration(api_, type, data)});
    }
    return values;
}

Variant RegistryRoutines::GetRegistryValue(const std::string& ValueName,
                                           const Variant& DefaultValue) const {
    ScopedKey key(api_);
    if (key.Open(WidenKey(hKey_), JoinKeyPath(keyRoot_, subKey_), kKeyRead) != kErrorSuccess) {
        return DefaultValue;
    }
    return ConvertForRead(api_, QueryValue(api_, key.Get(), ValueName), DefaultValue);
}

bool RegistryRoutines::SetRegistryValue(const std::string& ValueName, const Variant& Value,
                                        std::int32_t DType) const {
    ScopedKey key(api_);
    if (key.Open(WidenKey(hKey_), JoinKeyPath(keyRoot_, subKey_), kKeyWrite) != kErrorSuccess) {
        return false;
    }
    return WriteValue(api_, key.Get(), ValueName, Value, DType) == kErrorSuccess;
}

Variant RegistryRoutines::ReadRemoteRegistryValue(const std::string& sRemoteComputer,
                                                  std::int32_t hKey, const std::string& ValueName,
                                                  const std::optional<std::string>& KeyPath) const {
    const std::string path = KeyPath ? *KeyPath : JoinKeyPath(keyRoot_, subKey_);
    ScopedKey root(api_);
    if (root.Connect(sRemoteComputer, WidenKey(hKey)) != kErrorSuccess) {
        return Variant("Error!");
    }
    ScopedKey key(api_);
    if (key.Open(root.Get(), path, kKeyAllAccess) != kErrorSuccess) {
        return {};
    }
    return ConvertForRead(api_, QueryValue(api_, key.Get(), ValueName), Variant());
}

bool RegistryRoutines::WriteRemoteRegistryValue(const std::string& sRemoteComputer,
                                                std::int32_t hKey, const std::string& ValueName,
                                                const Variant& Value, std::int32_t DType,
                                                const std::optional<std::string>& KeyPath) const {
    const std::string path = KeyPath ? *KeyPath : JoinKeyPath(keyRoot_, subKey_);
    ScopedKey root(api_);
    if (root.Connect(sRemoteComputer, WidenKey(hKey)) != kErrorSuccess) {
        return false;
    }
    ScopedKey key(api_);
    if (key.Open(root.Get(), path, kKeyAllAccess) != kErrorSuccess) {
        return false;
    }
    return WriteValue(api_, key.Get(), ValueName, Value, DType) == kErrorSuccess;
}

std::string RegistryRoutines::TrimNull(std::string& item) {
    const auto nul = item.find('\0');
    if (nul != std::string::npos) {
        item.erase(nul);
    }
    return item;
}

}  // namespace kestrova
