// The registry class and the API below it against the real registry, each test in a scratch key.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
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

// A value as set (Empty: written raw), as stored (nothing: not written), as read back and listed.
struct Case {
    std::int32_t type = 0;
    Variant value;
    std::optional<std::string> stored;
    Variant read;
    Variant listed = {};
};

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(run = Create("\\Run"), 0u);
        routines.hKey(kHkeyCurrentUser);
        routines.KeyRoot(scratch);
        routines.SubKey("Run");
    }
    // The keys are removed, and their parent when no other run still uses it.
    void TearDown() override {
        for (const RegistryHandle key : created) {
            api.CloseKey(key);
        }
        EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, scratch.c_str()), ERROR_SUCCESS);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KestrovaTest");
    }

    // A key below the scratch key created (or opened) through the API, open until the test ends.
    RegistryHandle Create(const std::string& below, const char* keyClass = "") {
        RegistryHandle key = 0;
        api.CreateKey(WidenKey(kHkeyCurrentUser), (scratch + below).c_str(), keyClass, 0,
                      kKeyAllAccess, nullptr, &key, nullptr);
        return created.emplace_back(key);
    }

    Win32RegistryApi api;
    RegistryRoutines routines{api};
    std::string scratch = "Software\\KestrovaTest\\" + std::to_string(std::random_device()());
    std::vector<RegistryHandle> created;
    RegistryHandle run = 0;  // the Run key, for writes and reads not through the class
};

// Values set through the class are stored as the registry holds them (a string with one NUL, a
// multi-string with two) and read back as set, whatever their size. Data another program may
// leave (no final NUL, too short, empty) is read no further. All are listed in one listing.
TEST_F(RegistryTest, ValuesAreStoredAsTheRegistryHoldsThemAndReadWithoutGoingPastTheirData) {
    const std::string path = std::getenv("PATH");  // NOLINT(concurrency-mt-unsafe): one thread
    const ByteArray bytes = {0x00, 0x0A, 0x1F, 0xFF, 0x80};
    const Case cases[] = {
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
        {kRegDword, "twelve", std::nullopt, kFallback},
        {kRegDword, "2147483648", std::nullopt, kFallback},
        {kRegBinary, 7, std::nullopt, kFallback},
        {kRegQword, 5, std::nullopt, kFallback},
        {kRegSz, {}, "abc", "abc", "abc"},
        {kRegSz, {}, "", kFallback, ""},
        {kRegExpandSz, {}, "", kFallback, ""},
        {kRegBinary, {}, "", ByteArray{}, ""},
        {kRegBinary, {}, "\1\2\3\4\5\6", ByteArray{1, 2, 3, 4, 5, 6}, "01 02 03 04 05 06"},
        {kRegBinary, {}, "\xAB", ByteArray{0xAB}, "AB"},
        {kRegMultiSz, {}, "x", "x", "x"},
        {kRegMultiSz, {}, "\0"s, kFallback, ""},
        {kRegMultiSz, {}, "", kFallback, ""},
        {kRegMultiSz, {}, "a\0b\0"s, "a\0b"s, "a,b"},
        {kRegDword, {}, "\x01\x02", kFallback, Variant()},
        {kRegQword, {}, "\x01\0\0\0\0\0\0\0"s, kFallback, Variant()},
    };
    std::vector<RegistryValueEntry> listed;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const std::string name = std::to_string(100 + i);  // listed in this order, as Wine sorts
        std::string data = c.value.IsEmpty() ? *c.stored : std::string(8192, '\0');
        auto size = static_cast<std::uint32_t>(data.size());
        if (c.value.IsEmpty()) {
            ASSERT_EQ(api.SetValue(run, name.c_str(), static_cast<std::uint32_t>(c.type),
                                   reinterpret_cast<const std::uint8_t*>(data.data()), size),
                      kErrorSuccess);
        } else {
            EXPECT_EQ(routines.SetRegistryValue(name, c.value, c.type),
                      c.stored.has_value() || c.type == kRegQword)
                << name;
            const bool read = api.QueryValue(run, name.c_str(), nullptr,
                                             reinterpret_cast<std::uint8_t*>(data.data()),
                                             &size) == kErrorSuccess;
            EXPECT_EQ(read ? std::optional(data.substr(0, size)) : std::nullopt, c.stored) << name;
        }
        EXPECT_EQ(routines.GetRegistryValue(name, kFallback), c.read) << name;
        if (c.stored) {
            listed.push_back({name, c.listed});
        }
    }
    EXPECT_EQ(routines.EnumRegistryValues(kHkeyCurrentUser, scratch + "\\Run"), listed);
}

// A value is written only into a key that is there; a key is created when asked, named or SubKey.
TEST_F(RegistryTest, ValuesAreDeletedAndKeysCreatedOnlyWhereAsked) {
    ASSERT_TRUE(routines.SetRegistryValue("Kestrova", "x", kRegSz));
    EXPECT_EQ(routines.DeleteValue("Kestrova"), kErrorSuccess);
    EXPECT_EQ(routines.DeleteValue("Kestrova"), kErrorFileNotFound);
    routines.SubKey("Other");
    EXPECT_FALSE(routines.SetRegistryValue("Kestrova", "x", kRegSz));
    EXPECT_FALSE(routines.KeyExists());
    Variant name;
    EXPECT_EQ(routines.CreateKey(name), "0");
    EXPECT_EQ(name, Variant("Other"));
    EXPECT_TRUE(routines.KeyExists());
}

// Wine answers RegEnumKeyExA with ERROR_MORE_DATA for a key with a class if its buffer is small.
TEST_F(RegistryTest, EnumRegistryKeysListsSubkeysWithAClassNameToo) {
    Create("\\Run\\Alpha", "KestrovaClass");
    Create("\\Run\\beta");
    Create("\\Run\\Gamma\\Inner");
    const KeyCollection keys = routines.EnumRegistryKeys(kHkeyCurrentUser, scratch + "\\Run");
    ASSERT_EQ(keys.Items(), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
    EXPECT_EQ(keys.Find("GAMMA"), &keys.Items()[2]);
    EXPECT_FALSE(keys.Contains("Inner"));
    EXPECT_EQ(routines.EnumRegistryKeys(kHkeyCurrentUser, scratch + "\\None").Count(), 0u);
}

// A local connection is the very handle passed in, which stays the caller's.
TEST_F(RegistryTest, KeysHandedInByTheCallerStayOpen) {
    const RegistryHandle key = Create("");
    const auto narrow = static_cast<std::int32_t>(key);
    ASSERT_EQ(WidenKey(narrow), key);
    EXPECT_TRUE(routines.WriteRemoteRegistryValue("", narrow, "Value", "v", kRegSz, "Run"));
    EXPECT_EQ(routines.ReadRemoteRegistryValue("", narrow, "Value", "Run"), Variant("v"));
    EXPECT_EQ(routines.EnumRegistryKeys(narrow, "").Items(), std::vector<std::string>{"Run"});
    EXPECT_EQ(routines.EnumRegistryValues(narrow, "Run").size(), 1u);
    EXPECT_EQ(routines.ReadRemoteRegistryValue("\\\\NoSuchKestrovaHost", narrow, "Value"),
              Variant("Error!"));
    EXPECT_EQ(api.SetValue(key, "StillOpen", kRegBinary, nullptr, 0), kErrorSuccess);
}

}  // namespace
}  // namespace kestrova
