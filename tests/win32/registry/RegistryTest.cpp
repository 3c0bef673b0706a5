// The registry class, and the parts of the API's behaviour it relies on,
// against the real registry through advapi32. Each test works in a scratch
// key of its own below HKCU\Software\KestrovaTest, with `routines` aimed at
// its subkey Run, and removes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "platform/registry/RegistryRoutines.h"
#include "platform/win32/Win32RegistryApi.h"

namespace kestrova {

inline void PrintTo(const Variant& value, std::ostream* os) {
    *os << Describe(value);
}

namespace {

using namespace std::string_literals;

const Variant kFallback("fallback");

// Text in which every position differs from its neighbours, so a cut or a shift shows.
std::string Pattern(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<char>('A' + i % 26);
    }
    return text;
}

const RegistryHandle kCurrentUser = WidenKey(kHkeyCurrentUser);

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        scratch_ = "Software\\KestrovaTest\\" + std::to_string(random()) + std::to_string(random());
        ASSERT_EQ(CreateRaw(Scratch("\\Run")), kErrorSuccess);
        routines = std::make_unique<RegistryRoutines>(*api);
        routines->hKey(kHkeyCurrentUser);
        routines->KeyRoot(Scratch());
        routines->SubKey("Run");
    }
    // The keys are removed, and their parent when no other run still uses it.
    void TearDown() override {
        for (const RegistryHandle key : opened_) {
            api->CloseKey(key);
        }
        EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, Scratch().c_str()), ERROR_SUCCESS);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KestrovaTest");
    }

    std::string Scratch(const std::string& below = {}) const { return scratch_ + below; }
    RegistryResult CreateRaw(const std::string& path, const char* keyClass = "") {
        RegistryHandle key = 0;
        const RegistryResult result = api->CreateKey(kCurrentUser, path.c_str(), keyClass, 0,
                                                     kKeyAllAccess, nullptr, &key, nullptr);
        api->CloseKey(key);
        return result;
    }
    // A key of the scratch key opened straight through the API (0 when it
    // cannot be), closed when the test ends.
    RegistryHandle OpenRaw(const std::string& below, std::uint32_t access) {
        RegistryHandle key = 0;
        if (api->OpenKey(kCurrentUser, Scratch(below).c_str(), access, &key) == kErrorSuccess) {
            opened_.push_back(key);
        }
        return key;
    }
    // Straight writes and reads of a value of the Run key, not through the class.
    RegistryResult WriteRaw(const std::string& name, std::int32_t type, const std::string& bytes) {
        return api->SetValue(OpenRaw("\\Run", kKeyAllAccess), name.c_str(),
                             static_cast<std::uint32_t>(type),
                             reinterpret_cast<const std::uint8_t*>(bytes.data()),
                             static_cast<std::uint32_t>(bytes.size()));
    }
    std::optional<std::string> ReadRaw(const std::string& name) {
        std::string data(8192, '\0');
        auto size = static_cast<std::uint32_t>(data.size());
        if (api->QueryValue(OpenRaw("\\Run", kKeyRead), name.c_str(), nullptr,
                            reinterpret_cast<std::uint8_t*>(data.data()), &size) != kErrorSuccess) {
            return std::nullopt;
        }
        return data.substr(0, size);
    }

    std::unique_ptr<RegistryApi> api = std::make_unique<Win32RegistryApi>();
    std::unique_ptr<RegistryRoutines> routines;

  private:
    std::string scratch_;
    std::vector<RegistryHandle> opened_;
};

// Each value is written through the class as a value of its own, read back
// one by one and then in one listing: a string is stored with one NUL (a
// multi-string with two) and reads back exactly as set, whatever its size
// against the class's first buffers (1024 bytes; 4096 in a listing).
TEST_F(RegistryTest, ValuesAreStoredAsTheRegistryHoldsThemAndReadBackAsSet) {
    const std::string path = std::getenv("PATH");  // NOLINT(concurrency-mt-unsafe): one thread
    const ByteArray bytes = {0x00, 0x0A, 0x1F, 0xFF, 0x80};
    const struct {
        std::int32_t type = 0;
        Variant value;
        std::optional<std::string> stored;  // nothing: refused, or a type not written
        Variant read;
        Variant listed;
    } cases[] = {
        {kRegSz, "C:\\K.exe /B", "C:\\K.exe /B\0"s, "C:\\K.exe /B", "C:\\K.exe /B"},
        {kRegSz, "", "\0"s, "", ""},
        {kRegSz, "a\0b"s, "a\0b\0"s, "a\0b"s, "a\0b"s},
        {kRegSz, 42, "42\0"s, "42", "42"},
        {kRegSz, Pattern(1023), Pattern(1023) + '\0', Pattern(1023), Pattern(1023)},
        {kRegSz, Pattern(1024), Pattern(1024) + '\0', Pattern(1024), Pattern(1024)},
        {kRegSz, Pattern(5000), Pattern(5000) + '\0', Pattern(5000), Pattern(5000)},
        {kRegExpandSz, "<%PATH%>", "<%PATH%>\0"s, "<" + path + ">", "<" + path + ">"},
        {kRegMultiSz, "one\0\0two"s, "one\0\0two\0\0"s, "one\0\0two"s, "one,,two"},
        {kRegBinary, bytes, "\x00\x0A\x1F\xFF\x80"s, bytes, "00 0A 1F FF 80"},
        {kRegBinary, "AB", "AB", ByteArray{'A', 'B'}, "41 42"},
        {kRegDword, -2, "\xFE\xFF\xFF\xFF"s, -2, -2},
        {kRegDword, " 123 ", "\x7B\0\0\0"s, 123, 123},
        {kRegDword, "twelve", std::nullopt, kFallback, Variant()},
        {kRegDword, "2147483648", std::nullopt, kFallback, Variant()},
        {kRegBinary, 7, std::nullopt, kFallback, Variant()},
        {kRegQword, 5, std::nullopt, kFallback, Variant()},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string name(1, static_cast<char>('A' + i));
        EXPECT_EQ(routines->SetRegistryValue(name, cases[i].value, cases[i].type),
                  cases[i].stored.has_value() || cases[i].type == kRegQword)
            << name;
        EXPECT_EQ(ReadRaw(name), cases[i].stored) << name;
        EXPECT_EQ(routines->GetRegistryValue(name, kFallback), cases[i].read) << name;
    }
    const auto entries = routines->EnumRegistryValues(kHkeyCurrentUser, Scratch("\\Run"));
    ASSERT_EQ(entries.size(), 13u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i][0], Variant(std::string(1, static_cast<char>('A' + i))));
        EXPECT_EQ(entries[i][1], cases[i].listed) << i;
    }
}

// Data as another program may have left it: without a final NUL, too short
// for its type, or empty. Nothing is read past the data; two binary values in
// a row list only their own bytes.
TEST_F(RegistryTest, RawDataIsReadWithoutGoingPastIt) {
    const struct {
        std::int32_t type = 0;
        std::string stored;
        Variant read;
        Variant listed;
    } cases[] = {
        {kRegSz, "abc", "abc", "abc"},
        {kRegSz, "", kFallback, ""},
        {kRegExpandSz, "", kFallback, ""},
        {kRegBinary, "", ByteArray{}, ""},
        {kRegBinary, "\x01\x02\x03\x04\x05\x06", ByteArray{1, 2, 3, 4, 5, 6}, "01 02 03 04 05 06"},
        {kRegBinary, "\xAB", ByteArray{0xAB}, "AB"},
        {kRegMultiSz, "x", "x", "x"},
        {kRegMultiSz, "\0"s, kFallback, ""},
        {kRegMultiSz, "", kFallback, ""},
        {kRegMultiSz, "a\0b\0"s, "a\0b"s, "a,b"},
        {kRegDword, "\x01\x02", kFallback, Variant()},
        {kRegQword, "\x01\0\0\0\0\0\0\0"s, kFallback, Variant()},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ASSERT_EQ(
            WriteRaw(std::string(1, static_cast<char>('A' + i)), cases[i].type, cases[i].stored),
            kErrorSuccess);
    }
    const auto entries = routines->EnumRegistryValues(kHkeyCurrentUser, Scratch("\\Run"));
    ASSERT_EQ(entries.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string name(1, static_cast<char>('A' + i));
        EXPECT_EQ(routines->GetRegistryValue(name, kFallback), cases[i].read) << name;
        EXPECT_EQ(entries[i][0], Variant(name));
        EXPECT_EQ(entries[i][1], cases[i].listed) << name;
    }
}

// A value is written only into a key that is there, and a key is created
// only when asked, by the name given or else SubKey.
TEST_F(RegistryTest, ValuesAreDeletedAndKeysCreatedOnlyWhereAsked) {
    ASSERT_TRUE(routines->SetRegistryValue("Kestrova", "x", kRegSz));
    EXPECT_EQ(routines->DeleteValue("Kestrova"), kErrorSuccess);
    EXPECT_EQ(routines->DeleteValue("Kestrova"), kErrorFileNotFound);
    routines->SubKey("Other");
    EXPECT_FALSE(routines->SetRegistryValue("Kestrova", "x", kRegSz));
    EXPECT_FALSE(routines->KeyExists());
    Variant name;
    EXPECT_EQ(routines->CreateKey(name), "0");
    EXPECT_EQ(name, Variant("Other"));
    EXPECT_TRUE(routines->KeyExists());
}

// Wine answers RegEnumKeyExA with ERROR_MORE_DATA for a key with a class
// name when the class buffer is small; the class is not wanted.
TEST_F(RegistryTest, EnumRegistryKeysListsSubkeysWithAClassNameToo) {
    ASSERT_EQ(CreateRaw(Scratch("\\Run\\Alpha"), "KestrovaClass"), kErrorSuccess);
    ASSERT_EQ(CreateRaw(Scratch("\\Run\\beta")), kErrorSuccess);
    ASSERT_EQ(CreateRaw(Scratch("\\Run\\Gamma\\Inner")), kErrorSuccess);
    const KeyCollection keys = routines->EnumRegistryKeys(kHkeyCurrentUser, Scratch("\\Run"));
    EXPECT_EQ(keys.Items(), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
    ASSERT_NE(keys.Find("GAMMA"), nullptr);
    EXPECT_EQ(*keys.Find("GAMMA"), "Gamma");
    EXPECT_FALSE(keys.Contains("Inner"));
    EXPECT_EQ(routines->EnumRegistryKeys(kHkeyCurrentUser, Scratch("\\None")).Count(), 0u);
}

// A local connection is the very handle passed in, which stays the caller's.
TEST_F(RegistryTest, KeysHandedInByTheCallerStayOpen) {
    const RegistryHandle scratch = OpenRaw("", kKeyAllAccess);
    const auto narrow = static_cast<std::int32_t>(scratch);
    ASSERT_EQ(WidenKey(narrow), scratch);
    EXPECT_TRUE(routines->WriteRemoteRegistryValue("", narrow, "Value", "v", kRegSz, "Run"));
    EXPECT_EQ(routines->ReadRemoteRegistryValue("", narrow, "Value", "Run"), Variant("v"));
    EXPECT_EQ(routines->EnumRegistryKeys(narrow, "").Items(), std::vector<std::string>{"Run"});
    EXPECT_EQ(routines->EnumRegistryValues(narrow, "Run").size(), 1u);
    EXPECT_EQ(routines->ReadRemoteRegistryValue("\\\\NoSuchKestrovaHost", narrow, "Value"),
              Variant("Error!"));
    EXPECT_EQ(api->SetValue(scratch, "StillOpen", kRegBinary, nullptr, 0), kErrorSuccess);
}

}  // namespace
}  // namespace kestrova
