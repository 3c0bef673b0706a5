#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Process.h"

namespace kestrova::testing {

// Records every command line it is asked to start, and every wait, in the
// order they happen. `onStart` lets a test play the started program's part
// (map a drive in the fake file system, say); `startFails` makes every start
// fail as a missing program does.
class FakeProcessRunner final : public ProcessRunner {
  public:
    struct Event {
        enum class Kind { Start, Wait } kind;
        std::string commandLine;  // for a start
        WindowStyle style = WindowStyle::Normal;
        std::uint32_t processId = 0;
    };

    std::function<void(const std::string& commandLine)> onStart;
    std::function<void()> onWait;
    bool startFails = false;

    std::uint32_t Start(const std::string& commandLine, WindowStyle style) override {
        if (startFails) {
            events.push_back({Event::Kind::Start, commandLine, style, 0});
            return 0;
        }
        const std::uint32_t id = nextId_++;
        events.push_back({Event::Kind::Start, commandLine, style, id});
        if (onStart) {
            onStart(commandLine);
        }
        return id;
    }

    bool WaitForProcess(std::uint32_t processId) override {
        events.push_back({Event::Kind::Wait, {}, WindowStyle::Normal, processId});
        if (onWait) {
            onWait();
        }
        return false;
    }

    std::vector<std::string> CommandLines() const {
        std::vector<std::string> lines;
        for (const Event& event : events) {
            if (event.kind == Event::Kind::Start) {
                lines.push_back(event.commandLine);
            }
        }
        return lines;
    }

    std::vector<Event> events;

  private:
    std::uint32_t nextId_ = 100;
};

}  // namespace kestrova::testing
