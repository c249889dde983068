// Splits the byte stream from the client into command frames. A frame with a
// wrong checksum is dropped, as the meter ignores it; bytes that do not start a
// frame are skipped. Like the meter, the reader gives up on a frame whose next
// byte is more than InterByteTimeout late: a stray partial header (55 AA 01 FF)
// is forgotten, and the reader looks for the next 55 AA 01.
#pragma once

#include "frame.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace korvane::sim {

struct ReceivedFrame {
    sondrel::Bytes bytes; // the whole frame
    bool checksumGood = false;
    std::uint8_t command() const { return bytes.at(4); }
    // Parameters: bytes 5 .. L-2.
    std::span<const std::uint8_t> params() const {
        return std::span(bytes).subspan(5, bytes.size() - 6);
    }
};

class FrameReader {
  public:
    using Clock = std::chrono::steady_clock;
    // Far longer than a byte takes on any line speed, far shorter than a
    // client waits for a reply before it sends again.
    static constexpr std::chrono::milliseconds InterByteTimeout{100};

    // Bytes that arrived at `now`.
    void feed(std::span<const std::uint8_t> bytes, Clock::time_point now = Clock::now());
    // The next complete frame, good or bad, in order of arrival.
    std::optional<ReceivedFrame> next();

  private:
    std::vector<std::uint8_t> pending_;
    Clock::time_point lastByte_{};
};

} // namespace korvane::sim
