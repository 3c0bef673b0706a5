#include <string>
#include <vector>

#include "tests/unit/registry/RegistryTestSupport.h"

// What the registry class relies on in the API itself. Run against the real
// registry these pin down how it behaves; run against the in-memory one they
// prove it behaves the same.

namespace kestrova::testing {
namespace {

using namespace std::string_literals;

const RegistryHandle kCurrentUser = WidenKey(kHkeyCurrentUser);

std::vector<std::string> SubkeyNames(RegistryApi& api, RegistryHandle key) {
    std::vector<std::string> names;
    for (std::uint32_t index = 0;; ++index) {
        char name[260] = {};
        std::uint32_t size = sizeof name;
        if (api.EnumKey(key, index, name, &size, nullptr, nullptr, nullptr) != kErrorSuccess) {
            break;
        }
        names.emplace_back(name, size);
    }
    return names;
}

TEST_P(RegistryApiContractTest, SetValueStoresExactlyTheByteCountGiven) {
    // The byte after the counted ones is not a NUL: nothing may add one.
    ASSERT_EQ(WriteRaw(RunPath(), "Text", kRegSz, "abcX", 3), kErrorSuccess);
    ASSERT_EQ(WriteRaw(RunPath(), "Terminated", kRegSz, "abc\0X"s, 4), kErrorSuccess);
    ASSERT_EQ(WriteRaw(RunPath(), "Binary", kRegBinary, "\x01\x00\x02"s), kErrorSuccess);
    ASSERT_EQ(WriteRaw(RunPath(), "NoBytes", kRegBinary, ""), kErrorSuccess);
    EXPECT_EQ(ReadRaw(RunPath(), "Text").data, "abc");
    EXPECT_EQ(ReadRaw(RunPath(), "Terminated").data, "abc\0"s);
    EXPECT_EQ(ReadRaw(RunPath(), "Binary").data, "\x01\x00\x02"s);
    EXPECT_EQ(ReadRaw(RunPath(), "NoBytes").data, "");
    EXPECT_EQ(ReadRaw(RunPath(), "NoBytes").type, static_cast<std::uint32_t>(kRegBinary));
}

TEST_P(RegistryApiContractTest, ShortBuffersGetMoreDataWithTheSizeNeeded) {
    ASSERT_EQ(WriteRaw(RunPath(), "Value", kRegBinary, "12345"), kErrorSuccess);
    TestKey key(Api(), kCurrentUser, RunPath(), kKeyRead);
    ASSERT_EQ(key.OpenResult(), kErrorSuccess);

    std::uint8_t data[8] = {};
    std::uint32_t type = 0;
    std::uint32_t size = 2;
    EXPECT_EQ(Api().QueryValue(key.Get(), "Value", &type, data, &size), kErrorMoreData);
    EXPECT_EQ(size, 5u);
    size = 5;
    EXPECT_EQ(Api().QueryValue(key.Get(), "Value", &type, data, &size), kErrorSuccess);
    EXPECT_EQ(std::string(data, data + size), "12345");
    EXPECT_EQ(Api().QueryValue(key.Get(), "Missing", &type, data, &size), kErrorFileNotFound);

    char name[16] = {};
    std::uint32_t nameSize = sizeof name;
    size = 3;
    EXPECT_EQ(Api().EnumValue(key.Get(), 0, name, &nameSize, &type, data, &size), kErrorMoreData);
    EXPECT_EQ(size, 5u);
    nameSize = sizeof name;
    size = sizeof data;
    EXPECT_EQ(Api().EnumValue(key.Get(), 0, name, &nameSize, &type, data, &size), kErrorSuccess);
    EXPECT_EQ(std::string(name, nameSize), "Value");
    EXPECT_EQ(size, 5u);
    nameSize = sizeof name;
    EXPECT_EQ(Api().EnumValue(key.Get(), 1, name, &nameSize, &type, data, &size),
              kErrorNoMoreItems);

    // A subkey's class that does not fit the class buffer fails the entry.
    ASSERT_EQ(CreateRaw(Scratch("Run\\Classy"), "KestrovaClass"), kErrorSuccess);
    char keyClass[1] = {};
    std::uint32_t classSize = 1;
    nameSize = sizeof name;
    EXPECT_EQ(Api().EnumKey(key.Get(), 0, name, &nameSize, keyClass, &classSize, nullptr),
              kErrorMoreData);
    nameSize = sizeof name;
    EXPECT_EQ(Api().EnumKey(key.Get(), 0, name, &nameSize, nullptr, nullptr, nullptr),
              kErrorSuccess);
    EXPECT_EQ(std::string(name, nameSize), "Classy");
    nameSize = sizeof name;
    EXPECT_EQ(Api().EnumKey(key.Get(), 1, name, &nameSize, nullptr, nullptr, nullptr),
              kErrorNoMoreItems);
}

TEST_P(RegistryApiContractTest, SubkeysEnumerateInNameOrderWhateverTheirCase) {
    for (const char* name : {"delta", "Bravo", "alpha", "Charlie"}) {
        ASSERT_EQ(CreateRaw(Scratch("Run\\") + name), kErrorSuccess);
    }
    TestKey key(Api(), kCurrentUser, RunPath(), kKeyRead);
    ASSERT_EQ(key.OpenResult(), kErrorSuccess);
    const auto first = SubkeyNames(Api(), key.Get());
    EXPECT_EQ(first, (std::vector<std::string>{"alpha", "Bravo", "Charlie", "delta"}));
    EXPECT_EQ(SubkeyNames(Api(), key.Get()), first);
}

TEST_P(RegistryApiContractTest, PathsNamesAndKeysFollowTheRegistrysRules) {
    RegistryHandle key = 0;
    EXPECT_EQ(Api().OpenKey(kCurrentUser, Scratch("None").c_str(), kKeyRead, &key),
              kErrorFileNotFound);
    EXPECT_EQ(Api().OpenKey(kCurrentUser, ("\\" + RunPath()).c_str(), kKeyRead, &key),
              kErrorBadPathname);
    EXPECT_TRUE(
        KeyPresent(Scratch() + "\\\\RUN\\"));  // repeated and trailing backslashes, any case

    EXPECT_EQ(Api().DeleteKey(kCurrentUser, Scratch().c_str()), kErrorAccessDenied);  // has Run
    EXPECT_EQ(Api().DeleteKey(kCurrentUser, Scratch("None").c_str()), kErrorFileNotFound);

    TestKey readOnly(Api(), kCurrentUser, RunPath(), kKeyRead);
    ASSERT_EQ(readOnly.OpenResult(), kErrorSuccess);
    const std::uint8_t data[1] = {1};
    EXPECT_EQ(Api().SetValue(readOnly.Get(), "Value", kRegBinary, data, 1), kErrorAccessDenied);
    TestKey writable(Api(), kCurrentUser, RunPath(), kKeyWrite);
    ASSERT_EQ(writable.OpenResult(), kErrorSuccess);
    EXPECT_EQ(Api().SetValue(writable.Get(), "Value", kRegBinary, data, 1), kErrorSuccess);
    EXPECT_EQ(ReadRaw(RunPath(), "VALUE").data, "\x01");
    EXPECT_EQ(Api().DeleteValue(writable.Get(), "Missing"), kErrorFileNotFound);
}

TEST_P(RegistryApiContractTest, ALocalConnectionIsTheRootItselfAndUnknownComputersFail) {
    RegistryHandle connected = 0;
    EXPECT_EQ(Api().ConnectRegistry(nullptr, kCurrentUser, &connected), kErrorSuccess);
    EXPECT_EQ(connected, kCurrentUser);
    EXPECT_EQ(Api().ConnectRegistry("", kCurrentUser, &connected), kErrorSuccess);
    EXPECT_EQ(connected, kCurrentUser);
    TestKey scratch(Api(), kCurrentUser, Scratch());
    ASSERT_EQ(scratch.OpenResult(), kErrorSuccess);
    EXPECT_EQ(Api().ConnectRegistry(nullptr, scratch.Get(), &connected), kErrorSuccess);
    EXPECT_EQ(connected, scratch.Get());
    EXPECT_EQ(Api().ConnectRegistry("\\\\NoSuchKestrovaHost", kCurrentUser, &connected),
              kErrorBadNetPath);
}

TEST_P(RegistryApiContractTest, ExpansionReportsTheSizeItNeedsWithItsNul) {
    Backend().SetVariable("KESTROVA_TEST_WORD", "word");
    char small[4] = {};
    EXPECT_EQ(Api().ExpandEnvironmentText("<%KESTROVA_TEST_WORD%>", small, sizeof small), 7u);
    char large[32] = {};
    EXPECT_EQ(Api().ExpandEnvironmentText("<%kestrova_test_word%>", large, sizeof large), 7u);
    EXPECT_EQ(std::string(large), "<word>");
    EXPECT_EQ(Api().ExpandEnvironmentText("%KESTROVA_TEST_UNSET%", large, sizeof large), 22u);
    EXPECT_EQ(std::string(large), "%KESTROVA_TEST_UNSET%");
}

}  // namespace
}  // namespace kestrova::testing
