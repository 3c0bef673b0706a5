#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

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

inline std::string BackendName(const ::testing::TestParamInfo<RegistryBackend>& info) {
    return info.param.name;
}

// Each test works in a scratch key of its own below
// HKCU\Software\KestrovaTest, with `routines` aimed at its subkey Run.
class RegistryTest : public ::testing::TestWithParam<RegistryBackend> {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string Scratch(const std::string& below = {}) const { return scratch_ + below; }
    RegistryResult CreateRaw(const std::string& path, const char* keyClass = "");
    // A key of the scratch key opened straight through the API (0 when it
    // cannot be), closed when the test ends.
    RegistryHandle OpenRaw(const std::string& below, std::uint32_t access);
    // Straight writes and reads of a value of the Run key, not through the class.
    RegistryResult WriteRaw(const std::string& name, std::int32_t type, const std::string& bytes);
    std::optional<std::string> ReadRaw(const std::string& name);

    std::unique_ptr<RegistryApi> api;
    std::unique_ptr<RegistryRoutines> routines;

  private:
    std::string scratch_;
    std::vector<RegistryHandle> opened_;
};

}  // namespace testing
}  // namespace kestrova
