#include <gtest/gtest.h>

#include <string>

#include "core/PathNames.h"
#include "tests/support/fakes/FakeFileSystem.h"

namespace kestrova {
namespace {

using testing::FakeFileSystem;

class PathNamesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs.AddDrive("C:");
        fs.AddFolder("C:\\Program Files", "PROGRA~1");
        fs.AddFolder("C:\\Program Files\\My Data", "MYDATA~1");
        fs.AddFolder("C:\\MY-DIR");
        fs.AddFile("C:\\Program Files\\readme.txt");
        fs.AddFile("C:\\hidden.dat", "", "", kAttributeHidden);
    }
    FakeFileSystem fs;
};

TEST_F(PathNamesTest, ShortPathIsTheShortFormOrEmpty) {
    EXPECT_EQ(GetShortPath(fs, "C:\\Program Files\\My Data"), "C:\\PROGRA~1\\MYDATA~1");
    EXPECT_EQ(GetShortPath(fs, "C:\\Program Files\\Missing"), "");
    EXPECT_EQ(GetShortPath(fs, ""), "");
}

// A short form of 164 characters or more does not fit the buffer: the count
// the API returns is then the size it needs, and must not be taken as text.
TEST_F(PathNamesTest, ShortPathThatDoesNotFitIsEmpty) {
    const std::string deep163 = "C:\\" + std::string(160, 'a');  // 163 characters
    const std::string deep164 = "C:\\" + std::string(161, 'b');  // 164 characters
    fs.AddFolder(deep163);
    fs.AddFolder(deep164);
    EXPECT_EQ(GetShortPath(fs, deep163), deep163);
    EXPECT_EQ(GetShortPath(fs, deep164), "");
}

TEST_F(PathNamesTest, LongNameReplacesEveryComponent) {
    EXPECT_EQ(GetLongName(fs, "C:\\PROGRA~1\\MYDATA~1"), "C:\\Program Files\\My Data");
    EXPECT_EQ(GetLongName(fs, "c:\\progra~1\\My Data"), "c:\\Program Files\\My Data");
    EXPECT_EQ(GetLongName(fs, "C:\\MY-DIR"), "C:\\MY-DIR");
}

TEST_F(PathNamesTest, LongNameAsksOneQueryPerComponentWithTheFullMask) {
    fs.ClearQueries();
    GetLongName(fs, "C:\\PROGRA~1\\MYDATA~1");
    const std::vector<std::string> expected = {"C:\\PROGRA~1", "C:\\PROGRA~1\\MYDATA~1"};
    EXPECT_EQ(fs.Queries(), expected);
}

TEST_F(PathNamesTest, LongNameIsEmptyWhenAnyComponentIsMissing) {
    EXPECT_EQ(GetLongName(fs, "C:\\PROGRA~1\\GONE~1"), "");
    EXPECT_EQ(GetLongName(fs, "C:\\GONE~1\\MYDATA~1"), "");
    EXPECT_EQ(GetLongName(fs, "Q:\\PROGRA~1"), "");
    EXPECT_EQ(GetLongName(fs, ""), "");
}

TEST_F(PathNamesTest, LongNameRefusesTextThatIsNoFolderName) {
    // A wildcard would be answered with whatever entry matches first, and an
    // empty component by asking about its parent instead.
    EXPECT_EQ(GetLongName(fs, "C:\\*"), "");
    EXPECT_EQ(GetLongName(fs, "C:\\PROGRA~1\\?YDATA~1"), "");
    EXPECT_EQ(GetLongName(fs, "C:\\\\PROGRA~1"), "");
    EXPECT_EQ(GetLongName(fs, "C:\\PROGRA~1\\\\MYDATA~1"), "");
    EXPECT_EQ(GetLongName(fs, std::string("C:\\PROGRA~1\0X", 13)), "");
}

// Only a folder below a drive root has a long form. A bare drive, a root or
// a drive-relative text is answered with nothing and no query: a bare drive
// would otherwise be given back unchecked, and a drive-relative query would
// find an entry of the drive's current folder instead.
TEST_F(PathNamesTest, LongNameIsEmptyForTextWithoutAFolderBelowADriveRoot) {
    fs.ClearQueries();
    for (const std::string text :
         {"C:", "Q:", "X", "C", "C:\\", "C:PROGRA~1", "C:PROGRA~1\\MYDATA~1"}) {
        EXPECT_EQ(GetLongName(fs, text), "") << text;
    }
    EXPECT_TRUE(fs.Queries().empty());
}

TEST_F(PathNamesTest, FileExistsMatchesFilesButNotFolders) {
    EXPECT_TRUE(FileExists(fs, "C:\\Program Files\\readme.txt"));
    EXPECT_TRUE(FileExists(fs, "C:\\hidden.dat"));
    EXPECT_FALSE(FileExists(fs, "C:\\Program Files"));
    EXPECT_FALSE(FileExists(fs, "C:\\nothing.dat"));
}

TEST_F(PathNamesTest, DirExistsAsksAboutFoldersFilesAndDriveRoots) {
    EXPECT_TRUE(DirExists(fs, "C:\\Program Files\\My Data"));
    EXPECT_TRUE(DirExists(fs, "C:\\hidden.dat"));
    EXPECT_TRUE(DirExists(fs, "C:"));
    EXPECT_FALSE(DirExists(fs, "E:"));
    EXPECT_FALSE(DirExists(fs, ""));
    fs.AddDrive("F:", 2);  // a removable drive with no medium
    fs.AddDrive("G:", kDriveNoRootDir);
    EXPECT_FALSE(DirExists(fs, "G:"));
}

}  // namespace
}  // namespace kestrova
