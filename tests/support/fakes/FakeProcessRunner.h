#pragma once

#include <cstdint>
#include <functional>
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
        if (onStart) {
            onStart(commandLine);
        }
        return static_cast<std::uint32_t>(started.size());
    }
    bool WaitForProcess(std::uint32_t processId) override {
        waited.push_back(processId);
        if (onWait) {
            onWait();
        }
        return false;
    }
    std::string CommandInterpreter() override { return "C:\\Windows\\system32\\cmd.exe"; }

    std::function<void(const std::string& commandLine)> onStart;
    std::function<void()> onWait;
    bool startFails = false;
    std::vector<std::string> started;
    std::vector<WindowStyle> styles;
    std::vector<std::string> folders;  // the working folder of each start
    std::vector<std::uint32_t> waited;
};

}  // namespace kestrova::testing
