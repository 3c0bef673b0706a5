#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "platform/win32/Handle.h"
#include "tests/e2e/Journey.h"
#include "tests/faults/SaveLoop.h"

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
    int inWrite = 0, inReplace = 0, beside = 0, besideSaved = 0, tables[2] = {0, 0};
    for (int kill = 0; kill < 120; ++kill) {
        const std::string before = ReadFileText(store);
        const bool leftover = PathExists(store + ".tmp");
        *record = {};
        std::string line =
            "\"" + BuildPath("tests\\faults\\SaveLoop.exe") + "\" \"" + store + "\" " + name;
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

bool SubstRunning() {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "subst.exe") == 0) {
            return true;
        }
    }
    return false;
}

class RemoveAllAndExit : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(AttachToDesktop()); }
    void TearDown() override { UnmapAll(); }
    static std::string MapThree(const ProgramFolder& program) {
        return program.MapAndStore({"E:", "G:", "J:"});
    }
};

TEST_F(RemoveAllAndExit, UnmountsAllThreeEveryTime) {
    ProgramFolder program("remove-all-50");
    for (int run = 0; run < 50; ++run) {
        MapThree(program);
        RunningProgram kestrova(program, "/R");
        ASSERT_TRUE(kestrova.WaitForExit(60000));
        ASSERT_EQ(program.SubstLog(), (std::vector<std::string>{"J: /d", "G: /d", "E: /d"}))
            << "run " << run;
        ASSERT_FALSE(Mapped('E') || Mapped('G') || Mapped('J')) << "run " << run;
        ASSERT_EQ(program.Store(), "") << "run " << run;
    }
}

TEST_F(RemoveAllAndExit, KeepsWhatItCannotUnmountAndIsNeverCutByAKill) {
    ProgramFolder program("remove-all-faults");
    const std::string store = MapThree(program);
    // No subst.exe anywhere: Wine's own is moved aside as well.
    DeleteFileA(program.File("subst.exe").c_str());
    const std::string system = "C:\\windows\\system32\\subst.exe";
    MoveFileA(system.c_str(), (system + ".aside").c_str());
    RunningProgram missing(program, "/R");
    EXPECT_TRUE(missing.WaitForExit());
    MoveFileA((system + ".aside").c_str(), system.c_str());
    EXPECT_EQ(program.Store(), store);
    EXPECT_TRUE(Mapped('E') && Mapped('G') && Mapped('J'));

    // A slow subst, and a kill at any moment: the file is whole, old or new.
    CopyFileA(BuildPath("tests\\support\\subst.exe").c_str(), program.File("subst.exe").c_str(),
              FALSE);
    SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", "150");
    std::mt19937 random(GetTickCount());
    for (int kill = 0; kill < 10; ++kill) {
        {
            RunningProgram kestrova(program, "/R");
            Sleep(std::uniform_int_distribution<DWORD>(0, 1500)(random));
        }  // ended here by its id, if it still runs
        ASSERT_TRUE(WaitUntil([] { return !SubstRunning(); }));
        const std::string after = program.Store();
        EXPECT_TRUE(after == store || after.empty()) << "kill " << kill << ": " << after;
        UnmapAll();
        MapThree(program);
    }
    SetEnvironmentVariableA("KESTROVA_SUBST_DELAY_MS", nullptr);
}

// The process's live GDI objects: the entries of its GDI handle table (its
// PEB points at the table) that hold a type. (GetGuiResources answers
// nothing under Wine.)
std::size_t GdiObjects(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic{};
    NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr);
    char* table = nullptr;
    ReadProcessMemory(process, reinterpret_cast<char*>(basic.PebBaseAddress) + 0xF8, &table,
                      sizeof table, nullptr);
    constexpr std::size_t kEntry = 24;  // the type is its fifteenth byte
    std::vector<char> entries(4096 * kEntry);
    std::size_t live = 0;
    for (std::size_t at = 0; at < 0x10000 * kEntry; at += entries.size()) {
        if (!ReadProcessMemory(process, table + at, entries.data(), entries.size(), nullptr)) {
            break;
        }
        for (std::size_t entry = 0; entry < entries.size(); entry += kEntry) {
            live += entries[entry + 14] != 0;
        }
    }
    return live;
}

// The process's open handles, from the system's list of all handles and
// their owners (GetProcessHandleCount answers 0 under Wine).
long Handles(DWORD processId) {
    struct Entry {
        ULONG owner;
        BYTE type, flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    std::vector<char> list(1 << 22);
    NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), list.data(),
                             static_cast<ULONG>(list.size()), nullptr);
    const auto* entries = reinterpret_cast<const Entry*>(list.data() + sizeof(ULONG_PTR));
    return static_cast<long>(
        std::count_if(entries, entries + *reinterpret_cast<ULONG*>(list.data()),
                      [&](const Entry& entry) { return entry.owner == processId; }));
}

TEST_F(Journey, SoakAboutDrivesAndMountAllLeakNoHandlesAndNoGdiObjects) {
    ProgramFolder program("soak");
    const std::string folder = program.MakeFolder("Soaked");
    Start(program);
    UniqueHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, kestrova->Id()));
    const auto measure = [&] {
        return std::make_pair(Handles(kestrova->Id()),
                              static_cast<long>(GdiObjects(process.Get())));
    };
    HWND list = At(ids::lstDrives);
    const auto about = [&](int times) {
        for (int i = 0; i < times; ++i) {
            Key('A', VK_MENU);
            HWND opened = WaitForWindow(kestrova->Id(), "About Kestrova", 10000);
            ASSERT_NE(opened, nullptr) << i;
            Key(VK_ESCAPE);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(opened); }));
        }
    };
    // Each drive is browsed for, created and removed (a click on its row drops
    // the folder chosen before).
    const auto drives = [&](int times) {
        for (int i = 0; i < times; ++i) {
            Browse(folder);
            Click(At(ids::Command3));
            ASSERT_TRUE(WaitUntil([&] {
                return Rows(list).size() == 2 && Rows(list)[1].image == 0;
            })) << i;
            ClickRow(list, 1);
            Click(At(ids::Command4));
            ASSERT_TRUE(WaitUntil([&] { return Rows(list).size() == 1; }));
        }
    };
    const auto mountAll = [&](int times) {
        for (int i = 0; i < times; ++i) {
            Click(At(ids::cmdMount));
            ASSERT_TRUE(WaitUntil([&] { return Status() == "1 Virtual Drives (Mounted)"; }));
        }
    };
    // One drive stays for Mount All; the others come and go on the same folder.
    Browse(folder);
    Click(At(ids::Command3));
    ASSERT_TRUE(WaitUntil([&] { return Rows(list).size() == 1; }));
    about(10);
    drives(5);
    mountAll(2);
    const auto [handles, gdi] = measure();
    about(200);
    const auto [handlesAbout, gdiAbout] = measure();
    drives(50);
    const auto [handlesDrives, gdiDrives] = measure();
    mountAll(20);
    const auto [handlesMount, gdiMount] = measure();
    std::printf(
        "after the warm-up %ld handles, %ld GDI objects; after 200 About windows %ld, %ld; "
        "after 50 drives created and removed %ld, %ld; after 20 Mount All %ld, %ld\n",
        handles, gdi, handlesAbout, gdiAbout, handlesDrives, gdiDrives, handlesMount, gdiMount);
    for (const auto& [after, before] : {std::pair{handlesAbout, handles},
                                        {handlesDrives, handles},
                                        {handlesMount, handles},
                                        {gdiAbout, gdi},
                                        {gdiDrives, gdi},
                                        {gdiMount, gdi}}) {
        EXPECT_LE(after - before, 5);
    }
    EXPECT_GT(gdi, 10);  // the count sees the window's own objects
    Close();
}

}  // namespace
}  // namespace kestrova::e2e
