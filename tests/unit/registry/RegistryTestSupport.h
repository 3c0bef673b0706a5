#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/registry/RegistryApi.h"
#include "platform/registry/RegistryRoutines.h"
#include "platform/registry/Variant.h"

namespace kestrova {

// Lets GoogleTest show values in failure messages.
void PrintTo(const Variant& value, std::ostream* os);

namespace testing {

// A registry the shared tests run against: the in-memory one natively, the
// real one under Wine.
class RegistryBackend {
  public:
    struct KeyCounts {
        std::size_t openNow = 0;
        std::size_t invalidCloses = 0;
    };

    virtual ~RegistryBackend() = default;
    virtual RegistryApi& Api() = 0;
    // Sets a variable of the environment that expansions see.
    virtual void SetVariable(const std::string& name, const std::string& value) = 0;
    // Keys left open and bad closes, when the backend can count them.
    virtual std::optional<KeyCounts> Counts() const = 0;
};

using RegistryBackendFactory = std::unique_ptr<RegistryBackend> (*)();

// Deletes a key with all its subkeys: the last RegDeleteKeyA's result.
RegistryResult DeleteKeyTree(RegistryApi& api, RegistryHandle root, const std::string& path);

// The data of one value read straight from the registry.
struct RawValue {
    RegistryResult result = kErrorFileNotFound;
    std::uint32_t type = 0;
    std::string data;
};

// Each test works in a scratch key of its own under HKEY_CURRENT_USER,
// Software\KestrovaTest\<unique>, with an instance aimed at its subkey Run;
// the scratch key is removed afterwards and, where the backend can tell,
// every key is closed.
class RegistryTest : public ::testing::TestWithParam<RegistryBackendFactory> {
  protected:
    void SetUp() override;
    void TearDown() override;

    RegistryBackend& Backend() { return *backend_; }
    RegistryApi& Api() { return backend_->Api(); }

    // A path below the scratch key ("" for the scratch key itself).
    std::string Scratch(const std::string& below = {}) const;
    // Scratch("Run"): the key the instance's value operations act on.
    std::string RunPath() const { return Scratch("Run"); }

    // Straight calls, not through the class. `count` bytes of `bytes` are
    // written (all when not given).
    RegistryResult CreateRaw(const std::string& path, const char* keyClass = "");
    RegistryResult WriteRaw(const std::string& path, const std::string& name, std::int32_t type,
                            const std::string& bytes, std::optional<std::uint32_t> count = {});
    RawValue ReadRaw(const std::string& path, const std::string& name);
    bool KeyPresent(const std::string& path);

    std::unique_ptr<RegistryRoutines> routines;

  private:
    std::unique_ptr<RegistryBackend> backend_;
    std::string scratch_;
};

// The behaviour of the registry class, and the parts of the API's behaviour
// the class relies on (which the in-memory registry has to share with the
// real one). Each test executable instantiates both for its backend.
class RegistryRoutinesTest : public RegistryTest {};
class RegistryApiContractTest : public RegistryTest {};

// A key opened straight through the API for a test, closed when it ends.
class TestKey {
  public:
    TestKey(RegistryApi& api, RegistryHandle root, const std::string& path,
            std::uint32_t access = kKeyAllAccess);
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    RegistryResult OpenResult() const { return openResult_; }
    RegistryHandle Get() const { return handle_; }
    // The handle as the 32 bits the class keeps.
    std::int32_t Narrow() const { return static_cast<std::int32_t>(handle_); }

  private:
    RegistryApi& api_;
    RegistryHandle handle_ = 0;
    RegistryResult openResult_ = kErrorInvalidHandle;
};

// The converted data of the value `name` in an enumeration, if it is there.
std::optional<Variant> FindEntry(const std::vector<RegistryValueEntry>& entries,
                                 const std::string& name);

ByteArray BytesOf(const std::string& text);

}  // namespace testing
}  // namespace kestrova
