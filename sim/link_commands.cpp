// Connection commands: open (0x2B), close (0x09) and reset (0x0A), each
// answered with a plain six-byte acknowledgement.
#include "handlers.h"

#include "common/command_codes.h"

namespace korvane::sim {

using namespace sondrel::command_codes;

void registerLinkCommands(CommandTable& table, MeterState& state) {
    table.on(CmdOpenConnection, [&state](const ReceivedFrame& f) {
        state.link.connected = true;
        return makeReply(f.command(), 6);
    });
    table.on(CmdCloseConnection, [&state](const ReceivedFrame& f) {
        state.link.connected = false;
        return makeReply(f.command(), 6);
    });
    table.on(CmdReset, [&state](const ReceivedFrame& f) {
        ++state.link.resets;
        return makeReply(f.command(), 6);
    });
}

} // namespace korvane::sim
