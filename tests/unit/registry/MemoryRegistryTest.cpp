// The shared registry tests against the in-memory registry, and what only a
// registry that counts keys and fails on request can show.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/fakes/MemoryRegistry.h"
#include "tests/unit/registry/RegistrySuite.h"

namespace kestrova::testing {
namespace {

using Call = MemoryRegistry::Call;

// A registry of its own for each test, which only has to show every key closed.
const RegistryBackend kMemory{
    "memory", [] { return std::unique_ptr<RegistryApi>(std::make_unique<MemoryRegistry>()); },
    [](RegistryApi& api, const std::string& /*scratch*/) {
        EXPECT_EQ(static_cast<MemoryRegistry&>(api).KeysOpenNow(), 0u) << "keys left open";
    }};

INSTANTIATE_TEST_SUITE_P(registry, RegistryTest, ::testing::Values(kMemory), BackendName);

class MemoryRegistryTest : public RegistryTest {
  protected:
    MemoryRegistry& Memory() { return static_cast<MemoryRegistry&>(*api); }
};

INSTANTIATE_TEST_SUITE_P(registry, MemoryRegistryTest, ::testing::Values(kMemory), BackendName);

// Whichever call fails, every key an operation opened is closed; a listing
// that fails part-way ends there with what it found.
TEST_P(MemoryRegistryTest, EveryKeyOpenedIsClosedWhenACallFails) {
    ASSERT_TRUE(routines->SetRegistryValue("First", "%PATH%", kRegExpandSz));
    ASSERT_TRUE(routines->SetRegistryValue("Second", 2, kRegDword));
    ASSERT_EQ(CreateRaw(Scratch("\\Run\\One")), kErrorSuccess);
    ASSERT_EQ(CreateRaw(Scratch("\\Run\\Two")), kErrorSuccess);
    RegistryRoutines& r = *routines;
    const std::string run = Scratch("\\Run");
    const std::function<void()> operations[] = {
        [&] { r.GetRegistryValue("First"); },
        [&] { r.SetRegistryValue("First", "y", kRegSz); },
        [&] { r.DeleteValue("Second"); },
        [&] { r.ReadRemoteRegistryValue("", kHkeyCurrentUser, "First"); },
        [&] { r.WriteRemoteRegistryValue("", kHkeyCurrentUser, "First", "y", kRegSz); },
        [&] { r.EnumRegistryKeys(kHkeyCurrentUser, run); },
        [&] { r.EnumRegistryValues(kHkeyCurrentUser, run); },
    };
    for (const Call call : {Call::QueryValue, Call::SetValue, Call::DeleteValue, Call::EnumKey,
                            Call::EnumValue, Call::Expand}) {
        for (const auto& operation : operations) {
            Memory().FailCall(call, kErrorAccessDenied);
            operation();
            EXPECT_EQ(Memory().KeysOpenNow(), 0u) << static_cast<int>(call);
        }
    }
    Memory().FailCall(Call::EnumKey, kErrorAccessDenied, 1);
    EXPECT_EQ(r.EnumRegistryKeys(kHkeyCurrentUser, run).Items(), std::vector<std::string>{"One"});
    Memory().FailCall(Call::EnumValue, kErrorInvalidHandle, 1);
    EXPECT_EQ(r.EnumRegistryValues(kHkeyCurrentUser, run).size(), 1u);
}

// The class opens a key for reading only when it only reads it.
TEST_P(MemoryRegistryTest, AKeyThatGrantsOnlyReadingCanBeReadAndListed) {
    ASSERT_TRUE(routines->SetRegistryValue("Kestrova", "x", kRegSz));
    ASSERT_EQ(CreateRaw(Scratch("\\Run\\Sub")), kErrorSuccess);
    Memory().DenyWrite(kCurrentUser, Scratch("\\Run"));
    EXPECT_EQ(OpenRaw("\\Run", kKeySetValue), 0u);
    EXPECT_NE(OpenRaw("\\Run", kKeyRead), 0u);
    EXPECT_TRUE(routines->KeyExists());
    EXPECT_EQ(routines->GetRegistryValue("Kestrova"), Variant("x"));
    EXPECT_EQ(routines->EnumRegistryKeys(kHkeyCurrentUser, Scratch("\\Run")).Count(), 1u);
    EXPECT_EQ(routines->EnumRegistryValues(kHkeyCurrentUser, Scratch("\\Run")).size(), 1u);
    EXPECT_FALSE(routines->SetRegistryValue("Kestrova", "y", kRegSz));
    EXPECT_EQ(routines->DeleteValue("Kestrova"), kErrorAccessDenied);
}

TEST(JoinKeyPath, JoinsWithExactlyOneBackslash) {
    for (const char* root : {"Software", "Software\\", "Software\\\\"}) {
        for (const char* subKey : {"Run", "\\Run", "\\\\Run"}) {
            EXPECT_EQ(JoinKeyPath(root, subKey), "Software\\Run") << root << " + " << subKey;
        }
    }
}

}  // namespace
}  // namespace kestrova::testing
