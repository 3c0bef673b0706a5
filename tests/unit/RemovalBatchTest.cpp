#include <gtest/gtest.h>

#include "core/RemovalBatch.h"

namespace kestrova {
namespace {

const std::string kShort = "C:\\PROGRA~1\\APP";

TEST(RemovalBatchTest, LocalFolderGetsItsCleanupLineThenSelfDeleteAndExit) {
    EXPECT_EQ(RemovalBatchText({"C:\\WORK~1\\DATA"}, kShort, "\\Remove.bat"),
              "if exist C:\\WORK~1\\DATA\\RECYCLER C:\\PROGRA~1\\APP\\rm /y "
              "C:\\WORK~1\\DATA\\RECYCLER\r\n"
              "del C:\\PROGRA~1\\APP\\Remove.bat\r\n"
              "Exit\r\n");
    // A folder with "-" is used whole.
    EXPECT_EQ(CleanupLine("C:\\MY-DIR\\MY-FOL~1", kShort),
              "if exist C:\\MY-DIR\\MY-FOL~1\\RECYCLER C:\\PROGRA~1\\APP\\rm /y "
              "C:\\MY-DIR\\MY-FOL~1\\RECYCLER");
}

TEST(RemovalBatchTest, NetworkFoldersGetNoLine) {
    EXPECT_EQ(RemovalBatchText({"\"\\\\server\\share\""}, kShort, "\\Remove.bat"),
              "del C:\\PROGRA~1\\APP\\Remove.bat\r\nExit\r\n");
    EXPECT_EQ(RemovalBatchText({"C:\\E", "\"\\\\srv\\x\"", "C:\\G"}, kShort, "\\Removea.bat"),
              "if exist C:\\E\\RECYCLER C:\\PROGRA~1\\APP\\rm /y C:\\E\\RECYCLER\r\n"
              "if exist C:\\G\\RECYCLER C:\\PROGRA~1\\APP\\rm /y C:\\G\\RECYCLER\r\n"
              "del C:\\PROGRA~1\\APP\\Removea.bat\r\nExit\r\n");
}

TEST(RemovalBatchTest, NoLineCanNameTheRecyclerOfADriveRoot) {
    for (const char* folder : {"", "C:", "C:\\", "C:\\\\", "WORK", "\\WORK", "C:WORK",
                               "\\\\server\\share", "\"C:\\X\""}) {
        EXPECT_FALSE(HasCleanupLine(folder)) << folder;
    }
    EXPECT_EQ(RemovalBatchText({"", "C:\\"}, kShort, "\\Remove.bat"),
              "del C:\\PROGRA~1\\APP\\Remove.bat\r\nExit\r\n");
}

TEST(RemovalBatchTest, PathsWithBlanksAreQuoted) {
    EXPECT_EQ(CleanupLine("C:\\My Data", "C:\\Program Files\\Kestrova"),
              "if exist \"C:\\My Data\\RECYCLER\" \"C:\\Program Files\\Kestrova\\rm\" /y "
              "\"C:\\My Data\\RECYCLER\"");
    EXPECT_EQ(SelfDeleteLine("C:\\Program Files\\Kestrova", "\\Remove.bat"),
              "del \"C:\\Program Files\\Kestrova\\Remove.bat\"");
}

}  // namespace
}  // namespace kestrova
