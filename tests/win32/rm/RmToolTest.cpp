// Runs the real rm.exe under Wine on trees built in a fresh folder of the
// prefix's temp folder, and checks its exit code, its messages and what is
// left on disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/win32/Handle.h"
#include "tools/rm/RmRules.h"

namespace kestrova {
namespace {

constexpr DWORD kRunTimeoutMs = 60000;
constexpr ULONGLONG kUnixCommandTimeoutMs = 15000;

// rm.exe as Wine sees it: the Unix root is drive Z:.
std::string RmExe() {
    std::string path = std::string("Z:") + RM_EXE_PATH;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WaitUntil(const std::function<bool()>& condition) {
    const ULONGLONG deadline = GetTickCount64() + kUnixCommandTimeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

// Wine starts a Unix program but does not track it, so callers wait for its
// effect instead of its exit.
bool StartUnixCommand(const std::string& commandLine) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::string UnixPath(const std::string& windowsPath) {
    // cppcheck-suppress cstyleCast ; a function pointer type, not a cast
    using WineGetUnixFileName = char*(CDECL*)(const WCHAR*);
    const auto convert = reinterpret_cast<WineGetUnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH] = {};
    if (convert == nullptr ||
        MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH) == 0) {
        return {};
    }
    char* unix = convert(wide);
    if (unix == nullptr) {
        return {};
    }
    std::string text = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return text;
}

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;  // stdout and stderr together
};

RunResult RunRm(const std::string& arguments, const std::string& currentFolder = {}) {
    RunResult result;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 1 << 16)) {
        ADD_FAILURE() << "CreatePipe failed: " << GetLastError();
        return result;
    }
    UniqueHandle reader(readEnd);
    UniqueHandle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    const std::string commandLine = Quoted(RmExe()) + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup,
                        &process)) {
        ADD_FAILURE() << "cannot start " << commandLine << ": " << GetLastError();
        return result;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    // Only rm.exe holds the write end now, so reading ends when it exits.
    writer.Reset();
    if (WaitForSingleObject(process.hProcess, kRunTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        ADD_FAILURE() << "rm.exe did not finish: " << commandLine;
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    char chunk[4096];
    DWORD count = 0;
    while (ReadFile(reader.Get(), chunk, static_cast<DWORD>(sizeof chunk), &count, nullptr) &&
           count > 0) {
        result.output.append(chunk, count);
    }
    return result;
}

class RmTool : public testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathA(static_cast<DWORD>(sizeof temp), temp);
        ASSERT_GT(length, 0u);
        ASSERT_LT(length, sizeof temp);
        static unsigned counter = 0;
        // The blank checks that a quoted path reaches rm.exe as one argument.
        base_ = std::string(temp, length) + "kestrova rm " + std::to_string(GetCurrentProcessId()) +
                "-" + std::to_string(++counter);
        ASSERT_TRUE(CreateDirectoryA(base_.c_str(), nullptr)) << base_;
        unixBase_ = UnixPath(base_);
        ASSERT_FALSE(unixBase_.empty()) << "no Unix path for " << base_;
    }

    // The Unix rm never follows a link and removes the links Win32 under
    // Wine cannot, whatever rm.exe left behind.
    void TearDown() override {
        if (unixBase_.empty()) {
            return;
        }
        ASSERT_TRUE(StartUnixCommand("Z:\\bin\\rm -rf " + Quoted(unixBase_)));
        EXPECT_TRUE(WaitUntil([this] { return !Exists(base_); })) << "left behind: " << base_;
    }

    std::string Path(const std::string& relative) const { return base_ + "\\" + relative; }

    bool MakeFolders(std::initializer_list<const char*> relatives) const {
        return std::all_of(relatives.begin(), relatives.end(), [this](const char* relative) {
            return CreateDirectoryA(Path(relative).c_str(), nullptr) != 0;
        });
    }

    bool MakeFile(const std::string& relative, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
        UniqueHandle file(CreateFileA(Path(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      attributes, nullptr));
        DWORD written = 0;
        return file.Valid() && WriteFile(file.Get(), "data", 4, &written, nullptr) && written == 4;
    }

    // A Unix symbolic link, which Win32 under Wine sees as a folder with
    // FILE_ATTRIBUTE_REPARSE_POINT.
    bool MakeLink(const std::string& linkRelative, const std::string& targetRelative) const {
        std::string link = unixBase_ + "/" + linkRelative;
        std::string target = unixBase_ + "/" + targetRelative;
        std::replace(link.begin(), link.end(), '\\', '/');
        std::replace(target.begin(), target.end(), '\\', '/');
        const std::string linkPath = Path(linkRelative);
        return StartUnixCommand("Z:\\bin\\ln -s " + Quoted(target) + " " + Quoted(link)) &&
               WaitUntil([&linkPath] {
                   const DWORD attributes = GetFileAttributesA(linkPath.c_str());
                   return attributes != INVALID_FILE_ATTRIBUTES &&
                          (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
               });
    }

    std::string base_;
    std::string unixBase_;
};

TEST_F(RmTool, DeletesAFolderTreeWithReadOnlyAndHiddenEntries) {
    ASSERT_TRUE(MakeFolders({"RECYCLER", "RECYCLER\\a", "RECYCLER\\a\\b", "RECYCLER\\a\\b\\c",
                             "RECYCLER\\locked", "SHORT", "SHORT\\inner"}));
    ASSERT_TRUE(MakeFile("RECYCLER\\a\\b\\c\\deep.txt"));
    ASSERT_TRUE(MakeFile("RECYCLER\\read-only.txt", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(MakeFile("RECYCLER\\a\\hidden.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(MakeFile("RECYCLER\\locked\\inside.txt", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(Path("RECYCLER\\locked").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(MakeFile("SHORT\\inner\\file.txt", FILE_ATTRIBUTE_READONLY));

    const RunResult quoted = RunRm("/y " + Quoted(Path("RECYCLER")));
    EXPECT_EQ(quoted.exitCode, kRmExitDeleted) << quoted.output;
    EXPECT_FALSE(Exists(Path("RECYCLER")));

    // The form clean-up batch files use: a short path without quotes.
    char shortPath[MAX_PATH] = {};
    const DWORD length =
        GetShortPathNameA(Path("SHORT").c_str(), shortPath, static_cast<DWORD>(sizeof shortPath));
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, sizeof shortPath);
    ASSERT_EQ(std::string(shortPath).find(' '), std::string::npos) << shortPath;
    const RunResult unquoted = RunRm("/Y " + std::string(shortPath));
    EXPECT_EQ(unquoted.exitCode, kRmExitDeleted) << unquoted.output;
    EXPECT_FALSE(Exists(Path("SHORT")));
    EXPECT_TRUE(Exists(base_));
}

TEST_F(RmTool, DeletesASingleFileAndReportsAMissingPath) {
    ASSERT_TRUE(MakeFile("alone.txt", FILE_ATTRIBUTE_READONLY));
    const RunResult file = RunRm("/y " + Quoted(Path("alone.txt")));
    EXPECT_EQ(file.exitCode, kRmExitDeleted) << file.output;
    EXPECT_FALSE(Exists(Path("alone.txt")));

    const RunResult missing = RunRm("/y " + Quoted(Path("missing")));
    EXPECT_EQ(missing.exitCode, kRmExitNotFound) << missing.output;
    EXPECT_NE(missing.output.find("does not exist"), std::string::npos) << missing.output;
}

// The harmless cases come first, and each must leave the sentinel tree in
// place before the next (up to the drive root) is tried.
TEST_F(RmTool, RefusesUnsafePathsAndDeletesNothing) {
    ASSERT_TRUE(MakeFolders({"sentinel", "sentinel\\sub"}));
    ASSERT_TRUE(MakeFile("sentinel\\sub\\file.txt"));
    const std::string cases[] = {
        "\"\"",
        "sub",
        ".\\sub",
        "C:sub",
        "\\sub",
        Quoted(Path("sentinel\\*")),
        Quoted("\\\\?\\" + Path("sentinel\\sub")),
        "C:",
        Quoted(Path("sentinel") + "\\..\\..\\..\\..\\..\\.."),
        "C:\\",
    };
    for (const std::string& arguments : cases) {
        const RunResult result = RunRm("/y " + arguments, Path("sentinel"));
        EXPECT_EQ(result.exitCode, kRmExitRefused) << arguments << "\n" << result.output;
        EXPECT_NE(result.output.find("refusing"), std::string::npos) << result.output;
        ASSERT_TRUE(Exists(Path("sentinel\\sub\\file.txt"))) << "deleted by rm /y " << arguments;
    }
}

TEST_F(RmTool, RejectsAnyOtherCommandLineWithUsage) {
    ASSERT_TRUE(MakeFolders({"tree"}));
    ASSERT_TRUE(MakeFile("tree\\file.txt"));
    const std::string tree = Quoted(Path("tree"));
    const std::string cases[] = {
        "",           "/y",           tree,         "/x " + tree,
        "-y " + tree, "/yes " + tree, tree + " /y", "/y " + tree + " " + tree,
    };
    for (const std::string& arguments : cases) {
        const RunResult result = RunRm(arguments);
        EXPECT_EQ(result.exitCode, kRmExitUsage) << arguments << "\n" << result.output;
        EXPECT_NE(result.output.find("usage: rm /y PATH"), std::string::npos) << result.output;
        ASSERT_TRUE(Exists(Path("tree\\file.txt"))) << "deleted by rm " << arguments;
    }
}

// On Windows removing a link removes just the link. Wine 8 applies
// RemoveDirectoryA on a Unix symbolic link to the link's target instead, which
// refuses as the target is not empty: the link stays and rm.exe must say so.
// Either way nothing is deleted through the link.
TEST_F(RmTool, RemovesLinksAsLinksWithoutTouchingTheirTargets) {
    ASSERT_TRUE(MakeFolders({"outside", "outside\\sub", "tree", "tree\\inner"}));
    ASSERT_TRUE(MakeFile("outside\\keep.txt"));
    ASSERT_TRUE(MakeFile("outside\\sub\\deep.txt"));
    // Listed in name order, the link comes first; z.txt shows that a link
    // that stays does not stop the rest of the tree from being deleted.
    ASSERT_TRUE(MakeLink("tree\\inner\\a link", "outside"));
    ASSERT_TRUE(MakeFile("tree\\inner\\z.txt"));
    ASSERT_TRUE(MakeLink("top link", "outside"));

    const struct {
        std::string link;
        std::string removed;
    } cases[] = {
        {Path("tree\\inner\\a link"), Path("tree")},
        {Path("top link"), Path("top link")},
    };
    for (const auto& item : cases) {
        const RunResult result = RunRm("/y " + Quoted(item.removed));
        EXPECT_TRUE(Exists(Path("outside\\keep.txt"))) << item.removed;
        EXPECT_TRUE(Exists(Path("outside\\sub\\deep.txt"))) << item.removed;
        if (result.exitCode == kRmExitDeleted) {
            EXPECT_FALSE(Exists(item.removed)) << result.output;
        } else {
            EXPECT_NE(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"), nullptr)
                << result.output;
            EXPECT_EQ(result.exitCode, kRmExitIncomplete) << result.output;
            EXPECT_TRUE(Exists(item.link));
            EXPECT_NE(result.output.find(Quoted(item.link)), std::string::npos) << result.output;
        }
    }
    EXPECT_FALSE(Exists(Path("tree\\inner\\z.txt")));
}

}  // namespace
}  // namespace kestrova
