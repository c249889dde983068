// What "let the caller process pending events" means when no client hook is
// installed: on Windows, the calling thread's pending window messages are
// handled once, so a host's window stays responsive during a long transfer;
// elsewhere there is no system message queue and nothing happens.
#pragma once

namespace sondrel {

// Handles the calling thread's pending messages, if the platform has any, and returns.
void processPendingMessages();

} // namespace sondrel
