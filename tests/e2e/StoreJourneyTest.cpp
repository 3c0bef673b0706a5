#include "tests/e2e/Journey.h"

namespace kestrova::e2e {
namespace {

using Lines = std::vector<std::string>;

// With the program folder read-only, a drive made is kept in the user's folder; no close asks.
TEST_F(Journey, AProgramFolderThatCannotBeWrittenKeepsTheTableInTheUsersFolder) {
    // Mounted over with a read-only view of itself, as C:\Program Files is to a standard user,
    // until the test ends, however it ends; first unmounted too, as a half-way run may leave it.
    std::string dir = "'";  // quoted for the shell
    for (const char c : UnixPathOf(BuildPath("e2e\\read-only-folder"))) {
        dir += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    dir += "'";
    const auto unmount = [&] {
        RunShell("while mountpoint -q " + dir + "; do umount -l " + dir + " || break; done");
    };
    unmount();
    ProgramFolder program("read-only-folder", "E:-C:\\WINDOWS\r\n");
    const std::string folder = CreateFolder(Environment("USERPROFILE") + "\\Work");
    const int mounted = RunShell("mount --bind " + dir + " " + dir +
                                 " && mount -o remount,bind,ro " + dir + " " + dir);
    const std::shared_ptr<void> unmountAtEnd(nullptr, [&](void*) { unmount(); });
    if (mounted != 0 || WriteFileText(program.File("probe.txt"), "x")) {
        GTEST_SKIP() << "this machine does not let the test mount a read-only folder";
    }
    Start(program);
    EXPECT_NE(Status().find("kept in " + UserFile("Shrt.dat")), std::string::npos) << Status();
    Browse(folder);
    // A letter no other journey uses, so a mapping left behind cannot take it.
    ChooseInDropDown(At(ids::Combo1), "W:");
    Click(At(ids::Command3));
    ASSERT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).size() == 2; })) << Status();
    const std::string letter = Rows(At(ids::lstDrives))[1].letter;
    Key(VK_F4, VK_MENU);
    ASSERT_TRUE(kestrova->WaitForExit());  // no question held it
    const std::string kept =
        "E:-" + ShortPath("C:\\WINDOWS") + "\r\n" + letter + "-" + ShortPath(folder) + "\r\n";
    EXPECT_EQ(ReadFileText(UserFile("Shrt.dat")), kept);
    EXPECT_EQ(program.Store(), "E:-C:\\WINDOWS\r\n");

    Start(program);
    EXPECT_EQ(Rows(At(ids::lstDrives)).size(), 2u);
    ClickCloseBox(window);
    ASSERT_TRUE(kestrova->WaitForExit());
    EXPECT_EQ(ReadFileText(UserFile("Shrt.dat")), kept);
}

// The list shows a drive as mounted only when its letter leads to its folder: a letter another
// program took between the choice and Create Drive, a letter held by another folder at Mount All, a
// first row that is not mounted while the last one is.
TEST_F(Journey, TheDriveListTellsTheTruth) {
    ProgramFolder program("truth");
    const std::string other = program.MakeFolder("Other");
    const std::string store = program.MapAndStore({"E:", "F:", "G:"});
    program.Subst("E: /d");
    program.Subst("G: /d");
    program.Subst("G: \"" + other + "\"");
    Start(program);
    const auto images = [&] {
        std::string shown;
        for (const Row& row : Rows(At(ids::lstDrives))) {
            shown += std::to_string(row.image);
        }
        return shown;
    };
    EXPECT_EQ(images(), "101");
    EXPECT_EQ(Status(), "3 Virtual Drives (Red X indicates Drive is Not Mounted)");
    Click(At(ids::cmdMount));
    EXPECT_TRUE(WaitUntil([&] { return images() == "001"; })) << images();
    EXPECT_EQ(Status(),
              "3 Virtual Drives (Red X indicates Drive is Not Mounted); 1 not mounted: G:");

    Browse(program.MakeFolder("New"));
    ChooseInDropDown(At(ids::Combo1), "P:");
    program.Subst("P: \"" + other + "\"");  // another program takes P:
    Click(At(ids::Command3));
    EXPECT_EQ(TakeMessage(),
              "P: could not be mapped onto " + program.File("New") +
                  ": the letter is taken by another drive or folder.  Choose another letter and "
                  "press Create Drive again.     ");
    EXPECT_EQ(Rows(At(ids::lstDrives)).size(), 3u);
    const Lines letters = ComboItems(At(ids::Combo1));
    EXPECT_EQ(std::count(letters.begin(), letters.end(), "P:"), 0);
    Close();
    EXPECT_EQ(program.Store(), store);
}

}  // namespace
}  // namespace kestrova::e2e
