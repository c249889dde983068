#include "command_table.h"

#include <algorithm>
#include <stdexcept>

namespace korvane::sim {

sondrel::Bytes makeReply(std::uint8_t command, std::size_t length,
                         std::span<const std::uint8_t> data) {
    if (length < sondrel::FrameOverhead || data.size() > length - sondrel::FrameOverhead)
        throw std::invalid_argument("reply data does not fit the reply length");
    sondrel::Bytes reply(length, 0);
    reply[0] = sondrel::FrameStart0;
    reply[1] = sondrel::FrameStart1;
    reply[2] = sondrel::FrameStart2;
    reply[3] = static_cast<std::uint8_t>(length);
    reply[4] = command;
    std::copy(data.begin(), data.end(), reply.begin() + 5);
    reply[length - 1] = sondrel::frameChecksum(std::span(reply).first(length - 1));
    return reply;
}

} // namespace korvane::sim
