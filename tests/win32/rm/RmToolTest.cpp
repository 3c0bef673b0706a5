// Runs the real rm.exe under Wine on trees built in a fresh folder of the
// prefix's temp folder, and checks its exit code and what is left on disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>

#include "tools/rm/RmRules.h"

namespace kestrova {
namespace {

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Starts a program; waits for its exit code, or not at all for a Unix
// program, which Wine starts but does not track.
DWORD Start(const std::string& commandLine, const std::string& folder = {}, bool wait = true) {
    std::string line = commandLine;  // CreateProcessA may write to it
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DWORD code = ~0u;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        if (wait && WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &code);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return code;
}

// Runs rm.exe, which Wine finds on the Unix root, drive Z:.
DWORD Rm(const std::string& arguments, const std::string& folder = {}) {
    std::string exe = "Z:" RM_EXE_PATH;
    std::replace(exe.begin(), exe.end(), '/', '\\');
    return Start("\"" + exe + "\" " + arguments, folder);
}

// Waits up to 15 s for what a Unix command does.
bool Eventually(const std::string& path, bool exists) {
    for (int i = 0; i < 750 && Exists(path) != exists; ++i) {
        Sleep(20);
    }
    return Exists(path) == exists;
}

class RmTool : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        // The blank shows that a quoted path reaches rm.exe as one argument.
        static int run = 0;
        base = std::string(temp) + "kestrova rm " + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++run);
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr)) << base;
        // cppcheck-suppress cstyleCast ; a function pointer type, not a cast
        using UnixFileName = char*(CDECL*)(const WCHAR*);
        const auto unixName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        std::wstring wide(base.begin(), base.end());
        char* name = unixName != nullptr ? unixName(wide.c_str()) : nullptr;
        ASSERT_NE(name, nullptr) << "no Unix path for " << base;
        unixBase = name;
        HeapFree(GetProcessHeap(), 0, name);
    }
    // The Unix rm removes whatever rm.exe left, the links Win32 under Wine cannot.
    void TearDown() override {
        Start("Z:\\bin\\rm -rf \"" + unixBase + "\"", {}, false);
        EXPECT_TRUE(Eventually(base, false)) << "left behind: " << base;
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
        const auto unixPath = [this](std::string relative) {
            std::replace(relative.begin(), relative.end(), '\\', '/');
            return "\"" + unixBase + "/" + relative + "\"";
        };
        Start("Z:\\bin\\ln -s " + unixPath(target) + " " + unixPath(link), {}, false);
        ASSERT_TRUE(Eventually(At(link), true)) << link;
        ASSERT_NE(GetFileAttributesA(At(link).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    }

    std::string base;
    std::string unixBase;
};

TEST_F(RmTool, DeletesTreesAndFilesAndSaysWhatItCouldNot) {
    Make({"tree\\", "tree\\a\\", "tree\\a\\b\\", "tree\\locked\\", "busy\\", "tree\\a\\b\\deep.txt",
          "busy\\other.txt"});
    Make({"tree\\read-only.txt", "tree\\locked\\inside.txt", "alone.txt"}, FILE_ATTRIBUTE_READONLY);
    Make({"tree\\a\\hidden.txt"}, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(SetFileAttributesA(At("tree\\locked").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Rm("/y " + Quoted("tree")), kRmExitDeleted);
    EXPECT_FALSE(Exists(At("tree")));
    EXPECT_EQ(Rm("/Y " + Quoted("alone.txt")), kRmExitDeleted);
    EXPECT_FALSE(Exists(At("alone.txt")));
    EXPECT_EQ(Rm("/y " + Quoted("missing")), kRmExitNotFound);

    // A file held open without sharing stays; the rest of its tree goes.
    HANDLE busy = File("busy\\busy.txt");
    EXPECT_EQ(Rm("/y " + Quoted("busy")), kRmExitIncomplete);
    CloseHandle(busy);
    EXPECT_TRUE(Exists(At("busy\\busy.txt")));
    EXPECT_FALSE(Exists(At("busy\\other.txt")));
}

// The harmless cases come first: each must leave the sentinel in place before
// the next, up to the drive root, is tried.
TEST_F(RmTool, RefusesUnsafePathsAndOtherCommandLinesAndDeletesNothing) {
    Make({"sentinel\\", "sentinel\\sub\\", "sentinel\\sub\\file.txt"});
    for (const std::string& arguments :
         {std::string(), Quoted("sentinel"), "/x " + Quoted("sentinel"),
          "/y " + Quoted("sentinel") + " " + Quoted("sentinel")}) {
        EXPECT_EQ(Rm(arguments), kRmExitUsage) << arguments;
    }
    for (const std::string& path :
         {std::string("\"\""), std::string("sub"), std::string("C:sub"), Quoted("sentinel\\*"),
          "\"\\\\?\\" + At("sentinel\\sub") + "\"", Quoted("sentinel\\sub\\NUL"),
          std::string("\\\\localhost\\C$"), std::string("C:"),
          Quoted("sentinel\\..\\..\\..\\..\\..\\..\\.."), std::string("C:\\")}) {
        EXPECT_EQ(Rm("/y " + path, At("sentinel")), kRmExitRefused) << path;
        ASSERT_TRUE(Exists(At("sentinel\\sub\\file.txt"))) << "deleted by rm /y " << path;
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
        EXPECT_TRUE(Exists(At("outside\\keep.txt"))) << removed;
    }
    EXPECT_FALSE(Exists(At("tree\\inner\\z.txt")));
}

}  // namespace
}  // namespace kestrova
