#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <system_error>

#include "tests/faults/FaultSupport.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;
using namespace faults;

// Shrt.dat held open by this process without sharing, as another program
// might hold it; what it holds can still be read through the same handle.
class HeldWithoutSharing {
  public:
    explicit HeldWithoutSharing(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldWithoutSharing() { Release(); }
    HeldWithoutSharing(const HeldWithoutSharing&) = delete;
    HeldWithoutSharing& operator=(const HeldWithoutSharing&) = delete;

    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
    std::string Contents() const {
        std::string contents;
        if (!Held() ||
            SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
            return contents;
        }
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(handle_, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            contents.append(buffer, read);
        }
        return contents;
    }
    void Release() {
        if (Held()) {
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

  private:
    HANDLE handle_;
};

class StoreFault : public ::testing::Test {
  protected:
    void SetUp() override { AttachToDesktop(); }

    // Removes the first row and mounts the rest, so that the refresh after
    // Mount All has a changed table to save; the save fails, and the rows in
    // memory must stay: E: is not brought back, F: and G: show as mounted.
    static void RemoveFirstRowThenMountAll(const Window& window, const ThreeDrives& drives) {
        ASSERT_TRUE(SelectListViewRow(window.drives, 0));
        window.Click(ids::Command4);
        ASSERT_TRUE(window.WaitForRowCount(2)) << window.Rows().size();
        window.Click(ids::cmdMount);
        ASSERT_TRUE(window.WaitForStatus(std::string("2") + kMountedSummary)) << window.Status();
        EXPECT_EQ(window.Letters(), (std::vector<std::string>{"F:", "G:"}));
        EXPECT_EQ(window.Images(), (std::vector<int>{0, 0}));
        const std::vector<std::string> entries = drives.Entries();
        EXPECT_EQ(window.MountEntries(),
                  std::vector<std::string>(entries.begin() + 1, entries.end()));
        EXPECT_TRUE(Mapped('F') && Mapped('G'));
    }

    // Closes the window: the failed save is reported in a message box, and
    // the program ends once it is dismissed.
    static void CloseExpectingSaveFailure(const Window& window, RunningProgram& kestrova) {
        PostClose(window.main);
        const std::optional<MessageBoxInfo> box = WaitForMessageBox(kestrova.Id(), 30000);
        ASSERT_TRUE(box.has_value()) << "no message about the failed save";
        EXPECT_EQ(box->text, kSaveFailedText);
        EXPECT_EQ(box->caption, "Kestrova");
        EXPECT_EQ(box->iconStyle, 48);
        TakeScreenshot("save-failed");
        DismissMessageBox(box->window);
        ASSERT_TRUE(kestrova.WaitForExit(30000));
    }
};

TEST_F(StoreFault, AReadOnlyStoreKeepsItsBytesAndTheRowsInMemory) {
    // A run that stopped half-way leaves the read-only file, which the fresh
    // program folder could not delete.
    SetFileAttributesA(
        (WindowsPathOf(BuildDirectoryUnix()) + "\\e2e\\faults-read-only-store\\Shrt.dat").c_str(),
        FILE_ATTRIBUTE_NORMAL);
    ProgramFolder program("faults-read-only-store");
    ThreeDrives drives(program);
    const std::string store = program.File("Shrt.dat");
    ASSERT_TRUE(SetFileAttributesA(store.c_str(), FILE_ATTRIBUTE_READONLY));

    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);
    EXPECT_EQ(window.Status(), std::string("3") + kNotMountedSummary);
    EXPECT_EQ(window.MountEntries(), drives.Entries());
    RemoveFirstRowThenMountAll(window, drives);
    EXPECT_EQ(program.Store(), drives.StoreText());
    EXPECT_FALSE(PathExists(program.File("Shrt.dat.tmp")));

    CloseExpectingSaveFailure(window, kestrova);
    EXPECT_EQ(program.Store(), drives.StoreText());
    EXPECT_NE(GetFileAttributesA(store.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_FALSE(PathExists(program.File("Shrt.dat.tmp")));
    SetFileAttributesA(store.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(StoreFault, AStoreHeldWithoutSharingFromTheStartIsNeitherReadNorOverwritten) {
    ProgramFolder program("faults-held-store-start");
    ThreeDrives drives(program);
    HeldWithoutSharing held(program.File("Shrt.dat"));
    ASSERT_TRUE(held.Held());

    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);
    EXPECT_EQ(window.Status(), kUnreadStoreText);
    EXPECT_TRUE(window.Rows().empty());
    EXPECT_TRUE(window.MountEntries().empty());
    TakeScreenshot("unread");

    // Nothing was changed: the close goes ahead without a word and the file
    // is not touched.
    PostClose(window.main);
    ASSERT_TRUE(kestrova.WaitForExit(30000));
    EXPECT_EQ(held.Contents(), drives.StoreText());
    held.Release();
    EXPECT_EQ(program.Store(), drives.StoreText());
    EXPECT_FALSE(PathExists(program.File("Shrt.dat.tmp")));
}

TEST_F(StoreFault, ADriveCreatedWhileTheStoreIsUnreadIsReportedAsNotSaved) {
    ProgramFolder program("faults-held-store-create");
    ThreeDrives drives(program);
    HeldWithoutSharing held(program.File("Shrt.dat"));
    ASSERT_TRUE(held.Held());

    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);
    ASSERT_EQ(window.Status(), kUnreadStoreText);

    window.Click(ids::Command2);
    const std::optional<MessageBoxInfo> browser = WaitForMessageBox(kestrova.Id(), 20000);
    ASSERT_TRUE(browser.has_value());
    PostMessageA(browser->window, WM_COMMAND, IDOK, 0);
    HWND text1 = window.Control(ids::Text1);
    ASSERT_TRUE(WaitUntil([&] { return !WindowText(text1).empty(); }, 10000));
    window.Click(ids::Command3);
    ASSERT_TRUE(window.WaitForRowCount(1));
    const std::string letter = window.Letters()[0];

    PostClose(window.main);
    const std::optional<MessageBoxInfo> box = WaitForMessageBox(kestrova.Id(), 30000);
    ASSERT_TRUE(box.has_value()) << "the new drive was dropped without a word";
    EXPECT_EQ(box->text,
              "The Virtual Drives could not be saved: Shrt.dat could not be read, so it is left "
              "as it was.     ");
    EXPECT_EQ(box->iconStyle, 48);
    DismissMessageBox(box->window);
    ASSERT_TRUE(kestrova.WaitForExit(30000));
    EXPECT_EQ(held.Contents(), drives.StoreText());
    held.Release();
    EXPECT_EQ(program.Store(), drives.StoreText());
    RunSubstDouble(letter + " /d");
}

TEST_F(StoreFault, AStoreHeldWithoutSharingLaterKeepsItsBytesAndTheRowsInMemory) {
    ProgramFolder program("faults-held-store-later");
    ThreeDrives drives(program);
    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);
    ASSERT_EQ(window.Rows().size(), 3u);

    HeldWithoutSharing held(program.File("Shrt.dat"));
    ASSERT_TRUE(held.Held());
    RemoveFirstRowThenMountAll(window, drives);
    EXPECT_EQ(held.Contents(), drives.StoreText());
    EXPECT_FALSE(PathExists(program.File("Shrt.dat.tmp")));

    CloseExpectingSaveFailure(window, kestrova);
    EXPECT_EQ(held.Contents(), drives.StoreText());
    held.Release();
    EXPECT_EQ(program.Store(), drives.StoreText());
    EXPECT_FALSE(PathExists(program.File("Shrt.dat.tmp")));
}

TEST_F(StoreFault, AStoreThatIsAFolderIsLeftAlone) {
    ProgramFolder program("faults-store-folder-start", {}, false);
    const std::string store = program.MakeFolder("Shrt.dat");
    ASSERT_TRUE(WriteFileText(store + "\\keep.txt", "keep"));

    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);
    EXPECT_EQ(window.Status(), kUnreadStoreText);
    EXPECT_TRUE(window.Rows().empty());
    PostClose(window.main);
    ASSERT_TRUE(kestrova.WaitForExit(30000));
    EXPECT_NE(GetFileAttributesA(store.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(ReadFileText(store + "\\keep.txt"), "keep");
    EXPECT_FALSE(PathExists(program.File("Shrt.dat.tmp")));
}

TEST_F(StoreFault, AStoreThatBecomesAFolderKeepsTheRowsAndTheirState) {
    ProgramFolder program("faults-store-folder-later");
    ThreeDrives drives(program);
    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);
    ASSERT_EQ(window.Rows().size(), 3u);

    const std::string store = program.File("Shrt.dat");
    ASSERT_TRUE(DeleteFileA(store.c_str()));
    ASSERT_TRUE(CreateDirectoryA(store.c_str(), nullptr));
    ASSERT_TRUE(WriteFileText(store + "\\keep.txt", "keep"));

    // The refresh after Mount All cannot read the store: the rows stay as
    // they are in memory, with the state the drives have now.
    window.Click(ids::cmdMount);
    ASSERT_TRUE(WaitUntil([&] { return Mapped('E') && Mapped('F') && Mapped('G'); }, 60000));
    ASSERT_TRUE(window.WaitForStatus(kUnreadStoreText)) << window.Status();
    EXPECT_EQ(window.Letters(), (std::vector<std::string>{"E:", "F:", "G:"}));
    EXPECT_EQ(window.MountEntries(), drives.Entries());
    EXPECT_EQ(window.Images(), (std::vector<int>{0, 0, 0}));
    TakeScreenshot("store-became-folder");

    PostClose(window.main);
    ASSERT_TRUE(kestrova.WaitForExit(30000));
    EXPECT_NE(GetFileAttributesA(store.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(ReadFileText(store + "\\keep.txt"), "keep");
    EXPECT_FALSE(PathExists(program.File("Shrt.dat.tmp")));
}

}  // namespace
}  // namespace kestrova
