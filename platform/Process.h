#pragma once

#include <cstdint>
#include <string>

namespace kestrova {

// Window styles of a started program, as the callers name them.
enum class WindowStyle : int { Hidden = 0, Normal = 1, Minimized = 2 };

// Starts programs from a command line and waits for them.
class ProcessRunner {
  public:
    virtual ~ProcessRunner() = default;

    // Starts `commandLine` as given (nothing quoted or trimmed), in
    // `workingFolder` when one is given. Returns the process id, or 0 when
    // the program could not be started.
    virtual std::uint32_t Start(const std::string& commandLine, WindowStyle style,
                                const std::string& workingFolder = {}) = 0;

    // Returns when the process has ended, handling window messages meanwhile.
    // True when it ended with a non-zero exit code; false when it cannot be
    // opened (it has already gone, or the id is 0).
    virtual bool WaitForProcess(std::uint32_t processId) = 0;

    // The full path of the system's command interpreter, which runs batch files.
    virtual std::string CommandInterpreter() = 0;
};

}  // namespace kestrova
