// Runs the real rm.exe under Wine on trees built in a fresh program folder,
// and checks its exit code and what is left on disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/e2e/Driver.h"
#include "tests/support/e2e/Program.h"
#include "tools/rm/RmRules.h"

namespace kestrova::e2e {
namespace {

const std::string kUser = "S-1-5-21-1004336348-1177238915-682003330-1000";

class RmTool : public ::testing::Test {
  protected:
    // On C:, so that a path that should be refused reaches no further than
    // the prefix. The blank shows that a quoted path reaches rm.exe whole.
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        base = temp + std::string("kestrova rm ") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr)) << base;
    }
    // The Unix rm removes what rm.exe left, the links Win32 under Wine cannot.
    void TearDown() override {
        RunUnix("/bin/rm -rf \"" + UnixPathOf(base) + "\"");
        EXPECT_TRUE(WaitUntil([&] { return !PathExists(base); }));
    }

    // rm.exe through cmd.exe, its standard error kept in stderr.txt.
    DWORD Rm(const std::string& arguments, const std::string& folder = {}) const {
        return RunToEnd("cmd.exe /c \"\"" + WindowsPathOf(RM_EXE_PATH) + "\" " + arguments + " 2>" +
                            Quoted("stderr.txt") + "\"",
                        folder);
    }
    std::string At(const std::string& relative) const { return base + "\\" + relative; }
    std::string Quoted(const std::string& relative) const { return "\"" + At(relative) + "\""; }
    // Folders (named with a final backslash) and files, in that order.
    void Make(std::initializer_list<std::string> relatives, DWORD attributes = 0) {
        for (const std::string& relative : relatives) {
            ASSERT_TRUE(relative.ends_with('\\') ? CreateDirectoryA(At(relative).c_str(), nullptr)
                                                 : CloseHandle(File(relative, attributes)))
                << relative;
        }
    }
    // A file held open without sharing until the handle is closed.
    HANDLE File(const std::string& relative, DWORD attributes = 0) {
        return CreateFileA(At(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes,
                           nullptr);
    }
    // A recycle bin as Windows XP leaves it, with a deleted file and folder.
    void Bin(const std::string& recycler) {
        const std::string user = recycler + "\\" + kUser;
        CreateFolder(At(user + "\\Dc2\\sub"));
        Make({user + "\\INFO2", user + "\\desktop.ini", user + "\\Dc1.txt", user + "\\Dc2\\f.txt"});
    }
    // A Unix symbolic link, which Win32 under Wine sees as a reparse point.
    void Link(const std::string& link, const std::string& target) {
        const auto unixPath = [this](const std::string& relative) {
            return "\"" + UnixPathOf(At(relative)) + "\"";
        };
        RunUnix("/bin/ln -s " + unixPath(target) + " " + unixPath(link));
        ASSERT_TRUE(WaitUntil([&] { return PathExists(At(link)); })) << link;
        ASSERT_NE(GetFileAttributesA(At(link).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    }

    std::string base;
};

TEST_F(RmTool, DeletesARecycleBinAndSaysWhatItCouldNot) {
    Bin("data\\RECYCLER");
    const std::string user = "data\\RECYCLER\\" + kUser;
    Make({"data\\keep.txt", user + "\\Dc3.txt"}, FILE_ATTRIBUTE_READONLY);
    Make({user + "\\Dc2\\sub\\hidden.txt"}, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(SetFileAttributesA(At(user + "\\Dc2").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(At("data\\RECYCLER").c_str(),
                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(Rm("/y " + Quoted("data\\RECYCLER")), kRmExitDeleted);
    EXPECT_FALSE(PathExists(At("data\\RECYCLER")));
    EXPECT_TRUE(PathExists(At("data\\keep.txt")));
    EXPECT_EQ(Rm("/Y " + Quoted("data\\missing\\RECYCLER")), kRmExitNotFound);

    // An index held open without sharing stays, and says so; the rest goes.
    Bin("busy\\RECYCLER");
    HANDLE busy = File("busy\\RECYCLER\\" + kUser + "\\INFO");
    EXPECT_EQ(Rm("/y " + Quoted("busy\\RECYCLER")), kRmExitIncomplete);
    CloseHandle(busy);
    EXPECT_TRUE(PathExists(At("busy\\RECYCLER\\" + kUser + "\\INFO")));
    EXPECT_FALSE(PathExists(At("busy\\RECYCLER\\" + kUser + "\\Dc2")));
    EXPECT_NE(ReadFileText(At("stderr.txt")).find(kUser + "\\INFO\""), std::string::npos);
}

// Each refusal must leave every sentinel in place before the next is tried:
// the harmless cases first, up to the drive root. The relative paths, run in
// "data", would reach its bin if they were taken.
TEST_F(RmTool, RefusesAllButARecycleBinAndDeletesNothing) {
    Bin("data\\RECYCLER");
    Bin("data\\Recycled");
    Bin("user\\RECYCLER");
    Make({"data\\keep.txt", "user\\RECYCLER\\" + kUser + "\\report.txt", "linked\\"});
    Link("linked\\RECYCLER", "data\\RECYCLER");
    const std::string sentinels[] = {"data\\keep.txt", "data\\RECYCLER\\" + kUser + "\\Dc1.txt",
                                     "data\\Recycled\\" + kUser + "\\Dc1.txt",
                                     "user\\RECYCLER\\" + kUser + "\\Dc1.txt"};
    // The parent of a bin, as a split batch line gave it: refused and explained.
    EXPECT_EQ(Rm("/y " + Quoted("data\\\\"), At("data")), kRmExitNotABin);
    EXPECT_NE(ReadFileText(At("stderr.txt")).find(At("data") + "\": not a recycle bin: "),
              std::string::npos);
    for (const std::string& arguments :
         {Quoted("data\\RECYCLER"), "/x " + Quoted("data\\RECYCLER")}) {
        EXPECT_EQ(Rm(arguments), kRmExitUsage) << arguments;
    }
    const std::pair<int, std::vector<std::string>> cases[] = {
        {kRmExitNotABin,
         {Quoted("data\\Recycled"), Quoted("user\\RECYCLER"), Quoted("linked\\RECYCLER")}},
        {kRmExitRefused,
         {"RECYCLER", "C:RECYCLER", Quoted("data\\RECYCLE?"),
          "\"\\\\?\\" + At("data\\RECYCLER") + "\"", "C:", Quoted("data\\..\\..\\..\\..\\..\\.."),
          "C:\\"}},
    };
    for (const auto& [exitCode, paths] : cases) {
        for (const std::string& path : paths) {
            EXPECT_EQ(Rm("/y " + path, At("data")), static_cast<DWORD>(exitCode)) << path;
            for (const std::string& sentinel : sentinels) {
                ASSERT_TRUE(PathExists(At(sentinel))) << sentinel << " deleted by rm /y " << path;
            }
        }
    }
}

// On Windows removing a link removes just the link. Wine 8 applies
// RemoveDirectoryA on a Unix link to its target, which is not empty: the link
// stays and rm.exe says so. Either way nothing is deleted through the link.
TEST_F(RmTool, RemovesLinksInADeletedFolderAsLinksWithoutEnteringThem) {
    Make({"outside\\", "outside\\keep.txt"});
    Bin("bin\\RECYCLER");
    Link("bin\\RECYCLER\\" + kUser + "\\Dc2\\a link", "outside");
    const DWORD exitCode = Rm("/y " + Quoted("bin\\RECYCLER"));
    EXPECT_TRUE(exitCode == kRmExitDeleted || exitCode == kRmExitIncomplete) << exitCode;
    EXPECT_TRUE(PathExists(At("outside\\keep.txt")));
    EXPECT_FALSE(PathExists(At("bin\\RECYCLER\\" + kUser + "\\Dc2\\sub")));
}

}  // namespace
}  // namespace kestrova::e2e
