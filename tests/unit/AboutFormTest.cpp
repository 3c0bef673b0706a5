#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/registry/RegistryRoutines.h"
#include "tests/support/fakes/FakeFileSystem.h"
#include "tests/support/fakes/FakeProcessRunner.h"
#include "tests/support/fakes/MemoryRegistry.h"
#include "ui/AboutForm.h"

namespace kestrova {
namespace {

using Lines = std::vector<std::string>;
using Message = std::pair<std::string, int>;  // a message box's text and style

class AboutFormTest : public ::testing::Test {
  protected:
    void Register(const std::string& key, const std::string& name, const Variant& value,
                  std::int32_t type = kRegSz) {
        RegistryRoutines routines(registry);
        routines.hKey(kHkeyLocalMachine);
        routines.KeyRoot("SOFTWARE\\Microsoft");
        routines.SubKey(key);
        routines.CreateKey();
        routines.SetRegistryValue(name, value, type);
    }
    void Start() {
        StartSysInfo(registry, fs, processes, [this](const std::string& text, int style) {
            messages.emplace_back(text, style);
        });
    }

    testing::MemoryRegistry registry;
    testing::FakeFileSystem fs;
    testing::FakeProcessRunner processes;
    std::vector<Message> messages;
};

// A registered text path goes first and is only read; the tools folder is tried when there is none.
TEST_F(AboutFormTest, TheRegisteredPathThenTheToolsFolderElseTheProgramIsUnavailable) {
    Start();                                                 // nothing registered
    Register("Shared Tools\\MSINFO", "PATH", 1, kRegDword);  // no text: not a path
    Register("Shared Tools Location", "MSINFO", "C:\\Shared\\MSInfo");
    Start();  // the folder is registered, but the program is not in it
    fs.AddFile("C:\\Shared\\MSInfo\\MSINFO32.EXE");
    Start();
    Register("Shared Tools\\MSINFO", "PATH", "C:\\Missing.exe");
    processes.unstartable = {"C:\\Missing.exe"};
    Start();
    Register("Shared Tools\\MSINFO", "PATH", "C:\\Tools\\msinfo32.exe");
    // As for a standard user: the key may be read but not opened for writing.
    registry.DenyWrite(WidenKey(kHkeyLocalMachine), "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    fs.ClearQueries();
    Start();
    EXPECT_EQ(processes.started, (Lines{"C:\\Shared\\MSInfo\\MSINFO32.EXE", "C:\\Missing.exe",
                                        "C:\\Tools\\msinfo32.exe"}));
    EXPECT_EQ(processes.styles, std::vector(3, WindowStyle::Normal));
    EXPECT_TRUE(fs.Queries().empty());  // the tools folder is not looked at
    // A plain box: OK and no icon.
    EXPECT_EQ(messages,
              std::vector(3, Message{"System Information Is Unavailable At This Time", 0}));
    EXPECT_EQ(registry.KeysOpenNow(), 0u);
}

}  // namespace
}  // namespace kestrova
