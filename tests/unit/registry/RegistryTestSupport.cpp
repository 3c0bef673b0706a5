#include "tests/unit/registry/RegistryTestSupport.h"

#include <algorithm>
#include <iomanip>
#include <random>
#include <sstream>

namespace kestrova {

void PrintTo(const Variant& value, std::ostream* os) {
    *os << Describe(value);
}

namespace testing {

namespace {

const RegistryHandle kCurrentUser = WidenKey(kHkeyCurrentUser);
constexpr const char* kTestRoot = "Software\\KestrovaTest";

std::string UniqueName() {
    std::random_device source;
    std::ostringstream text;
    text << std::hex << std::uppercase << std::setfill('0') << std::setw(8) << source()
         << std::setw(8) << source();
    return text.str();
}

}  // namespace

RegistryResult DeleteKeyTree(RegistryApi& api, RegistryHandle root, const std::string& path) {
    std::vector<std::string> subkeys;
    {
        TestKey key(api, root, path, kKeyRead);
        if (key.OpenResult() != kErrorSuccess) {
            return key.OpenResult();
        }
        for (std::uint32_t index = 0;; ++index) {
            char name[256] = {};
            std::uint32_t nameSize = sizeof name;
            if (api.EnumKey(key.Get(), index, name, &nameSize, nullptr, nullptr, nullptr) !=
                kErrorSuccess) {
                break;
            }
            subkeys.emplace_back(name, nameSize);
        }
    }
    const std::string prefix = path + "\\";
    for (const std::string& subkey : subkeys) {
        DeleteKeyTree(api, root, prefix + subkey);
    }
    return api.DeleteKey(root, path.c_str());
}

void RegistryTest::SetUp() {
    backend_ = GetParam()();
    scratch_ = std::string(kTestRoot) + "\\" + UniqueName();
    ASSERT_EQ(CreateRaw(Scratch()), kErrorSuccess);
    ASSERT_EQ(CreateRaw(RunPath()), kErrorSuccess);
    routines = std::make_unique<RegistryRoutines>(Api());
    routines->hKey(kHkeyCurrentUser);
    routines->KeyRoot(Scratch());
    routines->SubKey("Run");
}

void RegistryTest::TearDown() {
    EXPECT_EQ(DeleteKeyTree(Api(), kCurrentUser, Scratch()), kErrorSuccess);
    // Removed only when no other run still has a scratch key in it.
    Api().DeleteKey(kCurrentUser, kTestRoot);
    if (const auto counts = backend_->Counts()) {
        EXPECT_EQ(counts->openNow, 0u) << "keys left open";
        EXPECT_EQ(counts->invalidCloses, 0u) << "closes of keys that were not open";
    }
}

std::string RegistryTest::Scratch(const std::string& below) const {
    return below.empty() ? scratch_ : scratch_ + "\\" + below;
}

RegistryResult RegistryTest::CreateRaw(const std::string& path, const char* keyClass) {
    RegistryHandle key = 0;
    const RegistryResult result = Api().CreateKey(kCurrentUser, path.c_str(), keyClass, 0,
                                                  kKeyAllAccess, nullptr, &key, nullptr);
    if (result == kErrorSuccess) {
        Api().CloseKey(key);
    }
    return result;
}

RegistryResult RegistryTest::WriteRaw(const std::string& path, const std::string& name,
                                      std::int32_t type, const std::string& bytes,
                                      std::optional<std::uint32_t> count) {
    TestKey key(Api(), kCurrentUser, path);
    if (key.OpenResult() != kErrorSuccess) {
        return key.OpenResult();
    }
    const auto size = count.value_or(static_cast<std::uint32_t>(bytes.size()));
    return Api().SetValue(key.Get(), name.c_str(), static_cast<std::uint32_t>(type),
                          reinterpret_cast<const std::uint8_t*>(bytes.data()), size);
}

RawValue RegistryTest::ReadRaw(const std::string& path, const std::string& name) {
    RawValue value;
    TestKey key(Api(), kCurrentUser, path, kKeyRead);
    value.result = key.OpenResult();
    if (value.result != kErrorSuccess) {
        return value;
    }
    std::uint32_t size = 0;
    value.result = Api().QueryValue(key.Get(), name.c_str(), &value.type, nullptr, &size);
    if (value.result != kErrorSuccess) {
        return value;
    }
    std::vector<std::uint8_t> data(size + 1u, 0);
    size = static_cast<std::uint32_t>(data.size());
    value.result = Api().QueryValue(key.Get(), name.c_str(), &value.type, data.data(), &size);
    if (value.result == kErrorSuccess) {
        value.data.assign(data.begin(), data.begin() + size);
    }
    return value;
}

bool RegistryTest::KeyPresent(const std::string& path) {
    TestKey key(Api(), kCurrentUser, path, kKeyRead);
    return key.OpenResult() == kErrorSuccess;
}

TestKey::TestKey(RegistryApi& api, RegistryHandle root, const std::string& path,
                 std::uint32_t access)
    : api_(api), openResult_(api_.OpenKey(root, path.c_str(), access, &handle_)) {}

TestKey::~TestKey() {
    if (openResult_ == kErrorSuccess) {
        api_.CloseKey(handle_);
    }
}

std::optional<Variant> FindEntry(const std::vector<RegistryValueEntry>& entries,
                                 const std::string& name) {
    const auto found = std::find_if(entries.begin(), entries.end(), [&name](const auto& entry) {
        return entry[0] == Variant(name);
    });
    return found == entries.end() ? std::nullopt : std::optional<Variant>((*found)[1]);
}

ByteArray BytesOf(const std::string& text) {
    return ByteArray(text.begin(), text.end());
}

}  // namespace testing
}  // namespace kestrova
