// A read-only program folder and a full disk, made with mounts on the Unix
// side: a read-only bind mount of the program folder, and a small tmpfs given
// a drive letter through a link in the prefix's dosdevices folder. Where
// mounting is not permitted, the program says so and exits with 77, which
// ctest reports as a skip.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>

#include "tests/faults/FaultSupport.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;
using namespace faults;

constexpr int kSkipped = 77;
const char kCleanupSkipped[] = "Clean-up skipped: Remove.bat could not be written or started";

// Whether this machine lets the tests mount: a tiny tmpfs, mounted and
// unmounted again (the exit status of the script, -1 when it did not run).
// The shell's output is kept for the skip message.
int MountProbe(std::string& why) {
    const std::string point = BuildDirectoryUnix() + "/faults/mount-probe";
    const int status = RunUnixScript(
        "mount-probe", "mkdir -p " + ShellQuoted(point) + " && mount -t tmpfs -o size=64k tmpfs " +
                           ShellQuoted(point) + " && umount " + ShellQuoted(point));
    if (status != 0) {
        why = "mount exited with status " + std::to_string(status) + ": " +
              ReadFileText(
                  WindowsPathOf(BuildDirectoryUnix() + "/faults/scripts/mount-probe.status.log"));
    }
    return status;
}

// A Unix folder mounted over with a read-only view of itself for the life of
// the object.
class ReadOnlyBindMount {
  public:
    explicit ReadOnlyBindMount(const std::string& unixFolder) : folder_(ShellQuoted(unixFolder)) {
        mounted_ = RunUnixScript("bind-read-only", "mount --bind " + folder_ + " " + folder_ +
                                                       " && mount -o remount,bind,ro " + folder_ +
                                                       " " + folder_) == 0;
    }
    ~ReadOnlyBindMount() {
        if (mounted_) {
            RunUnixScript("unbind-read-only", "umount " + folder_ + " || umount -l " + folder_);
        }
    }
    ReadOnlyBindMount(const ReadOnlyBindMount&) = delete;
    ReadOnlyBindMount& operator=(const ReadOnlyBindMount&) = delete;
    bool Mounted() const { return mounted_; }

  private:
    std::string folder_;
    bool mounted_ = false;
};

// A small tmpfs that is drive P: of the prefix for the life of the object.
class SmallDisk {
  public:
    SmallDisk()
        : point_(BuildDirectoryUnix() + "/faults/small-disk"),
          link_(WinePrefixUnix() + "/dosdevices/p:") {
        const std::string point = ShellQuoted(point_);
        mounted_ =
            RunUnixScript("small-disk-mount",
                          "mkdir -p " + point + "\n(mountpoint -q " + point + " && umount -l " +
                              point + ") || true\nmount -t tmpfs -o size=8m tmpfs " + point +
                              " && ln -sfn " + point + " " + ShellQuoted(link_)) == 0 &&
            WaitUntil([] { return Mapped('P'); }, 15000);
    }
    ~SmallDisk() {
        const std::string point = ShellQuoted(point_);
        RunUnixScript("small-disk-unmount", "rm -f " + ShellQuoted(link_) + "\numount " + point +
                                                " || umount -l " + point);
        WaitUntil([] { return !Mapped('P'); }, 15000);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Ready() const { return mounted_; }

  private:
    std::string point_;
    std::string link_;
    bool mounted_ = false;
};

// Fills the disk of `path` to its last byte: big writes first, then ever
// smaller ones until not one more byte fits.
bool FillDisk(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::string chunk(1 << 20, 'x');
    for (DWORD size = 1 << 20; size > 0; size /= 2) {
        DWORD written = 0;
        while (WriteFile(file, chunk.data(), size, &written, nullptr) && written == size) {
        }
    }
    CloseHandle(file);
    return !WriteFileText(path + ".probe", "x");
}

bool CopyProgramFile(const char* unixSource, const std::string& folder, const char* name) {
    return CopyFileA(WindowsPathOf(unixSource).c_str(), (folder + "\\" + name).c_str(), FALSE) != 0;
}

class MountedFolder : public ::testing::Test {
  protected:
    void SetUp() override { AttachToDesktop(); }

    // The common course: the window comes up with the three rows; Remove
    // Drive cannot write its batch file; Mount All's refresh cannot save, so
    // the rows in memory stay; closing reports the failed save; the store
    // keeps its bytes throughout.
    static void RunThroughTheFault(const std::string& folder, const ThreeDrives& drives,
                                   const std::function<bool()>& makeFault) {
        RunningProgram kestrova(folder + "\\Kestrova.exe", "", folder);
        Window window(kestrova.Id());
        ASSERT_NE(window.main, nullptr);
        EXPECT_EQ(window.Status(), std::string("3") + kNotMountedSummary);
        EXPECT_EQ(window.MountEntries(), drives.Entries());
        ASSERT_TRUE(makeFault());

        ASSERT_TRUE(SelectListViewRow(window.drives, 0));
        window.Click(ids::Command4);
        ASSERT_TRUE(window.WaitForRowCount(2));
        EXPECT_TRUE(window.WaitForStatus(kCleanupSkipped, 30000)) << window.Status();
        EXPECT_FALSE(PathExists(folder + "\\Remove.bat"));

        window.Click(ids::cmdMount);
        ASSERT_TRUE(window.WaitForStatus(std::string("2") + kMountedSummary)) << window.Status();
        EXPECT_EQ(window.Letters(), (std::vector<std::string>{"F:", "G:"}));
        EXPECT_EQ(window.Images(), (std::vector<int>{0, 0}));
        const std::vector<std::string> entries = drives.Entries();
        EXPECT_EQ(window.MountEntries(),
                  std::vector<std::string>(entries.begin() + 1, entries.end()));
        EXPECT_EQ(ReadFileText(folder + "\\Shrt.dat"), drives.StoreText());
        EXPECT_FALSE(PathExists(folder + "\\Shrt.dat.tmp"));
        TakeScreenshot("after-mount-all");

        PostClose(window.main);
        const std::optional<MessageBoxInfo> box = WaitForMessageBox(kestrova.Id(), 30000);
        ASSERT_TRUE(box.has_value()) << "no message about the failed save";
        EXPECT_EQ(box->text, kSaveFailedText);
        EXPECT_EQ(box->iconStyle, 48);
        DismissMessageBox(box->window);
        ASSERT_TRUE(kestrova.WaitForExit(30000));
        EXPECT_EQ(ReadFileText(folder + "\\Shrt.dat"), drives.StoreText());
        EXPECT_FALSE(PathExists(folder + "\\Shrt.dat.tmp"));
    }
};

TEST_F(MountedFolder, AReadOnlyProgramFolderLosesNothing) {
    // A mount left by a run that stopped half-way would keep the fresh
    // program folder from being made.
    const std::string leftover = ShellQuoted(BuildDirectoryUnix() + "/e2e/faults-read-only-folder");
    RunUnixScript("unbind-leftover", "while mountpoint -q " + leftover + "; do umount -l " +
                                         leftover + " || break; done");
    ProgramFolder program("faults-read-only-folder");
    ThreeDrives drives(program);
    std::unique_ptr<ReadOnlyBindMount> readOnly;
    RunThroughTheFault(program.Path(), drives, [&] {
        readOnly = std::make_unique<ReadOnlyBindMount>(UnixPathOf(program.Path()));
        // Nothing can be created in the folder now, not even by this process.
        return readOnly->Mounted() && !WriteFileText(program.File("probe.txt"), "x");
    });
    readOnly.reset();
}

TEST_F(MountedFolder, AFullDiskLosesNothing) {
    SmallDisk disk;
    ASSERT_TRUE(disk.Ready());
    const std::string folder = "P:\\Kestrova";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyProgramFile(KESTROVA_EXE_UNIX_PATH, folder, "Kestrova.exe"));
    ASSERT_TRUE(CopyProgramFile(SUBST_DOUBLE_UNIX_PATH, folder, "subst.exe"));
    ASSERT_TRUE(CopyProgramFile(RM_EXE_UNIX_PATH, folder, "rm.exe"));
    ThreeDrives drives(folder);
    RunThroughTheFault(folder, drives, [] { return FillDisk("P:\\filler.bin"); });
    DeleteFileA("P:\\filler.bin");
}

}  // namespace
}  // namespace kestrova

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::string why;
    const int probe = kestrova::MountProbe(why);
    if (probe < 0) {
        std::printf("FAILED: the mount probe script did not run\n");
        return 1;
    }
    if (probe != 0) {
        std::printf(
            "SKIPPED: mounting is not permitted on this machine, so the read-only program "
            "folder and full disk cases did not run (%s)\n",
            why.c_str());
        return kestrova::kSkipped;
    }
    return RUN_ALL_TESTS();
}
