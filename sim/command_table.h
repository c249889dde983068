// Which handler answers which command byte. A handler returns the whole reply
// (see makeReply) or nothing when the meter would stay silent.
#pragma once

#include "frame.h"
#include "frame_reader.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace korvane::sim {

using Handler = std::function<std::optional<sondrel::Bytes>(const ReceivedFrame&)>;

class CommandTable {
  public:
    void on(std::uint8_t command, Handler handler) { handlers_[command] = std::move(handler); }
    const Handler* find(std::uint8_t command) const {
        return handlers_[command] ? &handlers_[command] : nullptr;
    }

  private:
    std::array<Handler, 256> handlers_{};
};

// A reply of `length` bytes: 55 AA 01, the length, the command byte, the data
// from position 5 on (zero-filled up to position length-2), then the checksum.
sondrel::Bytes makeReply(std::uint8_t command, std::size_t length,
                         std::span<const std::uint8_t> data = {});

} // namespace korvane::sim
