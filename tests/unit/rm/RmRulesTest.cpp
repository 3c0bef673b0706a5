#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tools/rm/RmRules.h"

namespace kestrova {

void PrintTo(RmPathProblem problem, std::ostream* out) {
    *out << DescribeRmPathProblem(problem);
}

namespace {

TEST(RmArguments, AcceptOnlyTheYesSwitchFollowedByOnePath) {
    EXPECT_EQ(ParseRmArguments({"/y", "C:\\A\\RECYCLER"}), "C:\\A\\RECYCLER");
    EXPECT_EQ(ParseRmArguments({"/Y", "C:\\My Data\\RECYCLER"}), "C:\\My Data\\RECYCLER");
    EXPECT_EQ(ParseRmArguments({"/y", ""}), "");

    const std::vector<std::vector<std::string>> rejected = {
        {},
        {"/y"},
        {"C:\\A"},
        {"/x", "C:\\A"},
        {"-y", "C:\\A"},
        {"y", "C:\\A"},
        {"/yes", "C:\\A"},
        {"C:\\A", "/y"},
        {"/y", "C:\\A", "C:\\B"},
        {"/y", "/y", "C:\\A"},
    };
    for (const auto& arguments : rejected) {
        EXPECT_FALSE(ParseRmArguments(arguments).has_value())
            << "arguments: " << testing::PrintToString(arguments);
    }
}

TEST(RmPath, RefusesWhatIsNotBelowADriveOrShareRoot) {
    const std::string longName(kRmMaxFolderPathChars - 2, 'a');
    const struct {
        std::string path;
        RmPathProblem problem;
    } cases[] = {
        {"", RmPathProblem::kEmpty},
        {"C:\\", RmPathProblem::kDriveRoot},
        {"C:", RmPathProblem::kDriveRoot},
        {"c:/", RmPathProblem::kDriveRoot},
        {"C:\\\\", RmPathProblem::kDriveRoot},
        {"C:\\.", RmPathProblem::kDriveRoot},
        {"C:\\..", RmPathProblem::kDriveRoot},
        {"C:\\foo\\..", RmPathProblem::kDriveRoot},
        {"C:\\foo\\bar\\..\\.\\..\\", RmPathProblem::kDriveRoot},
        {"C:/foo/..", RmPathProblem::kDriveRoot},
        {"C:foo", RmPathProblem::kDriveRelative},
        {"C:..\\foo", RmPathProblem::kDriveRelative},
        {"\\foo", RmPathProblem::kRootedWithoutDrive},
        {"/foo", RmPathProblem::kRootedWithoutDrive},
        {"foo", RmPathProblem::kRelative},
        {".\\foo", RmPathProblem::kRelative},
        {"..", RmPathProblem::kRelative},
        {" C:\\foo", RmPathProblem::kInvalidCharacter},
        {"\\\\", RmPathProblem::kShareRoot},
        {"\\\\server", RmPathProblem::kShareRoot},
        {"\\\\server\\", RmPathProblem::kShareRoot},
        {"\\\\server\\share", RmPathProblem::kShareRoot},
        {"\\\\server\\share\\", RmPathProblem::kShareRoot},
        {"//server/share", RmPathProblem::kShareRoot},
        {"\\\\server\\share\\dir\\..", RmPathProblem::kShareRoot},
        {"\\\\server\\..\\dir", RmPathProblem::kShareRoot},
        {"\\\\\\share\\dir", RmPathProblem::kShareRoot},
        {"\\\\?\\C:\\foo", RmPathProblem::kDeviceNamespace},
        {"\\\\.\\C:\\foo", RmPathProblem::kDeviceNamespace},
        {"//?/C:/foo", RmPathProblem::kDeviceNamespace},
        {"\\\\?", RmPathProblem::kDeviceNamespace},
        {"\\??\\C:\\foo", RmPathProblem::kDeviceNamespace},
        {"C:\\foo\\*", RmPathProblem::kWildcard},
        {"C:\\fo?", RmPathProblem::kWildcard},
        {"C:\\*\\..", RmPathProblem::kWildcard},
        {"C:\\My Folder\"", RmPathProblem::kInvalidCharacter},
        {"C:\\a|b", RmPathProblem::kInvalidCharacter},
        {"C:\\a<b", RmPathProblem::kInvalidCharacter},
        {"C:\\a\tb", RmPathProblem::kInvalidCharacter},
        {"C:\\foo:stream", RmPathProblem::kInvalidCharacter},
        {"1:\\foo", RmPathProblem::kInvalidCharacter},
        {"C:\\...", RmPathProblem::kAmbiguousName},
        {"C:\\foo.", RmPathProblem::kAmbiguousName},
        {"C:\\foo \\bar", RmPathProblem::kAmbiguousName},
        {"\\\\server\\share.\\dir", RmPathProblem::kAmbiguousName},
        {"C:\\NUL", RmPathProblem::kDeviceName},
        {"C:\\dir\\con.txt", RmPathProblem::kDeviceName},
        {"C:\\Lpt1", RmPathProblem::kDeviceName},
        {"C:\\" + longName + "a", RmPathProblem::kTooLong},
    };
    for (const auto& item : cases) {
        const RmPathCheck check = CheckRmPath(item.path);
        EXPECT_EQ(check.problem, item.problem) << "path: " << item.path;
        EXPECT_EQ(check.path, "") << "path: " << item.path;
    }
}

TEST(RmPath, AcceptsPathsBelowARootInTheFormTheFileFunctionsReach) {
    const std::string longName(kRmMaxFolderPathChars - 3, 'a');
    const struct {
        std::string path;
        std::string resolved;
    } cases[] = {
        {"C:\\WORK~1\\DATA\\RECYCLER", "C:\\WORK~1\\DATA\\RECYCLER"},
        {"C:\\My Data\\RECYCLER", "C:\\My Data\\RECYCLER"},
        {"c:/a/b/", "c:\\a\\b"},
        {"C:\\a\\\\b\\.\\c\\..", "C:\\a\\b"},
        {"C:\\..\\Windows", "C:\\Windows"},
        {"\\\\server\\share\\dir", "\\\\server\\share\\dir"},
        {"\\\\server\\share\\a\\..\\b\\", "\\\\server\\share\\b"},
        {"C:\\console\\nul1\\.hidden\\COM0", "C:\\console\\nul1\\.hidden\\COM0"},
        {"C:\\" + longName, "C:\\" + longName},
    };
    for (const auto& item : cases) {
        const RmPathCheck check = CheckRmPath(item.path);
        EXPECT_EQ(check.problem, RmPathProblem::kNone) << "path: " << item.path;
        EXPECT_EQ(check.path, item.resolved) << "path: " << item.path;
    }
}

TEST(RmChildPath, UsesTheShortNameWhenTheLongOneCannotReachTheEntry) {
    EXPECT_EQ(RmChildPath("C:\\T", "Long Name.txt", "LONGNA~1.TXT", false), "C:\\T\\Long Name.txt");
    EXPECT_EQ(RmChildPath("C:\\T", "name.", "NAME_~1", false), "C:\\T\\NAME_~1");
    EXPECT_EQ(RmChildPath("C:\\T", "caf?", "CAF_~1", true), "C:\\T\\CAF_~1");
    EXPECT_EQ(RmChildPath("C:\\T", "AUX", "", false), std::nullopt);
    EXPECT_EQ(RmChildPath("C:\\T", "a:b", "", false), std::nullopt);
    EXPECT_EQ(RmChildPath("C:\\T", "..", "", true), std::nullopt);

    // A folder needs room for its "\*" search; a file may use the full length.
    const std::string folder = "C:\\T";
    const std::string fits(kRmMaxPathChars - folder.size() - 1, 'f');
    EXPECT_EQ(RmChildPath(folder, fits, "F~1", false), folder + "\\" + fits);
    EXPECT_EQ(RmChildPath(folder, fits, "F~1", true), folder + "\\F~1");
    EXPECT_EQ(RmChildPath(folder, fits + "f", "", false), std::nullopt);
}

}  // namespace
}  // namespace kestrova
