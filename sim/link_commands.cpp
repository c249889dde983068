// Connection commands: open (0x2B), close (0x09) and reset (0x0A), each
// answered with a plain six-byte acknowledgement.
#include "handlers.h"

namespace korvane::sim {

void registerLinkCommands(CommandTable& table, MeterState& state) {
    table.on(0x2B, [&state](const ReceivedFrame& f) {
        state.link.connected = true;
        return makeReply(f.command(), 6);
    });
    table.on(0x09, [&state](const ReceivedFrame& f) {
        state.link.connected = false;
        return makeReply(f.command(), 6);
    });
    table.on(0x0A, [&state](const ReceivedFrame& f) {
        ++state.link.resets;
        return makeReply(f.command(), 6);
    });
}

} // namespace korvane::sim
