#include <memory>
#include <string>
#include <vector>

#include "tests/support/fakes/MemoryRegistry.h"
#include "tests/unit/registry/RegistryTestSupport.h"

// The native run: the shared tests against the in-memory registry, and what
// only a registry that counts keys and fails on request can show.

namespace kestrova::testing {
namespace {

using namespace std::string_literals;
using Call = MemoryRegistry::Call;

class MemoryBackend final : public RegistryBackend {
  public:
    RegistryApi& Api() override { return registry; }
    void SetVariable(const std::string& name, const std::string& value) override {
        registry.SetVariable(name, value);
    }
    std::optional<KeyCounts> Counts() const override {
        return KeyCounts{registry.KeysOpenNow(), registry.InvalidCloses()};
    }

    MemoryRegistry registry;
};

std::unique_ptr<RegistryBackend> MakeMemoryBackend() {
    return std::make_unique<MemoryBackend>();
}

std::string MemoryName(const ::testing::TestParamInfo<RegistryBackendFactory>& /*info*/) {
    return "memory";
}

INSTANTIATE_TEST_SUITE_P(registry, RegistryRoutinesTest, ::testing::Values(&MakeMemoryBackend),
                         MemoryName);
INSTANTIATE_TEST_SUITE_P(registry, RegistryApiContractTest, ::testing::Values(&MakeMemoryBackend),
                         MemoryName);

class MemoryRegistryRoutinesTest : public RegistryTest {
  protected:
    MemoryRegistry& Memory() { return static_cast<MemoryBackend&>(Backend()).registry; }

    // The buffer sizes the calls of one kind brought, in order.
    std::vector<std::uint32_t> BufferSizes(Call call) {
        std::vector<std::uint32_t> sizes;
        for (const auto& record : Memory().Calls()) {
            if (record.call == call) {
                sizes.push_back(record.bufferSize);
            }
        }
        return sizes;
    }

    void ExpectEveryKeyClosed() {
        EXPECT_EQ(Memory().KeysOpenNow(), 0u);
        EXPECT_EQ(Memory().KeysOpened(), Memory().KeysClosed());
        EXPECT_EQ(Memory().InvalidCloses(), 0u);
    }
};

INSTANTIATE_TEST_SUITE_P(registry, MemoryRegistryRoutinesTest,
                         ::testing::Values(&MakeMemoryBackend), MemoryName);

TEST_P(MemoryRegistryRoutinesTest, EveryKeyOpenedIsClosedWhenACallFailsAfterTheOpen) {
    ASSERT_TRUE(routines->SetRegistryValue("Kestrova", "x", kRegSz));
    ASSERT_EQ(CreateRaw(Scratch("Run\\One")), kErrorSuccess);
    ASSERT_EQ(CreateRaw(Scratch("Run\\Two")), kErrorSuccess);
    ASSERT_TRUE(routines->SetRegistryValue("Second", 2, kRegDword));
    const std::size_t opened = Memory().KeysOpened();

    Memory().FailCall(Call::QueryValue, kErrorAccessDenied);
    EXPECT_EQ(routines->GetRegistryValue("Kestrova", "fallback"), Variant("fallback"));
    Memory().FailCall(Call::SetValue, kErrorAccessDenied);
    EXPECT_FALSE(routines->SetRegistryValue("Kestrova", "y", kRegSz));
    Memory().FailCall(Call::DeleteValue, kErrorAccessDenied);
    EXPECT_EQ(routines->DeleteValue("Kestrova"), kErrorAccessDenied);
    Memory().FailCall(Call::QueryValue, kErrorAccessDenied);
    EXPECT_EQ(routines->ReadRemoteRegistryValue("", kHkeyCurrentUser, "Kestrova"), Variant());
    Memory().FailCall(Call::SetValue, kErrorAccessDenied);
    EXPECT_FALSE(routines->WriteRemoteRegistryValue("", kHkeyCurrentUser, "Kestrova", "y", kRegSz));

    // An enumeration that fails part-way gives what it found so far.
    Memory().FailCall(Call::EnumKey, kErrorAccessDenied, 1);
    EXPECT_EQ(routines->EnumRegistryKeys(kHkeyCurrentUser, RunPath()).Items(),
              std::vector<std::string>{"One"});
    Memory().FailCall(Call::EnumValue, kErrorAccessDenied, 1);
    const auto values = routines->EnumRegistryValues(kHkeyCurrentUser, RunPath());
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0][0], Variant("Kestrova"));

    EXPECT_EQ(Memory().KeysOpened(), opened + 7);
    ExpectEveryKeyClosed();
    EXPECT_EQ(routines->GetRegistryValue("Kestrova"), Variant("x"));
}

TEST_P(MemoryRegistryRoutinesTest, EveryKeyOpenedIsClosedOnTheOtherPathsToo) {
    ASSERT_TRUE(routines->SetRegistryValue("Kestrova", "x", kRegSz));
    EXPECT_TRUE(routines->KeyExists());
    EXPECT_EQ(routines->CreateKey(), "0");
    EXPECT_EQ(routines->DeleteValue("Missing"), kErrorFileNotFound);
    EXPECT_EQ(routines->EnumRegistryKeys(kHkeyCurrentUser, Scratch()).Count(), 1u);
    routines->SubKey("Missing");
    EXPECT_FALSE(routines->KeyExists());
    EXPECT_FALSE(routines->SetRegistryValue("Kestrova", "y", kRegSz));
    EXPECT_EQ(routines->ReadRemoteRegistryValue("NoSuchHost", kHkeyCurrentUser, "Kestrova"),
              Variant("Error!"));
    ExpectEveryKeyClosed();

    // A real remote connection is a key of its own, closed after the key below it.
    Memory().AddReachableComputer("FARAWAY");
    routines->SubKey("Run");
    const std::size_t opened = Memory().KeysOpened();
    Memory().ClearCalls();
    EXPECT_EQ(routines->ReadRemoteRegistryValue("\\\\faraway", kHkeyCurrentUser, "Kestrova"),
              Variant("x"));
    EXPECT_EQ(Memory().KeysOpened(), opened + 2);
    EXPECT_TRUE(
        routines->WriteRemoteRegistryValue("FARAWAY", kHkeyCurrentUser, "Kestrova", "z", kRegSz));
    EXPECT_EQ(
        routines->ReadRemoteRegistryValue("FARAWAY", kHkeyCurrentUser, "Kestrova", Scratch("None")),
        Variant());
    EXPECT_EQ(Memory().KeysOpened(), opened + 5);
    EXPECT_EQ(Memory().CallCount(Call::CloseKey), 5u);
    ExpectEveryKeyClosed();
}

TEST_P(MemoryRegistryRoutinesTest, ReadsRetryOnceWithABufferOfExactlyTheReportedSize) {
    const std::string fits(1023, 'f');  // with its NUL: 1024 bytes
    const std::string over(1024, 'o');  // 1025 bytes
    ASSERT_TRUE(routines->SetRegistryValue("Fits", fits, kRegSz));
    ASSERT_TRUE(routines->SetRegistryValue("Over", over, kRegSz));
    Memory().ClearCalls();
    EXPECT_EQ(routines->GetRegistryValue("Fits"), Variant(fits));
    EXPECT_EQ(BufferSizes(Call::QueryValue), (std::vector<std::uint32_t>{1024}));
    Memory().ClearCalls();
    EXPECT_EQ(routines->GetRegistryValue("Over"), Variant(over));
    EXPECT_EQ(BufferSizes(Call::QueryValue), (std::vector<std::uint32_t>{1024, 1025}));

    ASSERT_EQ(CreateRaw(Scratch("Big")), kErrorSuccess);
    ASSERT_EQ(WriteRaw(Scratch("Big"), "Fits", kRegBinary, std::string(4096, 'f')), kErrorSuccess);
    ASSERT_EQ(WriteRaw(Scratch("Big"), "Over", kRegBinary, std::string(4097, 'o')), kErrorSuccess);
    Memory().ClearCalls();
    const auto entries = routines->EnumRegistryValues(kHkeyCurrentUser, Scratch("Big"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1][1].Text()->size(), 4097u * 3 - 1);
    // Fits, Over, Over again, and the end.
    EXPECT_EQ(BufferSizes(Call::EnumValue), (std::vector<std::uint32_t>{4096, 4096, 4097, 4096}));
}

TEST_P(MemoryRegistryRoutinesTest, DataThatGrowsBetweenTheTwoReadsIsNotReadPastItsBuffer) {
    ASSERT_TRUE(routines->SetRegistryValue("Growing", std::string(2000, 'g'), kRegSz));
    const std::string path = RunPath();
    Memory().ClearCalls();
    Memory().BeforeCall(Call::QueryValue, [this, path] {
        if (Memory().CallCount(Call::QueryValue) == 2) {
            WriteRaw(path, "Growing", kRegSz, std::string(3000, 'G'));
        }
    });
    EXPECT_EQ(routines->GetRegistryValue("Growing", "fallback"), Variant("fallback"));
    Memory().BeforeCall(Call::QueryValue, [] {});

    ASSERT_TRUE(routines->SetRegistryValue("Growing", std::string(5000, 'g'), kRegSz));
    ASSERT_TRUE(routines->SetRegistryValue("Later", "l", kRegSz));
    Memory().ClearCalls();
    Memory().BeforeCall(Call::EnumValue, [this, path] {
        if (Memory().CallCount(Call::EnumValue) == 2) {
            WriteRaw(path, "Growing", kRegSz, std::string(6000, 'G'));
        }
    });
    // The enumeration ends at the failed entry.
    EXPECT_TRUE(routines->EnumRegistryValues(kHkeyCurrentUser, path).empty());
}

TEST_P(MemoryRegistryRoutinesTest, AFailedExpansionLeavesTheTextUnexpanded) {
    Memory().SetVariable("KESTROVA_TEST_DIR", "C:\\Data");
    ASSERT_TRUE(routines->SetRegistryValue("Path", "%KESTROVA_TEST_DIR%\\bin", kRegExpandSz));
    Memory().FailCall(Call::ExpandEnvironmentText, 0);
    EXPECT_EQ(routines->GetRegistryValue("Path"), Variant("%KESTROVA_TEST_DIR%\\bin"));
    EXPECT_EQ(routines->GetRegistryValue("Path"), Variant("C:\\Data\\bin"));
}

TEST_P(MemoryRegistryRoutinesTest, RootKeysAreUsedSignExtended) {
    EXPECT_EQ(WidenKey(kHkeyCurrentUser), static_cast<RegistryHandle>(0xFFFFFFFF80000001ull));
    EXPECT_EQ(WidenKey(0x1A4), static_cast<RegistryHandle>(0x1A4));
    // The same root widened without its sign is no key at all.
    RegistryHandle key = 0;
    EXPECT_EQ(Memory().OpenKey(0x80000001ull, RunPath().c_str(), kKeyRead, &key),
              kErrorInvalidHandle);
    routines->hKey(kHkeyLocalMachine);
    EXPECT_FALSE(routines->KeyExists());
    routines->hKey(kHkeyCurrentUser);
    EXPECT_TRUE(routines->KeyExists());
}

TEST_P(MemoryRegistryRoutinesTest, VariantConvertsTextsIntegersAndBytes) {
    EXPECT_EQ(Variant().ToText(), "");
    EXPECT_EQ(Variant(-5).ToText(), "-5");
    EXPECT_EQ(Variant(ByteArray{'h', 0, 'i'}).ToText(), "h\0i"s);
    EXPECT_EQ(Variant("ab").ToBytes(), ByteArray({'a', 'b'}));
    EXPECT_EQ(Variant().ToBytes(), ByteArray{});
    EXPECT_EQ(Variant(1).ToBytes(), std::nullopt);
    EXPECT_EQ(Variant(" -42 ").ToInteger(), -42);
    EXPECT_EQ(Variant("+7").ToInteger(), 7);
    EXPECT_EQ(Variant("2147483647").ToInteger(), 2147483647);
    EXPECT_EQ(Variant().ToInteger(), 0);
    for (const char* text : {"", "4x", "2147483648", "+-1", "0x10", " "}) {
        EXPECT_EQ(Variant(text).ToInteger(), std::nullopt) << text;
    }
    EXPECT_EQ(Variant(ByteArray{1, 2, 3, 4}).ToInteger(), std::nullopt);
    EXPECT_EQ(Describe(Variant("a\0b"s)), "\"a\\0b\"");
    EXPECT_EQ(Describe(Variant(ByteArray{0x0A, 0xFF})), "bytes {0A FF}");
    EXPECT_NE(Variant("1"), Variant(1));
}

}  // namespace
}  // namespace kestrova::testing
