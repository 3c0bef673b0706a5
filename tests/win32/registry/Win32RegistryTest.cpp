#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/Win32RegistryApi.h"
#include "tests/unit/registry/RegistryTestSupport.h"

// The Wine run: the shared tests against the real registry through advapi32.

namespace kestrova::testing {
namespace {

class Win32Backend final : public RegistryBackend {
  public:
    RegistryApi& Api() override { return api_; }
    void SetVariable(const std::string& name, const std::string& value) override {
        SetEnvironmentVariableA(name.c_str(), value.c_str());
    }
    // The real registry does not say how many keys a process holds open.
    std::optional<KeyCounts> Counts() const override { return std::nullopt; }

  private:
    Win32RegistryApi api_;
};

std::unique_ptr<RegistryBackend> MakeWin32Backend() {
    return std::make_unique<Win32Backend>();
}

std::string Advapi32Name(const ::testing::TestParamInfo<RegistryBackendFactory>& /*info*/) {
    return "advapi32";
}

INSTANTIATE_TEST_SUITE_P(registry, RegistryRoutinesTest, ::testing::Values(&MakeWin32Backend),
                         Advapi32Name);
INSTANTIATE_TEST_SUITE_P(registry, RegistryApiContractTest, ::testing::Values(&MakeWin32Backend),
                         Advapi32Name);

class Win32RegistryRoutinesTest : public RegistryTest {};

INSTANTIATE_TEST_SUITE_P(registry, Win32RegistryRoutinesTest, ::testing::Values(&MakeWin32Backend),
                         Advapi32Name);

TEST_P(Win32RegistryRoutinesTest, RootKeysWidenToTheHandlesTheWindowsHeadersDefine) {
    EXPECT_EQ(WidenKey(kHkeyClassesRoot), reinterpret_cast<RegistryHandle>(HKEY_CLASSES_ROOT));
    EXPECT_EQ(WidenKey(kHkeyCurrentUser), reinterpret_cast<RegistryHandle>(HKEY_CURRENT_USER));
    EXPECT_EQ(WidenKey(kHkeyLocalMachine), reinterpret_cast<RegistryHandle>(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(WidenKey(kHkeyUsers), reinterpret_cast<RegistryHandle>(HKEY_USERS));

    // What the class writes is what a plain advapi32 caller reads.
    ASSERT_TRUE(routines->SetRegistryValue("Kestrova", "C:\\Kestrova\\Kestrova.exe /T", kRegSz));
    char text[64] = {};
    DWORD size = sizeof text;
    DWORD type = 0;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, RunPath().c_str(), "Kestrova", RRF_RT_REG_SZ, &type,
                           text, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(text), "C:\\Kestrova\\Kestrova.exe /T");
    EXPECT_EQ(size, 28u);  // 27 characters and one NUL
}

}  // namespace
}  // namespace kestrova::testing
