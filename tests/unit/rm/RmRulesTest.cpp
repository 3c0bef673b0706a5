#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tools/rm/RmRules.h"

namespace kestrova {
namespace {

using enum RmPathProblem;
using Words = std::vector<std::string>;

TEST(RmArguments, AcceptOnlyTheYesSwitchFollowedByOnePath) {
    EXPECT_EQ(ParseRmArguments({"/y", "C:\\My Data"}), "C:\\My Data");
    EXPECT_EQ(ParseRmArguments({"/Y", ""}), "");
    for (const Words& words :
         {Words{}, Words{"/y"}, Words{"C:\\A"}, Words{"/x", "C:\\A"}, Words{"-y", "C:\\A"},
          Words{"/yes", "C:\\A"}, Words{"C:\\A", "/y"}, Words{"/y", "C:\\A", "C:\\B"}}) {
        EXPECT_EQ(ParseRmArguments(words), std::nullopt) << words.size();
    }
}

TEST(RmPath, RefusesWhatIsNotBelowADriveOrShareRoot) {
    const std::string tooLong = "C:\\" + std::string(kRmMaxFolderPathChars - 2, 'a');
    const std::pair<RmPathProblem, std::vector<std::string>> cases[] = {
        {kEmpty, {""}},
        {kRelative, {"foo", ".\\foo", ".."}},
        {kDriveRelative, {"C:foo", "C:..\\foo"}},
        {kRootedWithoutDrive, {"\\foo", "/foo"}},
        {kDriveRoot,
         {"C:", "C:\\", "c:/", "C:\\.", "C:\\..", "C:\\foo\\bar\\..\\.\\..\\", "C:/foo/.."}},
        {kShareRoot,
         {"\\\\", "\\\\server", "\\\\server\\share\\", "//server/share/dir/..",
          "\\\\server\\..\\dir", "\\\\\\share\\dir"}},
        {kDeviceNamespace, {"\\\\?\\C:\\foo", "\\\\.\\C:\\foo", "//?/C:/foo", "\\??\\C:\\foo"}},
        {kWildcard, {"C:\\foo\\*", "C:\\fo?", "C:\\*\\.."}},
        {kDeviceName, {"C:\\NUL", "C:\\dir\\con.txt", "C:\\Lpt1"}},
        {kInvalidCharacter, {"C:\\foo:stream", "C:\\a|b", "C:\\a\tb", "1:\\foo", " C:\\foo"}},
        {kAmbiguousName, {"C:\\...", "C:\\foo.", "C:\\foo \\bar", "\\\\server\\share.\\dir"}},
        {kTooLong, {tooLong}},
    };
    for (const auto& [problem, paths] : cases) {
        for (const std::string& path : paths) {
            const RmPathCheck check = CheckRmPath(path);
            EXPECT_EQ(std::pair(check.problem, check.path.empty()), std::pair(problem, true))
                << path;
        }
    }
}

TEST(RmPath, AcceptsPathsBelowARootInTheFormTheFileFunctionsReach) {
    const std::string longest = "C:\\" + std::string(kRmMaxFolderPathChars - 3, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\My Data\\RECYCLER", "C:\\My Data\\RECYCLER"},
        {"c:/a/b/", "c:\\a\\b"},
        {"C:\\a\\\\b\\.\\c\\..", "C:\\a\\b"},
        {"C:\\..\\Windows", "C:\\Windows"},
        {"\\\\server\\share\\a\\..\\b\\", "\\\\server\\share\\b"},
        {"C:\\console\\nul1\\COM0", "C:\\console\\nul1\\COM0"},
        {longest, longest}};
    for (const auto& [path, resolved] : cases) {
        const RmPathCheck check = CheckRmPath(path);
        EXPECT_EQ(std::make_pair(check.problem, check.path), std::make_pair(kNone, resolved));
    }
}

// An unreachable long name falls back to the short one; a folder leaves room for its "\*" search.
TEST(RmChildPath, UsesTheShortNameWhenTheLongOneCannotReachTheEntry) {
    const std::string fits(kRmMaxPathChars - 5, 'f');
    EXPECT_EQ(RmChildPath("C:\\T", "Long Name.txt", "LONGNA~1.TXT", false), "C:\\T\\Long Name.txt");
    EXPECT_EQ(RmChildPath("C:\\T", "caf?", "CAF_~1", true), "C:\\T\\CAF_~1");
    EXPECT_EQ(RmChildPath("C:\\T", "name.", "", false), std::nullopt);
    EXPECT_EQ(RmChildPath("C:\\T", "AUX", "", false), std::nullopt);
    EXPECT_EQ(RmChildPath("C:\\T", fits, "F~1", false), "C:\\T\\" + fits);
    EXPECT_EQ(RmChildPath("C:\\T", fits, "F~1", true), "C:\\T\\F~1");
}

RmEntry Listed(const std::string& name, bool folder, bool link = false) {
    return RmEntry{name, {}, folder, link, {}};
}

// A listed bin from its entries' paths: "a\\" is a folder, "a\\b" a file in it; a leading "~" makes
// the bin's name or a path's last entry a link.
RmEntry Bin(const std::vector<std::string>& paths, const std::string& name = "RECYCLER") {
    RmEntry bin = Listed(name.substr(name.starts_with('~') ? 1 : 0), true, name.starts_with('~'));
    for (std::string path : paths) {
        const bool link = path.starts_with('~');
        const bool folder = path.ends_with('\\');
        path = path.substr(link ? 1 : 0, path.size() - (link ? 1 : 0) - (folder ? 1 : 0));
        std::vector<RmEntry>* entries = &bin.entries;
        if (const std::size_t slash = path.find('\\'); slash != std::string::npos) {
            const std::string top = path.substr(0, slash);
            auto parent = std::find_if(entries->begin(), entries->end(),
                                       [&](const RmEntry& entry) { return entry.name == top; });
            if (parent == entries->end()) {
                parent = entries->insert(parent, Listed(top, true));
            }
            entries = &parent->entries;
            path.erase(0, slash + 1);
        }
        entries->push_back(Listed(path, folder, link));
    }
    return bin;
}

// Each case names the entry at fault, which the message must quote.
TEST(RmBin, AcceptsOnlyAnOldStyleRecycleBinAndNamesWhatElseItHolds) {
    const std::string user = "S-1-5-21-1004336348-1177238915-682003330-1000";
    const std::vector<std::string> bin = {user + "\\INFO2", user + "\\desktop.ini",
                                          user + "\\Dc1.txt", user + "\\Dc2\\"};
    using enum RmBinProblem;
    const std::tuple<RmBinProblem, std::string, RmEntry> cases[] = {
        {kNone, "", Bin(bin)},
        {kNone, "", Bin({"s-1-5-18\\info", "S-1-5-18\\DESKTOP.INI", "S-1-5-18\\dC12"}, "recycler")},
        {kNone, "", Bin({"S-1-5-18\\", "S-1-5-21-7-500\\De3.tar.gz", "S-1-5-21-7-500\\DZ9\\"})},
        {kNotNamedRecycler, "", Bin(bin, "kdata")},
        {kNotNamedRecycler, "", Bin(bin, "RECYCLER2")},
        {kLink, "", Bin(bin, "~RECYCLER")},
        {kNotAFolder, "", Listed("RECYCLER", false)},
        {kEmpty, "", Bin({})},
        {kLink, "S-1-5-18", Bin({"~S-1-5-18\\"})},
        {kLink, "S-1-5-18\\Dc1", Bin({"S-1-5-18\\INFO2", "~S-1-5-18\\Dc1\\"})},
        {kNotASidFolder, "S-1-5-18", Bin({"S-1-5-18"})},
        {kNotASidFolder, "Documents", Bin({user + "\\INFO2", "Documents\\"})},
        {kNotASidFolder, "S-1-5-", Bin({"S-1-5-\\"})},
        {kNotASidFolder, "S-2-5-18", Bin({"S-2-5-18\\"})},
        {kNotASidFolder, "S-1-5-18a", Bin({"S-1-5-18a\\"})},
        {kNotABinItem, "S-1-5-18\\report.txt", Bin({"S-1-5-18\\INFO2", "S-1-5-18\\report.txt"})},
        {kNotABinItem, user + "\\INFO2", Bin({user + "\\INFO2\\"})},
        {kNotABinItem, "S-1-5-18\\D12.txt", Bin({"S-1-5-18\\D12.txt"})},
        {kNotABinItem, "S-1-5-18\\Dc.txt", Bin({"S-1-5-18\\Dc.txt"})},
        {kNotABinItem, "S-1-5-18\\Dc1x", Bin({"S-1-5-18\\Dc1x"})},
        {kNotABinItem, "S-1-5-18\\Dc1.", Bin({"S-1-5-18\\Dc1."})},
        {kNotABinItem, "S-1-5-18\\desktop.ini.bak", Bin({"S-1-5-18\\desktop.ini.bak"})},
        {kNotABinItem, "S-1-5-18\\xDc1", Bin({"S-1-5-18\\xDc1"})},
    };
    for (const auto& [problem, entry, listing] : cases) {
        const RmBinCheck check = CheckRecycleBin(listing);
        EXPECT_EQ(std::pair(check.problem, check.entry), std::pair(problem, entry)) << listing.name;
        if (!entry.empty()) {
            EXPECT_NE(DescribeRmBinCheck(check).find('"' + entry + '"'), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace kestrova
