#pragma once

#include <windows.h>

namespace kestrova {

// Gives a message to the program's windows before it is dispatched (their
// dialog keys, say); true when it was handled there.
using MessageFilter = bool (*)(MSG& message);

// Lets every pending window message of this thread run once. False when a
// quit request was met (it is left in the queue for the main loop).
bool PumpPendingMessages(MessageFilter filter);

// Runs the thread's messages until a quit request; returns its exit code.
int RunMessageLoop(MessageFilter filter);

}  // namespace kestrova
