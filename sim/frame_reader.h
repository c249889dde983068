// Splits the byte stream from the client into command frames. A frame with a
// wrong checksum is dropped, as the meter ignores it; bytes that do not start a
// frame are skipped.
#pragma once

#include "frame.h"

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
    void feed(std::span<const std::uint8_t> bytes);
    // The next complete frame, good or bad, in order of arrival.
    std::optional<ReceivedFrame> next();

  private:
    std::vector<std::uint8_t> pending_;
};

} // namespace korvane::sim
