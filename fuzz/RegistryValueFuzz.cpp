// The registry class's value conversions over the in-memory registry. The
// first byte picks the type (modulo 8: REG_NONE, REG_SZ, REG_EXPAND_SZ,
// REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD or a type the class does not
// know, so '0' to '7'); the rest is the data. The data is stored as it is,
// after a value holding its first half, and read and listed through the
// class; then it is written through the class and read back.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "fuzz/FuzzSupport.h"
#include "platform/registry/RegistryRoutines.h"
#include "tests/support/fakes/MemoryRegistry.h"

namespace {

using namespace kestrova;

const Variant kFallback("fallback");
constexpr std::int32_t kTypes[] = {kRegNone,  kRegSz,      kRegExpandSz, kRegBinary,
                                   kRegDword, kRegMultiSz, kRegQword,    0x4B53};

std::string WithoutNuls(std::string text, int most) {
    for (; most > 0 && !text.empty() && text.back() == '\0'; --most) {
        text.pop_back();
    }
    return text;
}

// What reading and what listing stored data of a type gives.
std::pair<Variant, Variant> Converted(std::int32_t type, const std::string& data) {
    std::string text = WithoutNuls(data, type == kRegMultiSz ? 2 : 1);
    switch (type) {
        case kRegSz:
        case kRegExpandSz:  // as long as it expands to itself
            return {data.empty() ? kFallback : Variant(text), text};
        case kRegBinary: {
            std::string hex;
            for (const char c : data) {
                const auto byte = static_cast<unsigned char>(c);
                hex += std::string(hex.empty() ? "" : " ") + "0123456789ABCDEF"[byte >> 4U] +
                       "0123456789ABCDEF"[byte & 0x0FU];
            }
            return {ByteArray(data.begin(), data.end()), hex};
        }
        case kRegDword: {
            std::uint32_t bits = 0;
            for (std::size_t i = 0; i < 4 && i < data.size(); ++i) {
                bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
            }
            const auto number = static_cast<std::int32_t>(bits);
            return data.size() < 4 ? std::pair{kFallback, Variant()} : std::pair{number, number};
        }
        case kRegMultiSz: {
            const Variant read = text.empty() || text[0] == '\0' ? kFallback : Variant(text);
            std::replace(text.begin(), text.end(), '\0', ',');
            return {read, text};
        }
        default:
            return {kFallback, Variant()};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::int32_t type = kTypes[bytes[0] % 8];
    const std::string data(bytes + 1, bytes + size);
    const std::string first = data.substr(0, data.size() / 2);
    // Expansion changes text with a variable reference, and cuts it at a NUL.
    const auto expandsToItself = [type](const std::string& text) {
        return type != kRegExpandSz ||
               text.find_first_of(std::string("%\0", 2)) == std::string::npos;
    };
    testing::MemoryRegistry api;
    RegistryRoutines routines(api);
    routines.hKey(kHkeyCurrentUser);
    routines.SubKey("Run");
    KESTROVA_FUZZ_REQUIRE(routines.CreateKey() == "0", "");
    RegistryHandle key = 0;
    api.OpenKey(WidenKey(kHkeyCurrentUser), "Run", kKeyWrite, &key);
    for (const std::string* value : {&first, &data}) {
        api.SetValue(key, value == &first ? "First" : "Value", static_cast<std::uint32_t>(type),
                     reinterpret_cast<const std::uint8_t*>(value->data()),
                     static_cast<std::uint32_t>(value->size()));
    }
    api.CloseKey(key);

    const Variant read = routines.GetRegistryValue("Value", kFallback);
    const auto listed = routines.EnumRegistryValues(kHkeyCurrentUser, "Run");
    KESTROVA_FUZZ_REQUIRE(listed.size() == 2 && api.KeysOpenNow() == 0, data);
    if (expandsToItself(WithoutNuls(data, 1))) {
        KESTROVA_FUZZ_REQUIRE(read == Converted(type, data).first, Describe(read));
        KESTROVA_FUZZ_REQUIRE(listed[1][1] == Converted(type, data).second, Describe(listed[1][1]));
        KESTROVA_FUZZ_REQUIRE(listed[0][1] == Converted(type, first).second,
                              Describe(listed[0][1]));
    }

    // Written through the class as text (bytes for REG_BINARY), a value reads
    // back as it was given; text is stored as a DWORD only when it is a number.
    const bool written = routines.SetRegistryValue("Written", data, type);
    const Variant back = routines.GetRegistryValue("Written", kFallback);
    const auto number = Variant(data).ToInteger();
    Variant expected = type == kRegSz || type == kRegExpandSz ? Variant(data) : kFallback;
    if (type == kRegMultiSz && !data.empty() && data[0] != '\0') {
        expected = data;
    } else if (type == kRegBinary) {
        expected = ByteArray(data.begin(), data.end());
    } else if (type == kRegDword && number) {
        expected = *number;
    }
    KESTROVA_FUZZ_REQUIRE(written == (type != kRegDword || number.has_value()), data);
    KESTROVA_FUZZ_REQUIRE(!expandsToItself(data) || back == expected, Describe(back));
    KESTROVA_FUZZ_REQUIRE(api.KeysOpenNow() == 0, data);
    return 0;
}
