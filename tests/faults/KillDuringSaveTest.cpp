#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "core/StoreFile.h"
#include "tests/faults/FaultSupport.h"
#include "tests/faults/SaveLoop.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;
using namespace faults;

constexpr int kKills = 120;
// The delay before each kill is drawn from 0 to this many milliseconds after
// the first save has begun; a save takes a few milliseconds under Wine, so
// the kills fall on every step of the first saves and of later ones.
constexpr int kLongestDelayMs = 40;

// The shared record of one SaveLoop.exe run; it stays readable after a kill.
class SharedRecord {
  public:
    SharedRecord()
        : name_("Local\\KestrovaSaveLoop." + std::to_string(GetCurrentProcessId())),
          mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(SaveLoopRecord), name_.c_str())) {
        if (mapping_ != nullptr) {
            record_ = static_cast<SaveLoopRecord*>(
                MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SaveLoopRecord)));
        }
    }
    ~SharedRecord() {
        if (record_ != nullptr) {
            UnmapViewOfFile(record_);
        }
        if (mapping_ != nullptr) {
            CloseHandle(mapping_);
        }
    }
    SharedRecord(const SharedRecord&) = delete;
    SharedRecord& operator=(const SharedRecord&) = delete;

    bool Valid() const { return record_ != nullptr; }
    const std::string& Name() const { return name_; }
    SaveLoopRecord& Get() { return *record_; }
    void Clear() { ZeroMemory(const_cast<SaveLoopRecord*>(record_), sizeof(SaveLoopRecord)); }

  private:
    std::string name_;
    HANDLE mapping_ = nullptr;
    SaveLoopRecord* record_ = nullptr;
};

std::size_t RowsOf(const std::string& text) {
    return SplitLines(text).size();
}

const char* NameOf(const std::string& text) {
    if (text == LargeTableText()) {
        return "the 26 rows";
    }
    if (text == SmallTableText()) {
        return "the 3 rows";
    }
    return "neither table";
}

// Kills SaveLoop.exe at random points of its saves and checks after each kill
// that Shrt.dat is one of the two complete tables, byte for byte, and the one
// the completed moves say it is. Every run starts on what the killed run left
// behind (a cut Shrt.dat.tmp among it), reads Shrt.dat and saves again.
TEST(KillDuringSave, EveryKillLeavesTheWholeOldOrTheWholeNewTable) {
    const std::string folder = WindowsPathOf(BuildDirectoryUnix()) + "\\faults\\kill-during-save";
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder, ignored);
    const std::string store = folder + "\\Shrt.dat";
    const std::string temporary = store + ".tmp";
    const std::string large = LargeTableText();
    const std::string small = SmallTableText();
    ASSERT_NE(large, small);
    ASSERT_TRUE(WriteFileText(store, large));

    SharedRecord shared;
    ASSERT_TRUE(shared.Valid());
    const std::string exe = WindowsPathOf(SAVE_LOOP_UNIX_PATH);
    // CreateProcessA may write to its command line, so each run gets a copy.
    const std::string command = "\"" + exe + "\" \"" + store + "\" " + shared.Name();

    const unsigned randomStart = GetTickCount();
    std::mt19937 random(randomStart);
    std::uniform_int_distribution<int> delay(0, kLongestDelayMs);
    SCOPED_TRACE("random start " + std::to_string(randomStart));

    int kills = 0;
    int inWrite = 0;
    int inReplace = 0;
    int between = 0;
    int leftoverStarts = 0;
    int leftoverStartsThatSaved = 0;
    int sawLarge = 0;
    int sawSmall = 0;
    long totalSaves = 0;
    const DWORD start = GetTickCount();
    for (int run = 0; run < kKills; ++run) {
        SCOPED_TRACE("kill " + std::to_string(run));
        const std::string before = ReadFileText(store);
        ASSERT_TRUE(before == large || before == small) << before.size() << " bytes";
        const bool leftover = PathExists(temporary);
        shared.Clear();

        std::string commandLine = command;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                   CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process));
        const bool started = WaitUntil([&] { return shared.Get().started != 0; }, 60000);
        if (started) {
            Sleep(static_cast<DWORD>(delay(random)));
        }
        TerminateProcess(process.hProcess, 9);
        const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        ASSERT_TRUE(started) << "SaveLoop.exe did not begin saving";
        ASSERT_TRUE(ended);
        ++kills;

        const SaveLoopRecord record = shared.Get();
        EXPECT_EQ(record.readStatus, static_cast<long>(ReadStatus::Ok));
        EXPECT_EQ(static_cast<std::size_t>(record.rowsRead), RowsOf(before));
        EXPECT_EQ(record.savesFailed, 0);
        totalSaves += record.savesDone;

        const std::string after = ReadFileText(store);
        ASSERT_TRUE(after == large || after == small)
            << "Shrt.dat holds " << after.size() << " bytes after a kill in phase " << record.phase;
        sawLarge += after == large ? 1 : 0;
        sawSmall += after == small ? 1 : 0;
        const std::string other = before == large ? small : large;
        switch (record.phase) {
            case kPhaseWriting:
                ++inWrite;
                break;
            case kPhaseReplacing:
                ++inReplace;
                break;
            default:
                ++between;
                break;
        }
        // Outside a move the completed moves tell which table is on disk:
        // the first save wrote the other table, each later one switched back.
        if (record.phase != kPhaseReplacing) {
            EXPECT_EQ(NameOf(after), NameOf(record.replaced % 2 == 0 ? before : other))
                << record.replaced << " moves";
        }
        if (leftover) {
            ++leftoverStarts;
            leftoverStartsThatSaved += record.savesDone > 0 ? 1 : 0;
        }
    }
    const DWORD elapsed = GetTickCount() - start;
    std::printf(
        "%d kills in %lu ms (random start %u): %d inside the write of Shrt.dat.tmp, %d inside the "
        "move, "
        "%d outside both (composing the lines, or between saves); %ld saves completed; "
        "%d runs started beside a leftover Shrt.dat.tmp, %d of them saved; Shrt.dat was the "
        "26 rows %d times, the 3 rows %d times\n",
        kills, static_cast<unsigned long>(elapsed), randomStart, inWrite, inReplace, between,
        totalSaves, leftoverStarts, leftoverStartsThatSaved, sawLarge, sawSmall);
    EXPECT_GE(kills, 100);
    // The kills must have hit saves in progress, and both tables must have
    // been on disk at some kill, or the loop proved nothing.
    EXPECT_GT(inWrite, 0);
    EXPECT_GT(sawLarge, 0);
    EXPECT_GT(sawSmall, 0);
    EXPECT_GT(leftoverStartsThatSaved, 0);
}

// A kill inside the write leaves a cut Shrt.dat.tmp. The program reads
// Shrt.dat beside it, shows that table, and its next save replaces the
// leftover and writes the table whole.
TEST(KillDuringSave, ALeftoverTemporaryFileDoesNotHarmTheNextStart) {
    AttachToDesktop();
    const std::string small = SmallTableText();
    ProgramFolder program("faults-leftover-tmp", small);
    const std::string large = LargeTableText();
    ASSERT_TRUE(WriteFileText(program.File("Shrt.dat.tmp"), large.substr(0, large.size() / 2)));

    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);
    EXPECT_EQ(window.Letters(), (std::vector<std::string>{"H:", "Q:", "X:"}));
    EXPECT_EQ(window.MountEntries(), SplitLines(small));
    EXPECT_EQ(window.Status(), std::string("3") + kNotMountedSummary);
    PostClose(window.main);
    // A failed save would hold the process in its message box.
    ASSERT_TRUE(kestrova.WaitForExit(30000));
    EXPECT_EQ(program.Store(), small);
    EXPECT_FALSE(PathExists(program.File("Shrt.dat.tmp")));
}

}  // namespace
}  // namespace kestrova
