#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/registry/RegistryApi.h"

namespace kestrova::testing {

// A registry in memory with the real one's result codes and the parts of its
// behaviour the registry class relies on: the predefined roots only as their
// sign-extended 64-bit values; names compared without regard to case; paths
// that may not begin with a backslash but may repeat or end with one; a
// value stores exactly the bytes it is given; a read into a short buffer
// fails with ERROR_MORE_DATA and reports the size needed; subkeys enumerate
// in name order and values in the order they were first written; handles
// carry their access rights; a key with subkeys cannot be deleted; a local
// "connection" gives back the root handle it was given.
//
// It counts the keys it hands out and closes, and can fail any call, so that
// tests can prove every key opened is closed, on failure paths too.
class MemoryRegistry final : public RegistryApi {
  public:
    enum class Call {
        OpenKey,
        CreateKey,
        DeleteKey,
        QueryValue,
        SetValue,
        DeleteValue,
        EnumKey,
        EnumValue,
        ConnectRegistry,
        CloseKey,
        ExpandEnvironmentText,
    };

    // One call as it arrived, with the buffer size it brought (data bytes for
    // QueryValue and EnumValue, characters for ExpandEnvironmentText).
    struct CallRecord {
        Call call{};
        std::uint32_t bufferSize = 0;
    };

    MemoryRegistry();

    // The local computer's name (a connection to it, to "\\" and the name, to
    // "" or to null is local); other computers that can be reached, whose
    // connections give a fresh handle on the same tree; any other name fails
    // with ERROR_BAD_NETPATH.
    void SetLocalComputerName(const std::string& name) { computerName_ = name; }
    void AddReachableComputer(const std::string& name);

    // The environment that ExpandEnvironmentText sees.
    void SetVariable(const std::string& name, const std::string& value);

    // The next call of that kind after `skip` more of them fails with `code`
    // (0 from ExpandEnvironmentText), once.
    void FailCall(Call call, RegistryResult code, std::uint32_t skip = 0);

    // Runs before every call of that kind (to change the registry between
    // two calls of an operation, say).
    void BeforeCall(Call call, std::function<void()> action);

    std::size_t KeysOpened() const { return keysOpened_; }
    std::size_t KeysClosed() const { return keysClosed_; }
    std::size_t KeysOpenNow() const { return handles_.size(); }
    // Closes of handles that were not open (never handed out, or closed already).
    std::size_t InvalidCloses() const { return invalidCloses_; }

    const std::vector<CallRecord>& Calls() const { return calls_; }
    std::size_t CallCount(Call call) const;
    void ClearCalls() { calls_.clear(); }

    RegistryResult OpenKey(RegistryHandle key, const char* subKey, std::uint32_t access,
                           RegistryHandle* result) override;
    RegistryResult CreateKey(RegistryHandle key, const char* subKey, const char* keyClass,
                             std::uint32_t options, std::uint32_t access,
                             const RegistrySecurityAttributes* securityAttributes,
                             RegistryHandle* result, std::uint32_t* disposition) override;
    RegistryResult DeleteKey(RegistryHandle key, const char* subKey) override;
    RegistryResult QueryValue(RegistryHandle key, const char* valueName, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) override;
    RegistryResult SetValue(RegistryHandle key, const char* valueName, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) override;
    RegistryResult DeleteValue(RegistryHandle key, const char* valueName) override;
    RegistryResult EnumKey(RegistryHandle key, std::uint32_t index, char* name,
                           std::uint32_t* nameSize, char* keyClass, std::uint32_t* classSize,
                           RegistryFileTime* lastWriteTime) override;
    RegistryResult EnumValue(RegistryHandle key, std::uint32_t index, char* name,
                             std::uint32_t* nameSize, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* dataSize) override;
    RegistryResult ConnectRegistry(const char* computerName, RegistryHandle key,
                                   RegistryHandle* result) override;
    RegistryResult CloseKey(RegistryHandle key) override;
    std::uint32_t ExpandEnvironmentText(const char* source, char* destination,
                                        std::uint32_t size) override;

  private:
    struct Value {
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    struct Key {
        std::string name;
        std::string keyClass;
        std::weak_ptr<Key> parent;
        std::map<std::string, std::shared_ptr<Key>> subkeys;  // by upper-case name
        std::vector<Value> values;                            // in the order first written
        std::uint64_t lastWriteTime = 0;
        bool deleted = false;
    };
    struct OpenHandle {
        std::shared_ptr<Key> key;
        std::uint32_t access = 0;
    };
    struct Failure {
        std::uint32_t skip = 0;
        RegistryResult code = 0;
    };

    // Records the call, runs its action and reports an injected failure.
    bool Arrive(Call call, std::uint32_t bufferSize, RegistryResult& failure);
    // The key and rights behind a handle; kErrorSuccess or why not.
    RegistryResult Resolve(RegistryHandle handle, OpenHandle& resolved) const;
    // The key `subKey` names below `key` (its root handle in `parent`).
    RegistryResult FindKey(RegistryHandle key, const char* subKey, OpenHandle& parent,
                           std::shared_ptr<Key>& found) const;
    // Splits a relative path; false when it is not a valid one.
    static bool SplitPath(const char* path, std::vector<std::string>& names);
    RegistryHandle NewHandle(const std::shared_ptr<Key>& key, std::uint32_t access);
    static Value* FindValue(Key& key, const char* name);
    void Touch(Key& key) { key.lastWriteTime = ++clock_; }

    std::map<RegistryHandle, std::shared_ptr<Key>> roots_;
    std::map<RegistryHandle, OpenHandle> handles_;
    RegistryHandle nextHandle_ = 0x100;
    std::size_t keysOpened_ = 0;
    std::size_t keysClosed_ = 0;
    std::size_t invalidCloses_ = 0;
    std::uint64_t clock_ = 0;

    std::string computerName_ = "KESTROVA-PC";
    std::set<std::string> reachableComputers_;  // upper case
    std::map<std::string, std::pair<std::string, std::string>>
        environment_;  // upper-case name -> name, value

    std::map<Call, Failure> failures_;
    std::map<Call, std::function<void()>> actions_;
    std::vector<CallRecord> calls_;
};

}  // namespace kestrova::testing
