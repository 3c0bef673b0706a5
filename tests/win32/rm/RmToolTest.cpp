// Runs the real rm.exe under Wine on trees built in a fresh program folder,
// and checks its exit code and what is left on disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "tests/support/e2e/Driver.h"
#include "tests/support/e2e/Program.h"
#include "tools/rm/RmRules.h"

namespace kestrova::e2e {
namespace {

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

    static DWORD Rm(const std::string& arguments, const std::string& folder = {}) {
        return RunToEnd("\"" + WindowsPathOf(RM_EXE_PATH) + "\" " + arguments, folder);
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

TEST_F(RmTool, DeletesTreesAndFilesAndSaysWhatItCouldNot) {
    Make({"tree\\", "tree\\a\\", "tree\\a\\b\\", "tree\\locked\\", "busy\\", "tree\\a\\b\\deep.txt",
          "busy\\other.txt"});
    Make({"tree\\read-only.txt", "tree\\locked\\inside.txt", "alone.txt"}, FILE_ATTRIBUTE_READONLY);
    Make({"tree\\a\\hidden.txt"}, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(SetFileAttributesA(At("tree\\locked").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Rm("/y " + Quoted("tree")), kRmExitDeleted);
    EXPECT_FALSE(PathExists(At("tree")));
    EXPECT_EQ(Rm("/Y " + Quoted("alone.txt")), kRmExitDeleted);
    EXPECT_FALSE(PathExists(At("alone.txt")));
    EXPECT_EQ(Rm("/y " + Quoted("missing")), kRmExitNotFound);

    // A file held open without sharing stays; the rest of its tree goes.
    HANDLE busy = File("busy\\busy.txt");
    EXPECT_EQ(Rm("/y " + Quoted("busy")), kRmExitIncomplete);
    CloseHandle(busy);
    EXPECT_TRUE(PathExists(At("busy\\busy.txt")));
    EXPECT_FALSE(PathExists(At("busy\\other.txt")));
}

// rm.exe holds to its rules (tested in full natively): the harmless cases
// come first, and each must leave the sentinel in place before the next, up
// to the drive root, is tried.
TEST_F(RmTool, RefusesUnsafePathsAndOtherCommandLinesAndDeletesNothing) {
    Make({"sentinel\\", "sentinel\\sub\\", "sentinel\\sub\\file.txt"});
    for (const std::string& arguments : {Quoted("sentinel"), "/x " + Quoted("sentinel")}) {
        EXPECT_EQ(Rm(arguments), kRmExitUsage) << arguments;
    }
    for (const std::string& path :
         {std::string("sub"), std::string("C:sub"), Quoted("sentinel\\*"),
          "\"\\\\?\\" + At("sentinel\\sub") + "\"", std::string("C:"),
          Quoted("sentinel\\..\\..\\..\\..\\..\\..\\.."), std::string("C:\\")}) {
        EXPECT_EQ(Rm("/y " + path, At("sentinel")), kRmExitRefused) << path;
        ASSERT_TRUE(PathExists(At("sentinel\\sub\\file.txt"))) << "deleted by rm /y " << path;
    }
}

// On Windows removing a link removes just the link. Wine 8 applies
// RemoveDirectoryA on a Unix link to its target, which is not empty: the link
// stays and rm.exe says so. Either way nothing is deleted through the link.
TEST_F(RmTool, RemovesLinksAsLinksWithoutEnteringThem) {
    Make({"outside\\", "tree\\", "tree\\inner\\", "outside\\keep.txt", "tree\\inner\\z.txt"});
    Link("tree\\inner\\a link", "outside");
    Link("top link", "outside");
    for (const char* removed : {"tree", "top link"}) {
        const DWORD exitCode = Rm("/y " + Quoted(removed));
        EXPECT_TRUE(exitCode == kRmExitDeleted || exitCode == kRmExitIncomplete) << removed;
        EXPECT_TRUE(PathExists(At("outside\\keep.txt"))) << removed;
    }
    EXPECT_FALSE(PathExists(At("tree\\inner\\z.txt")));
}

}  // namespace
}  // namespace kestrova::e2e
