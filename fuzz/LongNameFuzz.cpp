// GetLongName over a disk built from the input. The input is text, one line
// each:
//   ?PATH          a path to ask about
//   !X:            a drive letter whose drive has no volume
//   *PATH[|SHORT]  a file
//   #PATH[|SHORT]  a hidden folder
//   PATH[|SHORT]   a folder
// An entry is added only below a folder added before it, named by long names
// and unique among its siblings (long and short forms together), as names
// are on a real volume.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/PathNames.h"
#include "fuzz/FuzzSupport.h"
#include "platform/FileSystem.h"
#include "tests/support/fakes/FakeFileSystem.h"

namespace {

using kestrova::fuzz::PathComponents;

constexpr std::size_t kMostEntries = 64;
constexpr std::size_t kMostQueries = 16;
constexpr unsigned kAnyEntry =
    kestrova::kAttributeDirectory | kestrova::kAttributeHidden | kestrova::kAttributeSystem;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsDrivePart(const std::string& part) {
    return part.size() == 2 && std::isalpha(static_cast<unsigned char>(part[0])) != 0 &&
           part[1] == ':';
}

// A name a volume could hold: not empty, none of the characters Windows
// refuses in a name, no NUL.
bool IsValidName(const std::string& name) {
    return !name.empty() &&
           name.find_first_of(std::string("\\/:*?\"<>|\0", 10)) == std::string::npos;
}

// A drive, a colon and one or more names after the root's backslash, with
// nothing that makes the text a pattern.
bool IsPlainPath(const std::string& path) {
    const std::vector<std::string> parts = PathComponents(path);
    if (parts.size() < 2 || !IsDrivePart(parts[0])) {
        return false;
    }
    return std::all_of(parts.begin() + 1, parts.end(), [](const std::string& part) {
        return !part.empty() && part.find_first_of(std::string("*?\0", 3)) == std::string::npos;
    });
}

class Disk {
  public:
    void AddLine(const std::string& line) {
        if (line.empty()) {
            return;
        }
        switch (line[0]) {
            case '?':
                if (queries_.size() < kMostQueries) {
                    queries_.push_back(line.substr(1));
                }
                return;
            case '!':
                if (IsDrivePart(line.substr(1))) {
                    fileSystem_.AddDrive(line.substr(1), kestrova::kDriveNoRootDir);
                }
                return;
            case '*':
                AddEntry(line.substr(1), false, 0);
                return;
            case '#':
                AddEntry(line.substr(1), true, kestrova::kAttributeHidden);
                return;
            default:
                AddEntry(line, true, 0);
                return;
        }
    }

    kestrova::testing::FakeFileSystem& FileSystem() { return fileSystem_; }
    const std::vector<std::string>& Queries() const { return queries_; }

  private:
    void AddEntry(const std::string& text, bool folder, unsigned attributes) {
        if (entries_ >= kMostEntries) {
            return;
        }
        const std::size_t bar = text.find('|');
        const std::string path = text.substr(0, bar);
        const std::string shortName =
            bar == std::string::npos ? std::string() : text.substr(bar + 1);
        const std::size_t slash = path.find_last_of('\\');
        if (slash == std::string::npos || slash < 2) {
            return;
        }
        const std::string parent = Lower(path.substr(0, slash == 2 ? 2 : slash));
        const std::string name = path.substr(slash + 1);
        const bool parentIsDrive = slash == 2 && IsDrivePart(parent) && path[2] == '\\';
        if (!parentIsDrive && !folders_.contains(parent)) {
            return;
        }
        if (!IsValidName(name) || (!shortName.empty() && !IsValidName(shortName))) {
            return;
        }
        std::set<std::string>& siblings = names_[parent];
        if (siblings.contains(Lower(name)) ||
            (!shortName.empty() && siblings.contains(Lower(shortName)))) {
            return;
        }
        siblings.insert(Lower(name));
        if (!shortName.empty()) {
            siblings.insert(Lower(shortName));
        }
        if (folder) {
            fileSystem_.AddFolder(path, shortName, attributes | kestrova::kAttributeDirectory);
            folders_.insert(Lower(path));
        } else {
            fileSystem_.AddFile(path, {}, shortName, attributes);
        }
        ++entries_;
    }

    kestrova::testing::FakeFileSystem fileSystem_;
    std::map<std::string, std::set<std::string>> names_;  // lower-case parent -> names in it
    std::set<std::string> folders_;                       // lower-case long paths
    std::vector<std::string> queries_;
    std::size_t entries_ = 0;
};

void CheckQuery(kestrova::testing::FakeFileSystem& fileSystem, const std::string& query) {
    const std::string result = kestrova::GetLongName(fileSystem, query);
    const bool exists = fileSystem.Exists(query);
    if (IsPlainPath(query)) {
        // Every component there gives the long form; any missing gives nothing.
        KESTROVA_FUZZ_REQUIRE(exists == !result.empty(), query + " gives " + result);
    }
    if (result.empty()) {
        return;
    }
    // A long form names what the query named: the drive part as given, one
    // long name per component, each the name of the entry the query's
    // component found, and it is its own long form.
    KESTROVA_FUZZ_REQUIRE(exists, query + " gives " + result);
    KESTROVA_FUZZ_REQUIRE(fileSystem.Exists(result), query + " gives " + result);
    KESTROVA_FUZZ_REQUIRE(result.compare(0, 2, query, 0, 2) == 0, query + " gives " + result);
    const std::vector<std::string> asked = PathComponents(query);
    const std::vector<std::string> found = PathComponents(result);
    const std::string detail = query + " gives " + result;
    KESTROVA_FUZZ_REQUIRE(asked.size() == found.size(), detail);
    std::string prefix = asked[0];
    for (std::size_t i = 1; i < asked.size(); ++i) {
        prefix += '\\';
        prefix += asked[i];
        KESTROVA_FUZZ_REQUIRE(fileSystem.FindFirstName(prefix, kAnyEntry) == found[i], detail);
    }
    KESTROVA_FUZZ_REQUIRE(kestrova::GetLongName(fileSystem, result) == result, detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Disk disk;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        disk.AddLine(line);
        start = end + 1;
    }
    for (const std::string& query : disk.Queries()) {
        CheckQuery(disk.FileSystem(), query);
    }
    return 0;
}
