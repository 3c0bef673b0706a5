#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tools/rm/RmRules.h"

namespace kestrova {

void PrintTo(RmPathProblem problem, std::ostream* out) {
    *out << DescribeRmPathProblem(problem);
}

namespace {

using enum RmPathProblem;

// The words of a command line without quotes.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream stream(line);
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

TEST(RmArguments, AcceptOnlyTheYesSwitchFollowedByOnePath) {
    EXPECT_EQ(ParseRmArguments({"/y", "C:\\My Data"}), "C:\\My Data");
    EXPECT_EQ(ParseRmArguments({"/Y", ""}), "");
    for (const char* line : {"", "/y", "C:\\A", "/x C:\\A", "-y C:\\A", "/yes C:\\A", "C:\\A /y",
                             "/y C:\\A C:\\B", "/y /y C:\\A"}) {
        EXPECT_EQ(ParseRmArguments(Words(line)), std::nullopt) << line;
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
            EXPECT_EQ(check.problem, problem) << path;
            EXPECT_EQ(check.path, "") << path;
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
        EXPECT_EQ(check.problem, kNone) << path;
        EXPECT_EQ(check.path, resolved) << path;
    }
}

// A name the file functions would not reach as it is falls back to the short
// name; a folder leaves room for the "\*" of its search.
TEST(RmChildPath, UsesTheShortNameWhenTheLongOneCannotReachTheEntry) {
    const std::string fits(kRmMaxPathChars - 5, 'f');
    EXPECT_EQ(RmChildPath("C:\\T", "Long Name.txt", "LONGNA~1.TXT", false), "C:\\T\\Long Name.txt");
    EXPECT_EQ(RmChildPath("C:\\T", "caf?", "CAF_~1", true), "C:\\T\\CAF_~1");
    EXPECT_EQ(RmChildPath("C:\\T", "name.", "", false), std::nullopt);
    EXPECT_EQ(RmChildPath("C:\\T", "AUX", "", false), std::nullopt);
    EXPECT_EQ(RmChildPath("C:\\T", fits, "F~1", false), "C:\\T\\" + fits);
    EXPECT_EQ(RmChildPath("C:\\T", fits, "F~1", true), "C:\\T\\F~1");
}

}  // namespace
}  // namespace kestrova
