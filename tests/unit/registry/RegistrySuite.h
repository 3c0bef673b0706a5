#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "platform/registry/RegistryRoutines.h"

namespace kestrova {

inline void PrintTo(const Variant& value, std::ostream* os) {
    *os << Describe(value);
}

namespace testing {

inline const RegistryHandle kCurrentUser = WidenKey(kHkeyCurrentUser);

// The registry the shared tests run against: the in-memory one natively,
// advapi32 under Wine.
struct RegistryBackend {
    const char* name;  // the suffix of the test names
    std::unique_ptr<RegistryApi> (*make)();
    // Ends a test that worked below `scratch`: removes it from a lasting
    // registry, or checks that every key was closed.
    void (*finish)(RegistryApi&, const std::string& scratch);
};

inline void PrintTo(const RegistryBackend& backend, std::ostream* os) {
    *os << backend.name;
}
inline std::string BackendName(const ::testing::TestParamInfo<RegistryBackend>& info) {
    return info.param.name;
}

// A key opened straight through the API, closed when the test is done with it.
struct TestKey {
    TestKey(RegistryApi& registry, const std::string& path, std::uint32_t access = kKeyAllAccess)
        : api(registry), result(api.OpenKey(kCurrentUser, path.c_str(), access, &handle)) {}
    ~TestKey() {
        if (result == kErrorSuccess) {
            api.CloseKey(handle);
        }
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    RegistryApi& api;
    RegistryHandle handle = 0;
    RegistryResult result;
};

// Each test works in a scratch key of its own below
// HKCU\Software\KestrovaTest, with `routines` aimed at its subkey Run.
class RegistryTest : public ::testing::TestWithParam<RegistryBackend> {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string Scratch(const std::string& below = {}) const { return scratch_ + below; }
    RegistryResult CreateRaw(const std::string& path, const char* keyClass = "");
    // Straight writes and reads of a value of the Run key, not through the class.
    RegistryResult WriteRaw(const std::string& name, std::int32_t type, const std::string& bytes);
    std::optional<std::string> ReadRaw(const std::string& name);

    std::unique_ptr<RegistryApi> api;
    std::unique_ptr<RegistryRoutines> routines;

  private:
    std::string scratch_;
};

}  // namespace testing
}  // namespace kestrova
