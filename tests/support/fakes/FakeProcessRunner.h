#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/Process.h"

namespace kestrova::testing {

// Records each command line started, with its window style and working folder; ids count from 1.
// `onStart` plays the program's part (maps a drive, say) and returns false when it ends with an
// error; a start fails as a missing program's does when `startFails` is set or it is `unstartable`.
class FakeProcessRunner final : public ProcessRunner {
  public:
    std::uint32_t Start(const std::string& commandLine, WindowStyle style,
                        const std::string& workingFolder = {}) override {
        started.push_back(commandLine);
        styles.push_back(style);
        folders.push_back(workingFolder);
        if (startFails || unstartable.contains(commandLine)) {
            return 0;
        }
        const auto id = static_cast<std::uint32_t>(started.size());
        if (onStart && !onStart(commandLine)) {
            failed.insert(id);
        }
        return id;
    }
    bool WaitForProcess(std::uint32_t processId) override {
        onWait();
        return failed.contains(processId);
    }
    std::string CommandInterpreter() override { return "C:\\Windows\\system32\\cmd.exe"; }

    std::function<bool(const std::string& commandLine)> onStart;
    std::function<void()> onWait = [] {};
    bool startFails = false;
    std::set<std::string> unstartable;
    std::vector<std::string> started, folders;
    std::vector<WindowStyle> styles;
    std::set<std::uint32_t> failed;  // the processes that end with an error
};

}  // namespace kestrova::testing
