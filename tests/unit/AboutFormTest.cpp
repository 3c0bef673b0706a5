#include <gtest/gtest.h>

#include "platform/registry/RegistryRoutines.h"
#include "tests/support/fakes/FakeFileSystem.h"
#include "tests/support/fakes/FakeProcessRunner.h"
#include "tests/support/fakes/MemoryRegistry.h"
#include "ui/AboutForm.h"

namespace kestrova {
namespace {

class AboutFormTest : public ::testing::Test {
  protected:
    void Register(const std::string& key, const std::string& name, const std::string& value) {
        RegistryRoutines routines(registry);
        routines.hKey(kHkeyLocalMachine);
        routines.KeyRoot("SOFTWARE\\Microsoft");
        routines.SubKey(key);
        routines.CreateKey();
        routines.SetRegistryValue(name, value, kRegSz);
    }
    void Start() {
        StartSysInfo(registry, fs, processes, [this](const std::string& text, int style) {
            messages.emplace_back(text, style);
        });
    }

    testing::MemoryRegistry registry;
    testing::FakeFileSystem fs;
    testing::FakeProcessRunner processes;
    std::vector<std::pair<std::string, int>> messages;
};

TEST(AboutTextTest, VersionReadsMajorMinorRevision) {
    EXPECT_EQ(VersionText(1, 0, 0), "Version 1.0.0");
    EXPECT_EQ(VersionText(2, 10, 3), "Version 2.10.3");
}

TEST_F(AboutFormTest, TheRegisteredPathIsStartedWithoutAskingTheSecondKey) {
    Register("Shared Tools\\MSINFO", "PATH", "C:\\Tools\\msinfo32.exe");
    // As for a standard user: the key may be read but not opened for writing.
    registry.DenyWrite(WidenKey(kHkeyLocalMachine), "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    Register("Shared Tools Location", "MSINFO", "C:\\Other");
    Start();
    ASSERT_EQ(processes.started, std::vector<std::string>{"C:\\Tools\\msinfo32.exe"});
    EXPECT_EQ(processes.styles[0], WindowStyle::Normal);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(fs.Queries().empty());
}

TEST_F(AboutFormTest, TheToolsFolderIsUsedWhenItHoldsTheProgram) {
    Register("Shared Tools Location", "MSINFO", "C:\\Shared\\MSInfo");
    Start();  // the folder is registered, but the program is not in it
    EXPECT_TRUE(processes.started.empty());
    ASSERT_EQ(messages.size(), 1u);

    fs.AddFile("C:\\Shared\\MSInfo\\MSINFO32.EXE");
    Start();
    EXPECT_EQ(processes.started, std::vector<std::string>{"C:\\Shared\\MSInfo\\MSINFO32.EXE"});
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(AboutFormTest, NothingRegisteredOrNothingStartedSaysItIsUnavailable) {
    Start();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "System Information Is Unavailable At This Time");
    EXPECT_EQ(messages[0].second, 0);

    Register("Shared Tools\\MSINFO", "PATH", "C:\\Missing.exe");
    processes.startFails = true;
    Start();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(registry.KeysOpenNow(), 0u);
}

TEST_F(AboutFormTest, KeyValuesAreStringsTrimmedOfTheirTerminator) {
    Register("Shared Tools\\MSINFO", "PATH", "C:\\Tools\\msinfo32.exe");
    std::string value = "stale";
    EXPECT_TRUE(GetKeyValue(registry, kHkeyLocalMachine,
                            "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", value));
    EXPECT_EQ(value, "C:\\Tools\\msinfo32.exe");
    EXPECT_FALSE(GetKeyValue(registry, kHkeyLocalMachine, "SOFTWARE\\Nowhere", "PATH", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(GetKeyValue(registry, kHkeyLocalMachine,
                             "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "NONE", value));
}

}  // namespace
}  // namespace kestrova
