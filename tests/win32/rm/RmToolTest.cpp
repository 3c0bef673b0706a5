// The real rm.exe under Wine on trees built in a fresh folder: its exit code and what is left.
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
    // On C:, so a path to refuse reaches no further than the prefix; the blank tests the quoting.
    void SetUp() override {
        base = std::string("C:\\windows\\temp\\kestrova rm ") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr)) << base;
    }
    // The Unix rm removes what rm.exe left, the links Win32 under Wine cannot.
    void TearDown() override {
        StartHidden("/bin/rm -rf \"" + UnixPathOf(base) + "\"");
        EXPECT_TRUE(WaitUntil([&] { return !PathExists(base); }));
    }

    // rm.exe through cmd.exe, its standard error kept in stderr.txt.
    DWORD Rm(const std::string& arguments, const std::string& folder = {}) const {
        const std::string rm = "\"" + WindowsPathOf(RM_EXE_PATH) + "\" " + arguments;
        return RunToEnd("cmd.exe /c \"" + rm + " 2>" + Quoted("stderr.txt") + "\"", folder);
    }
    std::string At(const std::string& relative) const { return base + "\\" + relative; }
    std::string Quoted(const std::string& relative) const { return "\"" + At(relative) + "\""; }
    std::string Yes(const std::string& relative) const { return "/y " + Quoted(relative); }
    // Folders (named with a final backslash) and files, in that order.
    void Make(std::initializer_list<std::string> relatives, DWORD attributes = 0) {
        for (const std::string& relative : relatives) {
            ASSERT_TRUE(relative.ends_with('\\')
                            ? CreateDirectoryA(At(relative).c_str(), nullptr)
                            : CloseHandle(CreateFileA(At(relative).c_str(), GENERIC_WRITE, 0,
                                                      nullptr, CREATE_NEW, attributes, nullptr)))
                << relative;
        }
    }
    // A recycle bin as Windows XP leaves it, with a deleted file and folder; its user's folder.
    std::string Bin(const std::string& recycler) {
        std::string user = recycler + "\\" + kUser;
        CreateFolder(At(user + "\\Dc2\\sub"));
        Make({user + "\\INFO2", user + "\\desktop.ini", user + "\\Dc1.txt", user + "\\Dc2\\f.txt"});
        return user;
    }
    // A Unix symbolic link, which Win32 under Wine sees as a reparse point.
    void Link(const std::string& link, const std::string& target) {
        StartHidden("/bin/ln -s \"" + UnixPathOf(At(target)) + "\" \"" + UnixPathOf(At(link)) +
                    "\"");
        ASSERT_TRUE(WaitUntil([&] { return PathExists(At(link)); })) << link;
        ASSERT_NE(GetFileAttributesA(At(link).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    }

    std::string base;
};

TEST_F(RmTool, DeletesARecycleBinAndSaysWhatItCouldNot) {
    const std::string user = Bin("data\\RECYCLER");
    Make({"data\\keep.txt", user + "\\Dc3.txt"}, FILE_ATTRIBUTE_READONLY);
    Make({user + "\\Dc2\\sub\\hidden.txt"}, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(SetFileAttributesA(At(user + "\\Dc2").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(At("data\\RECYCLER").c_str(),
                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(Rm(Yes("data\\RECYCLER")), kRmExitDeleted);
    EXPECT_FALSE(PathExists(At("data\\RECYCLER")));
    EXPECT_TRUE(PathExists(At("data\\keep.txt")));
    EXPECT_EQ(Rm("/Y " + Quoted("data\\missing\\RECYCLER")), kRmExitNotFound);

    // An index held open without sharing stays, and says so; the rest goes. A link in a deleted
    // folder is removed as a link, or kept and named (Wine 8's RemoveDirectoryA acts on the
    // target); nothing is deleted through it.
    const std::string busyUser = Bin("busy\\RECYCLER");
    Make({"outside\\", "outside\\keep.txt", busyUser + "\\Dc4\\", busyUser + "\\Dc4\\sub\\"});
    Link(busyUser + "\\Dc4\\a link", "outside");
    HANDLE busy = CreateFileA(At(busyUser + "\\INFO").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, 0, nullptr);
    EXPECT_EQ(Rm(Yes("busy\\RECYCLER")), kRmExitIncomplete);
    CloseHandle(busy);
    EXPECT_TRUE(PathExists(At(busyUser + "\\INFO")) && PathExists(At("outside\\keep.txt")));
    EXPECT_FALSE(PathExists(At(busyUser + "\\Dc2")) || PathExists(At(busyUser + "\\Dc4\\sub")));
    EXPECT_NE(ReadFileText(At("stderr.txt")).find(kUser + "\\INFO\""), std::string::npos);
}

// Each refusal leaves every sentinel, harmless ones first; relative paths (in data) aim at its bin.
TEST_F(RmTool, RefusesAllButARecycleBinAndDeletesNothing) {
    const std::string sentinels[] = {"data\\keep.txt", Bin("data\\RECYCLER") + "\\Dc1.txt",
                                     Bin("data\\Recycled") + "\\Dc1.txt",
                                     Bin("user\\RECYCLER") + "\\Dc1.txt"};
    Make({"data\\keep.txt", "user\\RECYCLER\\" + kUser + "\\report.txt", "linked\\"});
    Link("linked\\RECYCLER", "data\\RECYCLER");
    // The parent of a bin, as a split batch line gave it: refused and explained.
    EXPECT_EQ(Rm(Yes("data\\\\"), At("data")), kRmExitNotABin);
    EXPECT_NE(ReadFileText(At("stderr.txt")).find(At("data") + "\": not a recycle bin: "),
              std::string::npos);
    const std::pair<int, std::vector<std::string>> cases[] = {
        {kRmExitUsage, {Quoted("data\\RECYCLER"), "/x " + Quoted("data\\RECYCLER")}},
        {kRmExitNotABin, {Yes("data\\Recycled"), Yes("user\\RECYCLER"), Yes("linked\\RECYCLER")}},
        {kRmExitRefused,
         {"/y RECYCLER", "/y C:RECYCLER", Yes("data\\RECYCLE?"),
          "/y \"\\\\?\\" + At("data\\RECYCLER") + "\"",
          "/y C:", Yes("data\\..\\..\\..\\..\\..\\.."), "/y C:\\"}},
    };
    for (const auto& [exitCode, arguments] : cases) {
        for (const std::string& argument : arguments) {
            EXPECT_EQ(Rm(argument, At("data")), static_cast<DWORD>(exitCode)) << argument;
            for (const std::string& sentinel : sentinels) {
                ASSERT_TRUE(PathExists(At(sentinel))) << sentinel << " deleted by rm " << argument;
            }
        }
    }
}

}  // namespace
}  // namespace kestrova::e2e
