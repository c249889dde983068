// The calling thread's pending window messages, handled once as a message loop
// would (PeekMessage / TranslateMessage / DispatchMessage), without waiting.
#include "message_pump.h"

#include <windows.h>

namespace sondrel {

void processPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The host's own loop must still see its request to end.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace sondrel
