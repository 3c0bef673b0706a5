#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/RegistryApi.h"
#include "platform/registry/Variant.h"

namespace kestrova {

// Subkey names in the order the registry gave them, each also found by its
// name (without regard to case, as the registry compares key names).
class KeyCollection {
  public:
    // False, and nothing added, when a key of that name is already there.
    bool Add(const std::string& name);

    std::size_t Count() const { return items_.size(); }
    const std::vector<std::string>& Items() const { return items_; }
    bool Contains(const std::string& key) const;
    // The item added under `key`, or null.
    const std::string* Find(const std::string& key) const;

  private:
    std::vector<std::string> items_;
    std::map<std::string, std::size_t> positions_;  // upper-case name -> index in items_
};

// One value of an enumeration: its name, and its data converted by type.
using RegistryValueEntry = std::array<Variant, 2>;

// The registry class: a root key (`hKey`), a key path below it (`KeyRoot`)
// and one more level (`SubKey`). The value operations act on the key
// KeyRoot\SubKey under hKey. Every key an operation opens is closed before it
// returns; keys handed in by the caller are never closed. Nothing is thrown:
// failures show in the results.
class RegistryRoutines {
  public:
    explicit RegistryRoutines(RegistryApi& api) : api_(api) {}

    std::int32_t hKey() const { return hKey_; }
    void hKey(std::int32_t vData) { hKey_ = vData; }
    const std::string& KeyRoot() const { return keyRoot_; }
    void KeyRoot(const std::string& vData) { keyRoot_ = vData; }
    const std::string& SubKey() const { return subKey_; }
    void SubKey(const std::string& vData) { subKey_ = vData; }

    // True when KeyRoot\SubKey can be opened for reading.
    bool KeyExists() const;

    // Creates (or opens) KeyRoot\name, where name is `Keyname` unless that is
    // Empty and SubKey otherwise; `Keyname` receives the name used as text.
    // "0" on success, empty text on failure.
    std::string CreateKey() const;
    std::string CreateKey(Variant& Keyname) const;

    // Deletes KeyRoot\Keyname (Keyname, not SubKey): 0 or the result code.
    std::int32_t DeleteKey(const std::string& Keyname) const;

    // Deletes a value of KeyRoot\SubKey: 0, 2 when there is no such value, or
    // the code with which the key failed to open.
    std::int32_t DeleteValue(const std::string& ValueName) const;

    // The subkeys of Keyname under hKey (of hKey itself when Keyname is
    // empty); the instance's fields are not used. Empty when the key cannot
    // be opened; the keys found so far when the enumeration fails.
    KeyCollection EnumRegistryKeys(std::int32_t hKey, const std::string& Keyname) const;

    // The values of Keyname under hKey as {name, data}: text for REG_SZ,
    // expanded text for REG_EXPAND_SZ, upper-case hex such as "0A 1F FF" for
    // REG_BINARY, the integer for REG_DWORD, the strings joined by "," for
    // REG_MULTI_SZ, Empty for other types.
    std::vector<RegistryValueEntry> EnumRegistryValues(std::int32_t hKey,
                                                       const std::string& Keyname) const;

    // A value of KeyRoot\SubKey converted by type (REG_BINARY as a byte array,
    // REG_MULTI_SZ with its NUL separators), or DefaultValue (Empty when not
    // given) when it cannot be read or is an empty string.
    Variant GetRegistryValue(const std::string& ValueName, const Variant& DefaultValue = {}) const;

    // Writes a value of type DType into KeyRoot\SubKey, which must exist.
    // True when written, and for a DType other than REG_SZ, REG_EXPAND_SZ,
    // REG_BINARY, REG_DWORD and REG_MULTI_SZ (nothing is written then).
    bool SetRegistryValue(const std::string& ValueName, const Variant& Value,
                          std::int32_t DType) const;

    // The same as GetRegistryValue and SetRegistryValue on another computer's
    // root key hKey (the local machine for an empty name), at KeyPath or else
    // at KeyRoot\SubKey. The read gives "Error!" when it cannot connect.
    Variant ReadRemoteRegistryValue(const std::string& sRemoteComputer, std::int32_t hKey,
                                    const std::string& ValueName,
                                    const std::optional<std::string>& KeyPath = std::nullopt) const;
    bool WriteRemoteRegistryValue(const std::string& sRemoteComputer, std::int32_t hKey,
                                  const std::string& ValueName, const Variant& Value,
                                  std::int32_t DType,
                                  const std::optional<std::string>& KeyPath = std::nullopt) const;

    // Cuts `item` at its first NUL, if it has one, and returns it.
    static std::string TrimNull(std::string& item);

  private:
    RegistryApi& api_;
    std::int32_t hKey_ = 0;
    std::string keyRoot_;
    std::string subKey_;
    RegistrySecurityAttributes securityAttributes_{};
};

// Joins a key path and a key name with exactly one backslash, whatever
// backslashes the two texts end or begin with; an empty part gives the other
// alone (a path may not begin with a backslash).
std::string JoinKeyPath(const std::string& KeyRoot, const std::string& SubKey);

}  // namespace kestrova
