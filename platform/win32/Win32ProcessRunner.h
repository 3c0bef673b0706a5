#pragma once

#include <map>

#include "platform/Process.h"
#include "platform/win32/Handle.h"
#include "platform/win32/MessagePump.h"

namespace kestrova {

// Starts programs with CreateProcessA and waits for them while the calling
// thread's window messages keep being handled (through `filter`).
class Win32ProcessRunner final : public ProcessRunner {
  public:
    explicit Win32ProcessRunner(MessageFilter filter = nullptr) : filter_(filter) {}
    std::uint32_t Start(const std::string& commandLine, WindowStyle style,
                        const std::string& workingFolder = {}) override;
    bool WaitForProcess(std::uint32_t processId) override;
    std::string CommandInterpreter() override;

  private:
    // The handles of the programs started and not yet waited for, by id: a
    // wait holds the very process it started, even if its id were reused.
    // Programs that are never waited for leave when they have ended.
    std::map<std::uint32_t, UniqueHandle> started_;
    MessageFilter filter_;
};

}  // namespace kestrova
