#include "tests/e2e/Journey.h"

namespace kestrova::e2e {
namespace {

using Lines = std::vector<std::string>;

// Folders named in other alphabets: chosen in the browser, mounted by /M, read in ANSI or UTF-16.
TEST_F(Journey, FoldersNamedInAnyAlphabetAreMappedShownAndKept) {
    ProgramFolder program("any-name");
    const std::string russian = program.MakeFolder("Данные");
    const std::string german = program.MakeFolder("Müller");
    WriteFileText(russian + "\\note.txt", "");
    Start(program);
    for (const std::string& folder : {russian, german}) {
        Browse(folder);
        Click(At(ids::Command3));
        ASSERT_TRUE(WaitUntil([&] {
            const std::vector<Row> rows = Rows(At(ids::lstDrives));
            return !rows.empty() && rows.back().folder == folder && rows.back().image == 0;
        }));
    }
    const std::vector<Row> rows = Rows(At(ids::lstDrives));
    EXPECT_EQ(Status(), "2 Virtual Drives (Mounted)");
    EXPECT_TRUE(PathExists(rows[0].letter + "\\note.txt"));
    Close();
    EXPECT_EQ(program.Store().find('?'), std::string::npos);

    // Restarted with both unmapped, "/M" maps them by their names again.
    UnmapAll();
    RunningProgram mount(program, "/M");
    ASSERT_TRUE(mount.WaitForExit());
    EXPECT_TRUE(PathExists(rows[0].letter + "\\note.txt"));
    EXPECT_TRUE(Mapped(rows[1].letter[0]));
    UnmapAll();

    // A table written in the system's legacy ANSI code page, as older programs wrote text, naming
    // the folder itself.
    wchar_t name[MAX_PATH] = {};
    MultiByteToWideChar(CP_UTF8, 0, german.c_str(), -1, name, MAX_PATH);
    char legacy[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, name, -1, legacy, MAX_PATH, nullptr, nullptr);
    WriteFileText(program.File("Shrt.dat"), "G:-" + std::string(legacy) + "\r\n");
    Start(program);
    EXPECT_EQ(Rows(At(ids::lstDrives))[0].folder, german);
    Click(At(ids::cmdMount));
    ASSERT_TRUE(WaitUntil([&] { return Mapped('G'); }));
    Close();
    EXPECT_EQ(program.Store(), "G:-" + ShortPath(german) + "\r\n");

    // And one an editor saved as UTF-16: written back in Kestrova's own.
    const std::string text = "G:-" + german + "\r\nH:-" + russian + "\r\n";
    std::wstring wide(MAX_PATH, L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), MAX_PATH) - 1));
    WriteFileText(program.File("Shrt.dat"),
                  "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()),
                                           wide.size() * sizeof(wchar_t)));
    Start(program);
    const std::vector<Row> shown = Rows(At(ids::lstDrives));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].folder, german);
    EXPECT_EQ(shown[1].folder, russian);
    Close();
    EXPECT_EQ(program.Store(), "G:-" + ShortPath(german) + "\r\nH:-" + ShortPath(russian) + "\r\n");
}

TEST_F(Journey, LinesWrittenByHandNeverReachSubstAndAreKept) {
    ProgramFolder program("hand-written");
    const std::string good = "E:-" + ShortPath(program.MakeFolder("Good")) + "\r\n";
    const std::string store = "hello world\r\nZZ:-C:\\X\r\n" + good +
                              "H:-\r\nK:-relative\\path\r\n:::-x\r\nL:-C:relative\r\n";
    WriteFileText(program.File("Shrt.dat"), store);
    RunningProgram mount(program, "/M");
    ASSERT_TRUE(mount.WaitForExit());
    EXPECT_EQ(program.SubstLog(), Lines{"E: " + good.substr(3, good.size() - 5)});
    EXPECT_EQ(program.Store(), store);
    Start(program);
    EXPECT_EQ(Status(),
              "7 Virtual Drives (Red X indicates Drive is Not Mounted), 6 skipped (not a "
              "drive and folder)");
    // Removing every row unmounts only the drive; the lines go from the table.
    Key('R', VK_MENU);
    ASSERT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).empty(); }));
    EXPECT_EQ(program.SubstLog(), (Lines{"E: " + good.substr(3, good.size() - 5), "E: /d"}));
    ClickCloseBox(window);
    ASSERT_TRUE(kestrova->WaitForExit());
    EXPECT_EQ(program.Store(), "");
}

// With neither home writable, a close offers Cancel, Try Again and Continue; Windows ending the
// session cannot wait, and the table goes to the rescue file, which the next start offers back
// beside a drive added since.
TEST_F(Journey, ATableThatCannotBeSavedIsKeptAndBroughtBackBesideANewerDrive) {
    ProgramFolder program("cannot-save");
    const std::string folder = program.MakeFolder("Work");
    const std::string user = UserFile("Shrt.dat");
    CreateFolder(user.substr(0, user.find_last_of('\\')));
    WriteFileText(user, "");
    SetReadOnly(program.File("Shrt.dat"), true);
    SetReadOnly(user, true);
    Start(program);
    Browse(folder);
    ChooseInDropDown(At(ids::Combo1), "P:");
    Click(At(ids::Command3));
    ASSERT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).size() == 1; }));
    // The row shows before the save is tried; the status line says how it went.
    EXPECT_TRUE(WaitUntil([&] { return Status().find("; not saved: ") != std::string::npos; }))
        << Status();
    ClickCloseBox(window);
    const std::string question = TakeMessage(IDCANCEL);
    ASSERT_NE(question.find("Try Again to save them again, Continue to close"), std::string::npos)
        << question << "; exited " << kestrova->WaitForExit(0) << ", status " << Status();
    EXPECT_TRUE(IsWindowVisible(window));

    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    EXPECT_EQ(ReadFileText(UserFile("Shrt.rescue")),
              program.File("Shrt.dat") + "\r\nP:-" + ShortPath(folder) + "\r\n");
    kestrova.reset();  // Windows ends the process
    program.Subst("P: /d");

    // Meanwhile a drive was added (the table is writable again).
    SetReadOnly(program.File("Shrt.dat"), false);
    const std::string newer = "Q:-" + ShortPath(program.MakeFolder("Newer")) + "\r\n";
    WriteFileText(program.File("Shrt.dat"), newer);
    kestrova = std::make_unique<RunningProgram>(program);
    HWND box = WaitForDialog(kestrova->Id(), 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(DialogText(box).find("P:   " + folder), std::string::npos) << DialogText(box);
    Key('Y');
    window = WaitForWindow(kestrova->Id(), "Kestrova");
    ASSERT_TRUE(WaitUntil([&] { return Rows(At(ids::lstDrives)).size() == 2; }));
    EXPECT_EQ(program.Store(), newer + "P:-" + ShortPath(folder) + "\r\n");
    EXPECT_FALSE(PathExists(UserFile("Shrt.rescue")));
    Close();
}

}  // namespace
}  // namespace kestrova::e2e
