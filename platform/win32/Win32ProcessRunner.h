#pragma once

#include "platform/Process.h"

namespace kestrova {

// Starts programs with CreateProcessA and waits for them while the calling
// thread's window messages keep being handled.
class Win32ProcessRunner final : public ProcessRunner {
  public:
    std::uint32_t Start(const std::string& commandLine, WindowStyle style) override;
    bool WaitForProcess(std::uint32_t processId) override;
};

// Lets every pending window message of this thread run once. False when a
// quit request was met (it is left in the queue for the main loop).
bool PumpPendingMessages();

}  // namespace kestrova
