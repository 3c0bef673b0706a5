#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kestrova::fuzz {

// Reports a broken property with the start of its detail, bytes outside
// printable ASCII as \xNN, and aborts, so that libFuzzer saves the input.
[[noreturn]] inline void PropertyFailed(const char* condition, const char* file, int line,
                                        const std::string& detail) {
    std::string shown;
    for (const char c : detail.substr(0, 400)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            shown += "\\x";
            shown += "0123456789ABCDEF"[byte >> 4U];
            shown += "0123456789ABCDEF"[byte & 0x0FU];
        }
    }
    std::fprintf(stderr, "%s:%d: property broken: %s\n  %s\n", file, line, condition,
                 shown.c_str());
    std::abort();
}

}  // namespace kestrova::fuzz

// A property the code promises; checked in every build of the fuzz targets.
#define KESTROVA_FUZZ_REQUIRE(condition, detail)                                        \
    do {                                                                                \
        if (!(condition)) {                                                             \
            ::kestrova::fuzz::PropertyFailed(#condition, __FILE__, __LINE__, (detail)); \
        }                                                                               \
    } while (false)
