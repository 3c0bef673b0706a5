#include <gtest/gtest.h>

#include "core/MountEngine.h"
#include "tests/support/fakes/FakeProcessRunner.h"

namespace kestrova {
namespace {

TEST(MountEngineTest, CommandLinesAreBuiltFromTheStoredFolder) {
    EXPECT_EQ(MountCommandLine("E:", "C:\\PROGRA~1\\DATA"), "subst.exe E: C:\\PROGRA~1\\DATA");
    EXPECT_EQ(MountCommandLine("F:", "C:\\MY-DIR\\MY-FOL~1"), "subst.exe F: C:\\MY-DIR\\MY-FOL~1");
    EXPECT_EQ(MountCommandLine("G:", "\"\\\\server\\share dir\""),
              "subst.exe G: \"\\\\server\\share dir\"");
    // A folder without a short form keeps its blanks: it is quoted.
    EXPECT_EQ(MountCommandLine("H:", "D:\\My Data"), "subst.exe H: \"D:\\My Data\"");
    EXPECT_EQ(UnmountCommandLine("E:"), "subst.exe E: /d");
}

TEST(MountEngineTest, EachCommandRunsHiddenAndIsWaitedFor) {
    testing::FakeProcessRunner processes;
    EXPECT_TRUE(MountVirtualDrive(processes, "E:", "C:\\WORK"));
    EXPECT_TRUE(UnMountVirtualDrive(processes, "E:"));
    ASSERT_EQ(processes.events.size(), 4u);
    EXPECT_EQ(processes.events[0].commandLine, "subst.exe E: C:\\WORK");
    EXPECT_EQ(processes.events[0].style, WindowStyle::Hidden);
    EXPECT_EQ(processes.events[1].kind, testing::FakeProcessRunner::Event::Kind::Wait);
    EXPECT_EQ(processes.events[1].processId, processes.events[0].processId);
    EXPECT_EQ(processes.events[2].commandLine, "subst.exe E: /d");

    processes.startFails = true;
    EXPECT_FALSE(MountVirtualDrive(processes, "E:", "C:\\WORK"));
    EXPECT_EQ(processes.events.size(), 5u);  // nothing to wait for
}

}  // namespace
}  // namespace kestrova
