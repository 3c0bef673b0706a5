#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/e2e/TestProgram.h"
#include "tests/support/e2e/UiDriver.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;

class RemoveTest : public ::testing::Test {
  protected:
    void SetUp() override { AttachToDesktop(); }
    static void Map(const ProgramFolder& program, const std::string& letter,
                    const std::string& folder) {
        ASSERT_EQ(
            RunToEnd("\"" + program.File("subst.exe") + "\" " + letter + " \"" + folder + "\""),
            0u);
    }
    static void UnmapLeftovers(const ProgramFolder& program) {
        for (const char* letter : {"E:", "F:", "G:"}) {
            if (Mapped(letter[0])) {
                RunToEnd("\"" + program.File("subst.exe") + "\" " + letter + " /d");
            }
        }
    }
};

TEST_F(RemoveTest, RemoveAllAndExitUnmountsLastToFirstAndEmptiesTheStore) {
    ProgramFolder program("remove-exit");
    std::string store;
    for (const char* letter : {"E:", "F:", "G:"}) {
        const std::string folder = program.MakeFolder(std::string("folder") + letter[0]);
        Map(program, letter, folder);
        store += std::string(letter) + "-" + ShortPath(folder) + "\r\n";
    }
    WriteFileText(program.File("Shrt.dat"), store);
    RunningProgram kestrova(program.File("Kestrova.exe"), "/R", program.Path());
    ASSERT_TRUE(kestrova.WaitForExit(60000));
    const std::vector<std::string> log = program.SubstLog();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(log.begin() + 3, log.end()),
              (std::vector<std::string>{"G: /d", "F: /d", "E: /d"}));
    EXPECT_FALSE(Mapped('E') || Mapped('F') || Mapped('G'));
    EXPECT_TRUE(PathExists(program.File("Shrt.dat")));
    EXPECT_EQ(program.Store(), "");
    EXPECT_FALSE(PathExists(program.File("Removea.bat")));
    EXPECT_FALSE(PathExists(program.File("Remove.bat")));
    UnmapLeftovers(program);
}

TEST_F(RemoveTest, RemoveDriveUnmapsAndItsBatchFileCleansTheRecyclerOnly) {
    ProgramFolder program("remove-drive");
    const std::string data = program.MakeFolder("Data");
    program.MakeFolder("Data\\RECYCLER\\inner");
    WriteFileText(data + "\\RECYCLER\\inner\\junk.txt", "junk");
    WriteFileText(data + "\\keep.txt", "keep");
    Map(program, "E:", data);
    WriteFileText(program.File("Shrt.dat"), "E:-" + ShortPath(data) + "\r\n");

    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 30000);
    ASSERT_NE(window, nullptr);
    HWND list = FindDescendantById(window, ids::lstDrives);
    ASSERT_TRUE(SelectListViewRow(list, 0));
    Click(FindDescendantById(window, ids::Command4));
    EXPECT_TRUE(WaitUntil([&] { return ListViewRows(list, 2).empty(); }, 30000));
    EXPECT_FALSE(Mapped('E'));
    EXPECT_TRUE(WaitUntil(
        [&] { return !PathExists(data + "\\RECYCLER") && !PathExists(program.File("Remove.bat")); },
        30000))
        << "RECYCLER " << PathExists(data + "\\RECYCLER") << ", Remove.bat "
        << PathExists(program.File("Remove.bat"));
    EXPECT_EQ(ReadFileText(data + "\\keep.txt"), "keep");
    // The store follows when the window closes.
    EXPECT_EQ(program.Store(), "E:-" + ShortPath(data) + "\r\n");
    PostClose(window);
    ASSERT_TRUE(kestrova.WaitForExit(15000));
    EXPECT_EQ(program.Store(), "");
    UnmapLeftovers(program);
}

TEST_F(RemoveTest, RemoveAllCleansEveryLocalFolderAndSkipsTheNetworkOne) {
    ProgramFolder program("remove-all");
    std::string store;
    std::vector<std::string> folders;
    for (const char* letter : {"E:", "G:"}) {
        const std::string folder = program.MakeFolder(std::string("folder") + letter[0]);
        program.MakeFolder(std::string("folder") + letter[0] + "\\RECYCLER");
        WriteFileText(folder + "\\keep.txt", "keep");
        Map(program, letter, folder);
        folders.push_back(folder);
    }
    store = "E:-" + ShortPath(folders[0]) + "\r\nF:-\"\\\\server\\share\"\r\nG:-" +
            ShortPath(folders[1]) + "\r\n";
    WriteFileText(program.File("Shrt.dat"), store);
    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    HWND window = WaitForWindow(kestrova.Id(), "Kestrova", 30000);
    ASSERT_NE(window, nullptr);
    Click(FindDescendantById(window, ids::cmdRemove));
    HWND status = FindDescendantById(window, ids::lblStatus);
    HWND list = FindDescendantById(window, ids::lstDrives);
    EXPECT_TRUE(WaitUntil(
        [&] { return ListViewRows(list, 2).empty() && WindowText(status) == "Virtual Drives"; },
        30000));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return !PathExists(folders[0] + "\\RECYCLER") &&
                   !PathExists(folders[1] + "\\RECYCLER") &&
                   !PathExists(program.File("Removea.bat"));
        },
        30000));
    for (const std::string& folder : folders) {
        EXPECT_EQ(ReadFileText(folder + "\\keep.txt"), "keep");
    }
    const std::vector<std::string> log = program.SubstLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
              (std::vector<std::string>{"G: /d", "F: /d", "E: /d"}));
    PostClose(window);
    ASSERT_TRUE(kestrova.WaitForExit(15000));
    EXPECT_EQ(program.Store(), "");
    UnmapLeftovers(program);
}

}  // namespace
}  // namespace kestrova
