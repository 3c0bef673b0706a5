#pragma once

#include <string>
#include <vector>

#include "tests/support/fakes/FakeFileSystem.h"

namespace kestrova::fuzz {

// Reports a broken property and aborts, so that libFuzzer saves the input.
[[noreturn]] void PropertyFailed(const char* condition, const char* file, int line,
                                 const std::string& detail);

// The store-file folder of the sample tree, and the store file in it.
inline const std::string kSampleStore = "C:\\Kestrova\\Shrt.dat";

// A small disk like the ones the unit tests use: long folders with short
// forms, a folder name with bytes above 0x7F, a short form too long for the
// buffer, a hidden folder, a file, a drive that is mounted, one without a
// volume. Every name is unique among its siblings, long and short forms
// together, as on a real volume.
void AddSampleTree(testing::FakeFileSystem& fileSystem);

// The backslash-separated parts of a path ("C:\a\b" gives "C:", "a", "b").
std::vector<std::string> PathComponents(const std::string& path);

}  // namespace kestrova::fuzz

// A property the code promises; checked in every build of the fuzz targets.
#define KESTROVA_FUZZ_REQUIRE(condition, detail)                                        \
    do {                                                                                \
        if (!(condition)) {                                                             \
            ::kestrova::fuzz::PropertyFailed(#condition, __FILE__, __LINE__, (detail)); \
        }                                                                               \
    } while (false)
