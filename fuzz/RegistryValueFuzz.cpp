// The registry class's value conversions over the in-memory registry: raw
// data of each value type (malformed sizes included) read through the class,
// values of each kind written through it and read back, with a registry
// call failing on the way when the input asks for it.
//
// The input: a mode byte (lowest bit 0, as in 'R': raw data; 1, as in 'W': a
// written value), a type byte (its value modulo 8 picks REG_NONE, REG_SZ,
// REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD or a type the
// class does not know, so '0' to '7'), a failure byte (lowest three bits: no
// failure, or which call fails; '0' is none) and the data. A written value's
// data begins with a kind byte (modulo 4: Empty, Text, Integer, Bytes, so
// '0' to '3').

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/registry/RegistryApi.h"
#include "platform/registry/RegistryRoutines.h"
#include "platform/registry/Variant.h"
#include "tests/support/fakes/MemoryRegistry.h"

namespace {

using kestrova::ByteArray;
using kestrova::RegistryHandle;
using kestrova::RegistryResult;
using kestrova::RegistryRoutines;
using kestrova::RegistryValueEntry;
using kestrova::Variant;
using kestrova::testing::MemoryRegistry;

const std::string kKeyRoot = "Software\\KestrovaFuzz";
const std::string kSubKey = "Run";
const std::string kKeyPath = kKeyRoot + "\\" + kSubKey;
const Variant kFallback("fallback");

constexpr std::array<std::int32_t, 8> kTypes = {
    kestrova::kRegNone,  kestrova::kRegSz,      kestrova::kRegExpandSz, kestrova::kRegBinary,
    kestrova::kRegDword, kestrova::kRegMultiSz, kestrova::kRegQword,    0x4B53,
};

struct Failure {
    MemoryRegistry::Call call = MemoryRegistry::Call::OpenKey;
    RegistryResult code = kestrova::kErrorAccessDenied;
    std::uint32_t skip = 0;
};

std::optional<Failure> FailureOf(std::uint8_t byte) {
    static constexpr std::array<MemoryRegistry::Call, 5> kCalls = {
        MemoryRegistry::Call::OpenKey, MemoryRegistry::Call::QueryValue,
        MemoryRegistry::Call::EnumValue, MemoryRegistry::Call::ExpandEnvironmentText,
        MemoryRegistry::Call::SetValue};
    static constexpr std::array<RegistryResult, 4> kCodes = {
        kestrova::kErrorAccessDenied, kestrova::kErrorMoreData, kestrova::kErrorFileNotFound,
        kestrova::kErrorInvalidHandle};
    const unsigned which = byte & 7u;
    if (which == 0 || which > kCalls.size()) {
        return std::nullopt;
    }
    return Failure{kCalls[which - 1], kCodes[(byte >> 5) & 3u], (byte >> 3) & 3u};
}

// A registry with the key the class works on, the environment expansions
// see (one value longer than the first expansion buffer), and the class
// aimed at the key.
struct Registry {
    Registry() {
        api.SetVariable("KESTROVA_DIR", "C:\\Data");
        api.SetVariable("KESTROVA_LONG", std::string(3000, 'x'));
        RegistryHandle key = 0;
        api.CreateKey(Root(), kKeyPath.c_str(), "", 0, kestrova::kKeyAllAccess, nullptr, &key,
                      nullptr);
        api.CloseKey(key);
        routines.hKey(kestrova::kHkeyCurrentUser);
        routines.KeyRoot(kKeyRoot);
        routines.SubKey(kSubKey);
    }

    static RegistryHandle Root() { return kestrova::WidenKey(kestrova::kHkeyCurrentUser); }

    void WriteRaw(const std::string& name, std::int32_t type, const ByteArray& data) {
        RegistryHandle key = 0;
        api.OpenKey(Root(), kKeyPath.c_str(), kestrova::kKeyAllAccess, &key);
        api.SetValue(key, name.c_str(), static_cast<std::uint32_t>(type), data.data(),
                     static_cast<std::uint32_t>(data.size()));
        api.CloseKey(key);
    }

    // The stored bytes, or nothing when there is no such value.
    std::optional<ByteArray> ReadRaw(const std::string& name) {
        RegistryHandle key = 0;
        api.OpenKey(Root(), kKeyPath.c_str(), kestrova::kKeyAllAccess, &key);
        std::uint32_t size = 0;
        std::optional<ByteArray> data;
        if (api.QueryValue(key, name.c_str(), nullptr, nullptr, &size) == kestrova::kErrorSuccess) {
            data.emplace(size, 0);
            api.QueryValue(key, name.c_str(), nullptr, data->data(), &size);
        }
        api.CloseKey(key);
        return data;
    }

    void Fail(const Failure& failure) { api.FailCall(failure.call, failure.code, failure.skip); }

    // Every key an operation opened was closed, and nothing else was.
    void CheckKeysClosed(const std::string& detail) const {
        KESTROVA_FUZZ_REQUIRE(api.KeysOpenNow() == 0 && api.InvalidCloses() == 0, detail);
    }

    MemoryRegistry api;
    RegistryRoutines routines{api};
};

std::string AsText(const ByteArray& data) {
    return std::string(data.begin(), data.end());
}

std::string WithoutNuls(std::string text, std::size_t most) {
    for (std::size_t i = 0; i < most && !text.empty() && text.back() == '\0'; ++i) {
        text.pop_back();
    }
    return text;
}

std::optional<std::int32_t> LittleEndian(const ByteArray& data) {
    if (data.size() < 4) {
        return std::nullopt;
    }
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        bits |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    }
    return static_cast<std::int32_t>(bits);
}

// Text the environment expansion leaves as it is: no variable reference, and
// no NUL before its end (the expansion takes NUL-terminated text).
bool ExpandsToItself(const std::string& text) {
    return text.find_first_of(std::string("%\0", 2)) == std::string::npos;
}

// Parses REG_BINARY's enumeration text ("0A 1F FF") back into bytes.
std::optional<ByteArray> ParseHex(const std::string& text) {
    ByteArray bytes;
    const std::string digits = "0123456789ABCDEF";
    for (std::size_t i = 0; i < text.size(); i += 3) {
        if (i + 2 > text.size() || (i + 2 < text.size() && text[i + 2] != ' ')) {
            return std::nullopt;
        }
        const std::size_t high = digits.find(text[i]);
        const std::size_t low = digits.find(text[i + 1]);
        if (high == std::string::npos || low == std::string::npos) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    if (!text.empty() && text.back() == ' ') {
        return std::nullopt;
    }
    return bytes;
}

// What GetRegistryValue gives for the raw data of a type, as its contract
// states it.
void CheckRead(std::int32_t type, const ByteArray& data, const Variant& read) {
    const std::string detail = "type " + std::to_string(type) + " data " + AsText(data) + " read " +
                               kestrova::Describe(read);
    const std::string text = AsText(data);
    switch (type) {
        case kestrova::kRegSz:
            KESTROVA_FUZZ_REQUIRE(
                read == (data.empty() ? kFallback : Variant(WithoutNuls(text, 1))), detail);
            break;
        case kestrova::kRegExpandSz:
            if (data.empty()) {
                KESTROVA_FUZZ_REQUIRE(read == kFallback, detail);
            } else if (ExpandsToItself(WithoutNuls(text, 1))) {
                KESTROVA_FUZZ_REQUIRE(read == Variant(WithoutNuls(text, 1)), detail);
            } else {
                KESTROVA_FUZZ_REQUIRE(read.Text() != nullptr, detail);
            }
            break;
        case kestrova::kRegBinary:
            KESTROVA_FUZZ_REQUIRE(read == Variant(data), detail);
            break;
        case kestrova::kRegDword: {
            const auto number = LittleEndian(data);
            KESTROVA_FUZZ_REQUIRE(read == (number ? Variant(*number) : kFallback), detail);
            break;
        }
        case kestrova::kRegMultiSz: {
            // The strings with the NULs between them; an empty first string
            // is an empty value.
            const std::string strings = WithoutNuls(text, 2);
            const bool emptyFirst = strings.empty() || strings[0] == '\0';
            KESTROVA_FUZZ_REQUIRE(read == (emptyFirst ? kFallback : Variant(strings)), detail);
            break;
        }
        default:
            KESTROVA_FUZZ_REQUIRE(read == kFallback, detail);
            break;
    }
}

// What EnumRegistryValues gives for the raw data of a type.
void CheckEnumerated(std::int32_t type, const ByteArray& data, const Variant& value) {
    const std::string detail = "type " + std::to_string(type) + " data " + AsText(data) +
                               " enumerated " + kestrova::Describe(value);
    const std::string text = AsText(data);
    switch (type) {
        case kestrova::kRegSz:
            KESTROVA_FUZZ_REQUIRE(value == Variant(WithoutNuls(text, 1)), detail);
            break;
        case kestrova::kRegExpandSz:
            if (ExpandsToItself(WithoutNuls(text, 1))) {
                KESTROVA_FUZZ_REQUIRE(value == Variant(WithoutNuls(text, 1)), detail);
            } else {
                KESTROVA_FUZZ_REQUIRE(value.Text() != nullptr, detail);
            }
            break;
        case kestrova::kRegBinary: {
            KESTROVA_FUZZ_REQUIRE(value.Text() != nullptr, detail);
            const auto bytes = ParseHex(*value.Text());
            KESTROVA_FUZZ_REQUIRE(bytes && *bytes == data, detail);
            break;
        }
        case kestrova::kRegDword: {
            const auto number = LittleEndian(data);
            KESTROVA_FUZZ_REQUIRE(value == (number ? Variant(*number) : Variant()), detail);
            break;
        }
        case kestrova::kRegMultiSz: {
            std::string strings = WithoutNuls(text, 2);
            for (char& c : strings) {
                if (c == '\0') {
                    c = ',';
                }
            }
            KESTROVA_FUZZ_REQUIRE(value == Variant(strings), detail);
            break;
        }
        default:
            KESTROVA_FUZZ_REQUIRE(value.IsEmpty(), detail);
            break;
    }
}

std::vector<std::string> NamesOf(const std::vector<RegistryValueEntry>& entries) {
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const RegistryValueEntry& entry : entries) {
        names.push_back(entry[0].ToText());
    }
    return names;
}

void RawData(std::int32_t type, const std::optional<Failure>& failure, const ByteArray& data) {
    // A second value written first, so the enumeration reads two values in a
    // row into its buffers.
    const ByteArray first(data.begin(),
                          data.begin() + static_cast<std::ptrdiff_t>(data.size() / 2));
    Registry clean;
    clean.WriteRaw("First", type, first);
    clean.WriteRaw("Value", type, data);

    const Variant read = clean.routines.GetRegistryValue("Value", kFallback);
    clean.CheckKeysClosed("read");
    CheckRead(type, data, read);
    const Variant remote =
        clean.routines.ReadRemoteRegistryValue("", kestrova::kHkeyCurrentUser, "Value");
    clean.CheckKeysClosed("remote read");
    KESTROVA_FUZZ_REQUIRE(remote == clean.routines.GetRegistryValue("Value"),
                          kestrova::Describe(remote));

    const std::vector<RegistryValueEntry> entries =
        clean.routines.EnumRegistryValues(kestrova::kHkeyCurrentUser, kKeyPath);
    clean.CheckKeysClosed("enumeration");
    KESTROVA_FUZZ_REQUIRE(NamesOf(entries) == (std::vector<std::string>{"First", "Value"}),
                          "enumeration");
    CheckEnumerated(type, first, entries[0][1]);
    CheckEnumerated(type, data, entries[1][1]);

    if (!failure) {
        return;
    }
    // A failing call gives the fallback, or for an expansion the text as it
    // was; never other data. An enumeration that fails gives the values
    // found before the failure.
    Registry failing;
    failing.WriteRaw("First", type, first);
    failing.WriteRaw("Value", type, data);
    failing.Fail(*failure);
    const Variant failedRead = failing.routines.GetRegistryValue("Value", kFallback);
    failing.CheckKeysClosed("read with a failure");
    const bool unexpanded = type == kestrova::kRegExpandSz && !data.empty() &&
                            failedRead == Variant(WithoutNuls(AsText(data), 1));
    KESTROVA_FUZZ_REQUIRE(failedRead == read || failedRead == kFallback || unexpanded,
                          kestrova::Describe(failedRead));

    failing.Fail(*failure);
    const std::vector<RegistryValueEntry> failedEntries =
        failing.routines.EnumRegistryValues(kestrova::kHkeyCurrentUser, kKeyPath);
    failing.CheckKeysClosed("enumeration with a failure");
    KESTROVA_FUZZ_REQUIRE(failedEntries.size() <= entries.size(), "enumeration with a failure");
    for (std::size_t i = 0; i < failedEntries.size(); ++i) {
        KESTROVA_FUZZ_REQUIRE(failedEntries[i][0] == entries[i][0], "enumeration with a failure");
        if (type != kestrova::kRegExpandSz) {
            KESTROVA_FUZZ_REQUIRE(failedEntries[i][1] == entries[i][1],
                                  kestrova::Describe(failedEntries[i][1]));
        }
    }
}

// The independent reading of a decimal integer: blanks around it, one sign,
// digits only, in the 32-bit range.
std::optional<std::int32_t> DecimalOf(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t last = text.find_last_not_of(" \t");
    std::string digits = text.substr(first, last - first + 1);
    bool negative = false;
    if (digits[0] == '+' || digits[0] == '-') {
        negative = digits[0] == '-';
        digits.erase(0, 1);
    }
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    long long number = 0;
    for (const char c : digits) {
        number = number * 10 + (c - '0');
        if (number > 2147483648LL) {
            return std::nullopt;
        }
    }
    number = negative ? -number : number;
    if (number > 2147483647LL) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(number);
}

Variant VariantOf(std::uint8_t kind, const ByteArray& data) {
    switch (kind % 4) {
        case 1:
            return Variant(AsText(data));
        case 2: {
            std::uint32_t bits = 0;
            for (std::size_t i = 0; i < 4 && i < data.size(); ++i) {
                bits |= static_cast<std::uint32_t>(data[i]) << (8 * i);
            }
            return Variant(static_cast<std::int32_t>(bits));
        }
        case 3:
            return Variant(data);
        default:
            return Variant();
    }
}

void CheckConversions(const Variant& value) {
    const std::string detail = kestrova::Describe(value);
    if (const std::int32_t* number = value.Integer()) {
        KESTROVA_FUZZ_REQUIRE(Variant(value.ToText()).ToInteger() == *number, detail);
        KESTROVA_FUZZ_REQUIRE(!value.ToBytes(), detail);
    }
    if (const std::string* text = value.Text()) {
        KESTROVA_FUZZ_REQUIRE(value.ToInteger() == DecimalOf(*text), detail);
        KESTROVA_FUZZ_REQUIRE(value.ToBytes() == ByteArray(text->begin(), text->end()), detail);
    }
    if (const ByteArray* bytes = value.Bytes()) {
        KESTROVA_FUZZ_REQUIRE(value.ToText() == AsText(*bytes) && !value.ToInteger(), detail);
    }
    if (value.IsEmpty()) {
        KESTROVA_FUZZ_REQUIRE(
            value.ToText().empty() && value.ToInteger() == 0 && value.ToBytes() == ByteArray(),
            detail);
    }
}

// What SetRegistryValue stores for a value and a type, and what reading it
// back gives; nullopt when nothing is to be stored.
std::optional<ByteArray> StoredFor(const Variant& value, std::int32_t type) {
    const std::string text = value.ToText();
    switch (type) {
        case kestrova::kRegSz:
        case kestrova::kRegExpandSz: {
            ByteArray data(text.begin(), text.end());
            data.push_back(0);
            return data;
        }
        case kestrova::kRegMultiSz: {
            ByteArray data(text.begin(), text.end());
            data.push_back(0);
            data.push_back(0);
            return data;
        }
        case kestrova::kRegBinary:
            return value.ToBytes();
        case kestrova::kRegDword: {
            const auto number = value.ToInteger();
            if (!number) {
                return std::nullopt;
            }
            const auto bits = static_cast<std::uint32_t>(*number);
            return ByteArray{static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                             static_cast<std::uint8_t>(bits >> 16),
                             static_cast<std::uint8_t>(bits >> 24)};
        }
        default:
            return std::nullopt;
    }
}

bool IsWrittenType(std::int32_t type) {
    return type == kestrova::kRegSz || type == kestrova::kRegExpandSz ||
           type == kestrova::kRegBinary || type == kestrova::kRegDword ||
           type == kestrova::kRegMultiSz;
}

void WrittenValue(std::int32_t type, const std::optional<Failure>& failure, std::uint8_t kind,
                  const ByteArray& data) {
    const Variant value = VariantOf(kind, data);
    CheckConversions(value);
    const std::string detail =
        "type " + std::to_string(type) + " value " + kestrova::Describe(value);

    Registry clean;
    const bool written = clean.routines.SetRegistryValue("Value", value, type);
    clean.CheckKeysClosed("write");
    const std::optional<ByteArray> expected = StoredFor(value, type);
    // A type the class does not write reports success and stores nothing; a
    // value that does not convert to the type fails and stores nothing.
    KESTROVA_FUZZ_REQUIRE(written == (expected.has_value() || !IsWrittenType(type)), detail);
    KESTROVA_FUZZ_REQUIRE(clean.ReadRaw("Value") == expected, detail);
    if (expected) {
        // What was written reads back as it was given (a text's terminating
        // NULs are the registry's, not the text's).
        const Variant read = clean.routines.GetRegistryValue("Value", kFallback);
        clean.CheckKeysClosed("read back");
        CheckRead(type, *expected, read);
        const std::string text = value.ToText();
        if (type == kestrova::kRegSz || (type == kestrova::kRegExpandSz && ExpandsToItself(text))) {
            KESTROVA_FUZZ_REQUIRE(read == Variant(text),
                                  detail + " reads " + kestrova::Describe(read));
        } else if (type == kestrova::kRegMultiSz && !text.empty() && text[0] != '\0') {
            KESTROVA_FUZZ_REQUIRE(read == Variant(text),
                                  detail + " reads " + kestrova::Describe(read));
        } else if (type == kestrova::kRegBinary) {
            KESTROVA_FUZZ_REQUIRE(read == Variant(*value.ToBytes()), detail);
        } else if (type == kestrova::kRegDword) {
            KESTROVA_FUZZ_REQUIRE(read == Variant(*value.ToInteger()), detail);
        }
    }

    // A write calls RegOpenKeyExA and RegSetValueExA once each; a failure
    // that would be left pending for the reads that check it is not asked for.
    if (!failure || failure->skip != 0 ||
        (failure->call != MemoryRegistry::Call::OpenKey &&
         failure->call != MemoryRegistry::Call::SetValue)) {
        return;
    }
    // A write that fails on the way stores nothing; one that succeeds stores
    // what the clean write stored.
    Registry failing;
    failing.Fail(*failure);
    const bool failedWrite = failing.routines.SetRegistryValue("Value", value, type);
    failing.CheckKeysClosed("write with a failure");
    const std::optional<ByteArray> stored = failing.ReadRaw("Value");
    KESTROVA_FUZZ_REQUIRE(failedWrite ? stored == expected : !stored.has_value(), detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const std::int32_t type = kTypes[data[1] % kTypes.size()];
    const std::optional<Failure> failure = FailureOf(data[2]);
    if ((data[0] & 1u) == 0) {
        RawData(type, failure, ByteArray(data + 3, data + size));
    } else {
        const std::uint8_t kind = size > 3 ? data[3] : 0;
        WrittenValue(type, failure, kind,
                     ByteArray(data + std::min<std::size_t>(size, 4), data + size));
    }
    return 0;
}
