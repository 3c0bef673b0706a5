// The shared registry tests against the real registry through advapi32.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/Win32RegistryApi.h"
#include "tests/unit/registry/RegistrySuite.h"

namespace kestrova::testing {
namespace {

// The real registry does not say how many keys a process holds open; the
// test's keys are removed, and their parent when no other run still uses it.
const RegistryBackend kAdvapi32{
    "advapi32", [] { return std::unique_ptr<RegistryApi>(std::make_unique<Win32RegistryApi>()); },
    [](RegistryApi& /*api*/, const std::string& scratch) {
        EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, scratch.c_str()), ERROR_SUCCESS);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KestrovaTest");
    }};

INSTANTIATE_TEST_SUITE_P(registry, RegistryTest, ::testing::Values(kAdvapi32), BackendName);

// The root keys kept in 32 bits widen to the handles the Windows headers define.
TEST(RootKeys, WidenToTheHandlesTheWindowsHeadersDefine) {
    EXPECT_EQ(WidenKey(kHkeyClassesRoot), reinterpret_cast<RegistryHandle>(HKEY_CLASSES_ROOT));
    EXPECT_EQ(WidenKey(kHkeyCurrentUser), reinterpret_cast<RegistryHandle>(HKEY_CURRENT_USER));
    EXPECT_EQ(WidenKey(kHkeyLocalMachine), reinterpret_cast<RegistryHandle>(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(WidenKey(kHkeyUsers), reinterpret_cast<RegistryHandle>(HKEY_USERS));
}

}  // namespace
}  // namespace kestrova::testing
