#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/Process.h"

namespace kestrova::testing {

// Records every command line it is asked to start, with its window style, and
// every process waited for; process ids count from 1. `onStart` lets a test
// play the started program's part (map a drive in the fake file system, say);
// `startFails` makes every start fail as a missing program does.
class FakeProcessRunner final : public ProcessRunner {
  public:
    std::uint32_t Start(const std::string& commandLine, WindowStyle style,
                        const std::string& workingFolder = {}) override {
        started.push_back(commandLine);
        styles.push_back(style);
        folders.push_back(workingFolder);
        if (startFails) {
            return 0;
        }
        const auto id = static_cast<std::uint32_t>(started.size());
        if (onStart && !onStart(commandLine)) {
            failed.insert(id);
        }
        return id;
    }
    bool WaitForProcess(std::uint32_t processId) override {
        waited.push_back(processId);
        if (onWait) {
            onWait();
        }
        return failed.contains(processId);
    }
    std::string CommandInterpreter() override { return "C:\\Windows\\system32\\cmd.exe"; }

    // Plays the started program's part; false makes it end with an error.
    std::function<bool(const std::string& commandLine)> onStart;
    std::function<void()> onWait;
    bool startFails = false;
    std::vector<std::string> started;
    std::vector<WindowStyle> styles;
    std::vector<std::string> folders;  // the working folder of each start
    std::vector<std::uint32_t> waited;
    std::set<std::uint32_t> failed;  // the processes that end with an error
};

}  // namespace kestrova::testing
