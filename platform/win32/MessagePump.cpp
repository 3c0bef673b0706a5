#include "platform/win32/MessagePump.h"

namespace kestrova {

namespace {

void Deliver(MSG& message, MessageFilter filter) {
    if (filter == nullptr || !filter(message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

bool PumpPendingMessages(MessageFilter filter) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit request for the main loop to see.
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        Deliver(message, filter);
    }
    return true;
}

int RunMessageLoop(MessageFilter filter) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        Deliver(message, filter);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace kestrova
