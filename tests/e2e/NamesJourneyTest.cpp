#include <algorithm>
#include <filesystem>

#include "tests/e2e/Journey.h"

namespace kestrova::e2e {
namespace {

using Lines = std::vector<std::string>;

// Every file and folder below `folder`, by path, sorted.
Lines Tree(const std::string& folder) {
    Lines paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// An old recycle bin, as Windows kept it in a folder named RECYCLER.
std::string MakeBin(const std::string& folder) {
    const std::string bin = CreateFolder(folder + "\\RECYCLER\\S-1-5-21-1004336348-1000");
    for (const char* file : {"INFO2", "desktop.ini", "Dc1.txt"}) {
        WriteFileText(bin + "\\" + file, file);
    }
    return folder + "\\RECYCLER";
}

// Folders named as people name them, each with a recycle bin and a file of the user's, among
// folders named as the pieces a line split at those characters would name, and a RECYCLER that
// holds the user's own report: removing the drives deletes their bins and nothing else, from a
// plain program folder and from one named with & ( ) % and blanks.
TEST_F(Journey, RemovingDrivesDeletesTheirRecycleBinsAndNothingElseWhateverTheNames) {
    const Lines names = {"(x)", "R&D", "a^b",   "50%off",     "a,b",
                         "x;y", "a=b", "bang!", "Tom & Jerry"};
    const Lines pieces = {"R", "D", "ab", "a", "b", "x", "y", "50", "bang", "Tom", "Jerry"};
    for (const std::string programName : {"names", "K&P (x) 5%"}) {
        ProgramFolder program(programName);
        const std::string data = "C:\\kdata";
        RunToEnd("cmd.exe /c rd /s /q " + data);
        std::string store;
        Lines bins;
        for (std::size_t i = 0; i <= names.size(); ++i) {
            const std::string folder =
                CreateFolder(data + "\\" + (i < names.size() ? names[i] : "own"));
            WriteFileText(folder + "\\mine.txt", "mine");
            const std::string letter{static_cast<char>('E' + i), ':'};
            store.append(letter).append("-").append(ShortPath(folder)).append("\r\n");
            program.Subst(std::string(letter).append(" \"").append(folder).append("\""));
            if (i < names.size()) {
                bins.push_back(MakeBin(folder));
            }
        }
        WriteFileText(CreateFolder(data + "\\own\\RECYCLER") + "\\report.txt", "the user's");
        for (const std::string& piece : pieces) {
            const std::string folder = CreateFolder(std::string(data).append("\\").append(piece));
            MakeBin(folder);
            WriteFileText(folder + "\\keep.txt", "kept");
        }
        WriteFileText(program.File("Shrt.dat"), store);
        const Lines before = Tree(data);
        Start(program);

        // Explorer gets the folder with a comma whole, by a double-click.
        ClickRow(At(ids::lstDrives), 4, 2);
        EXPECT_TRUE(WaitUntil(
            [&] { return program.SubstLog("explorer") == Lines{"/e,\"" + data + "\\a,b\""}; }));
        ClickRow(At(ids::lstDrives), 0);
        Click(At(ids::Command4));
        // Its row goes once subst is done: until then Remove All would find Kestrova busy.
        EXPECT_TRUE(WaitUntil([&] {
            return Rows(At(ids::lstDrives)).size() == names.size() && !PathExists(bins[0]) &&
                   !PathExists(program.File("Remove.bat"));
        }));
        Key('R', VK_MENU);
        EXPECT_TRUE(WaitUntil([&] {
            return Rows(At(ids::lstDrives)).empty() && !PathExists(program.File("Removea.bat")) &&
                   !PathExists(bins.back());
        })) << programName;
        Close();

        Lines expected = before;
        std::erase_if(expected, [&](const std::string& path) {
            return std::any_of(bins.begin(), bins.end(), [&](const std::string& bin) {
                return path == bin || path.starts_with(bin + "\\");
            });
        });
        // A path missing was deleted though not in a bin of a removed drive; a path left over is
        // a bin that should have gone.
        EXPECT_EQ(Tree(data), expected) << programName;
    }
}

}  // namespace
}  // namespace kestrova::e2e
