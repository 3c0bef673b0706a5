#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <random>

#include "platform/win32/Handle.h"
#include "tests/faults/SaveLoop.h"
#include "tests/support/e2e/Driver.h"
#include "tests/support/e2e/Program.h"

namespace kestrova::e2e {
namespace {

// Kills SaveLoop.exe at random moments of its saves: after every kill
// Shrt.dat is one of the two whole tables, byte for byte, and a run that
// starts beside the cut Shrt.dat.tmp a kill left behind saves as well.
TEST(Faults, AKillDuringASaveLeavesTheWholeOldOrTheWholeNewTable) {
    ProgramFolder folder("kill-during-save", faults::TableText(0));
    const std::string store = folder.File("Shrt.dat");
    const std::string name = "Local\\KestrovaSaveLoop." + std::to_string(GetCurrentProcessId());
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(faults::SaveRecord), name.c_str());
    auto* record = static_cast<faults::SaveRecord*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(faults::SaveRecord)));
    ASSERT_NE(record, nullptr);
    const unsigned randomStart = GetTickCount();
    std::mt19937 random(randomStart);
    std::uniform_int_distribution<DWORD> delay(0, 40);  // a save takes a few milliseconds
    const std::string command =
        "\"" + BuildPath("tests\\faults\\SaveLoop.exe") + "\" \"" + store + "\" " + name;
    int inWrite = 0;
    int inReplace = 0;
    int beside = 0;
    int besideSaved = 0;
    int tables[2] = {0, 0};
    for (int kill = 0; kill < 120; ++kill) {
        const std::string before = ReadFileText(store);
        const bool leftover = PathExists(store + ".tmp");
        *record = {};
        std::string line = command;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                   nullptr, nullptr, &startup, &process));
        ASSERT_TRUE(WaitUntil([&] { return record->started != 0; }, 60000));
        Sleep(delay(random));
        TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);

        const std::string after = ReadFileText(store);
        const int which = after == faults::TableText(0)   ? 0
                          : after == faults::TableText(1) ? 1
                                                          : -1;
        ASSERT_NE(which, -1) << "kill " << kill << " in phase " << record->phase
                             << ", random start " << randomStart << ": " << after.size()
                             << " bytes";
        EXPECT_EQ(record->readOk, 1);
        EXPECT_EQ(record->failed, 0);
        if (record->phase != faults::kReplacing) {  // the moves done tell which table it is
            EXPECT_EQ(after == before, record->replaced % 2 == 0) << "kill " << kill;
        }
        ++tables[which];
        inWrite += record->phase == faults::kWriting;
        inReplace += record->phase == faults::kReplacing;
        beside += leftover;
        besideSaved += leftover && record->replaced > 0;
    }
    std::printf(
        "120 kills (random start %u): %d inside the write, %d inside the move; %d beside "
        "a leftover Shrt.dat.tmp, %d of them saved; the 26 rows %d times, the 3 rows %d\n",
        randomStart, inWrite, inReplace, beside, besideSaved, tables[0], tables[1]);
    EXPECT_GT(inWrite, 0);  // else the kills proved nothing
    EXPECT_GT(tables[0] * tables[1], 0);
    EXPECT_GT(besideSaved, 0);
    UnmapViewOfFile(record);
    CloseHandle(mapping);
}

// The subst.exe processes running, ended when `end` is true (under Wine a
// double whose caller was killed has, once, never come back from starting
// its Unix helper).
int SubstRunning(bool end = false) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int running = 0;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "subst.exe") == 0 && end) {
            TerminateProcess(
                UniqueHandle(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)).Get(), 1);
        }
        running += lstrcmpiA(entry.szExeFile, "subst.exe") == 0 ? 1 : 0;
    }
    return running;
}

// "/R" unmounts every drive and empties the table, run after run, and a kill
// at any moment leaves the table whole.
TEST(RemoveAllAndExit, UnmountsAllEveryTimeAndIsNeverCutByAKill) {
    ASSERT_TRUE(AttachToDesktop());
    ProgramFolder program("remove-all");
    const auto mapThree = [&] { return program.MapAndStore({"E:", "G:", "J:"}); };
    for (int run = 0; run < 50; ++run) {
        mapThree();
        RunningProgram kestrova(program, "/R");
        ASSERT_TRUE(kestrova.WaitForExit(60000));
        ASSERT_EQ(program.SubstLog(), (std::vector<std::string>{"J: /d", "G: /d", "E: /d"}))
            << "run " << run;
        ASSERT_FALSE(Mapped('E') || Mapped('G') || Mapped('J')) << "run " << run;
        ASSERT_EQ(program.Store(), "") << "run " << run;
    }
    const std::string store = mapThree();
    // A slow subst, and a kill at any moment: the file is whole, old or new.
    SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", "150");
    std::mt19937 random(GetTickCount());
    int stuck = 0;
    for (int kill = 0; kill < 10; ++kill) {
        {
            RunningProgram kestrova(program, "/R");
            Sleep(std::uniform_int_distribution<DWORD>(0, 1500)(random));
        }  // ended here by its id, if it still runs
        WaitUntil([] { return SubstRunning() == 0; });
        stuck += SubstRunning(true);
        const std::string after = program.Store();
        EXPECT_TRUE(after == store || after.empty()) << "kill " << kill << ": " << after;
        UnmapAll();
        mapThree();
    }
    SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", nullptr);
    std::printf("10 kills of \"/R\": %d subst.exe left running and ended\n", stuck);
    UnmapAll();
}

}  // namespace
}  // namespace kestrova::e2e
