#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <random>

#include "tests/faults/SaveLoop.h"
#include "tests/support/e2e/Driver.h"
#include "tests/support/e2e/Program.h"

namespace kestrova::e2e {
namespace {

// After each kill mid-save Shrt.dat is one whole table, and a run beside a cut Shrt.dat.tmp saves.
TEST(Faults, AKillDuringASaveLeavesTheWholeOldOrTheWholeNewTable) {
    ProgramFolder folder("kill-during-save", faults::TableText(0));
    const std::string store = folder.File("Shrt.dat");
    const std::string name = "Local\\KestrovaSaveLoop." + std::to_string(GetCurrentProcessId());
    UniqueHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(faults::SaveRecord), name.c_str()));
    auto* record = static_cast<faults::SaveRecord*>(
        MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(faults::SaveRecord)));
    ASSERT_NE(record, nullptr);
    std::mt19937 random(GetTickCount());
    const std::string command =
        "\"" + BuildPath("tests\\faults\\SaveLoop.exe") + "\" \"" + store + "\" " + name;
    int phases[4] = {};
    int tables[2] = {};
    int besideSaved = 0;
    for (int kill = 0; kill < 120; ++kill) {
        const std::string before = ReadFileText(store);
        const bool leftover = PathExists(store + ".tmp");
        *record = {};
        const UniqueHandle process = StartHidden(command);
        ASSERT_TRUE(process.Valid());
        ASSERT_TRUE(WaitUntil([&] { return record->phase != faults::kNotStarted; }, 60000));
        Sleep(std::uniform_int_distribution<DWORD>(0, 40)(random));  // a save takes a few ms
        TerminateProcess(process.Get(), 9);
        WaitForSingleObject(process.Get(), 30000);

        const std::string after = ReadFileText(store);
        ASSERT_TRUE(after == faults::TableText(0) || after == faults::TableText(1))
            << "kill " << kill << " in phase " << record->phase;
        EXPECT_EQ(record->failed, 0);
        if (record->phase != faults::kReplacing) {  // the moves done tell which table it is
            EXPECT_EQ(after == before, record->replaced % 2 == 0) << "kill " << kill;
        }
        ++phases[record->phase];
        ++tables[after == faults::TableText(1) ? 1 : 0];
        besideSaved += leftover && record->replaced > 0;
    }
    std::printf("120 kills: %d in a write, %d in a move, %d saved beside a .tmp\n",
                phases[faults::kWriting], phases[faults::kReplacing], besideSaved);
    EXPECT_GT(phases[faults::kWriting], 0);  // else the kills proved nothing
    EXPECT_GT(tables[0] * tables[1], 0);
    EXPECT_GT(besideSaved, 0);
    UnmapViewOfFile(record);
}

// The subst.exe processes running, ended if `end` (a double once hung when its caller was killed).
int SubstRunning(bool end = false) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int running = 0;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry)) {
        const bool subst = lstrcmpiA(entry.szExeFile, "subst.exe") == 0;
        if (subst && end) {
            TerminateProcess(
                UniqueHandle(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)).Get(), 1);
        }
        running += subst ? 1 : 0;
    }
    return running;
}

// "/R" unmounts every drive and empties the table, run after run; a kill leaves the table whole.
TEST(RemoveAllAndExit, UnmountsAllEveryTimeAndIsNeverCutByAKill) {
    ASSERT_TRUE(AttachToDesktop());
    ProgramFolder program("remove-all");
    for (int run = 0; run < 50; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        program.MapAndStore({"E:", "G:", "J:"});
        RunningProgram kestrova(program, "/R");
        ASSERT_TRUE(kestrova.WaitForExit(60000));
        ASSERT_EQ(program.SubstLog(), (std::vector<std::string>{"J: /d", "G: /d", "E: /d"}));
        ASSERT_FALSE(Mapped('E') || Mapped('G') || Mapped('J'));
        ASSERT_EQ(program.Store(), "");
    }
    // A slow subst, and a kill at any moment: the file is whole, old or new.
    SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", "150");
    std::mt19937 random(GetTickCount());
    int stuck = 0;
    for (int kill = 0; kill < 10; ++kill) {
        UnmapAll();
        const std::string store = program.MapAndStore({"E:", "G:", "J:"});
        const DWORD delay = std::uniform_int_distribution<DWORD>(0, 1500)(random);
        RunningProgram(program, "/R").WaitForExit(delay);  // then ended by its id if it still runs
        WaitUntil([] { return SubstRunning() == 0; });
        stuck += SubstRunning(true);
        const std::string after = program.Store();
        EXPECT_TRUE(after == store || after.empty()) << "kill " << kill << ": " << after;
    }
    SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", nullptr);
    std::printf("10 kills of \"/R\": %d subst.exe left running and ended\n", stuck);
    UnmapAll();
}

}  // namespace
}  // namespace kestrova::e2e
