#include "frame_reader.h"

namespace korvane::sim {

void FrameReader::feed(std::span<const std::uint8_t> bytes, Clock::time_point now) {
    if (now - lastByte_ > InterByteTimeout) pending_.clear(); // an unfinished frame is dropped
    lastByte_ = now;
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
}

std::optional<ReceivedFrame> FrameReader::next() {
    using namespace sondrel;
    while (!pending_.empty()) {
        // Skip to the next start sequence 55 AA 01.
        std::size_t start = 0;
        while (start < pending_.size() &&
               !(pending_[start] == FrameStart0 &&
                 (start + 1 >= pending_.size() || pending_[start + 1] == FrameStart1) &&
                 (start + 2 >= pending_.size() || pending_[start + 2] == FrameStart2)))
            ++start;
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
        if (pending_.size() < 4) return std::nullopt;
        const std::size_t length = pending_[3];
        if (length < FrameOverhead) {
            pending_.erase(pending_.begin()); // not a frame after all
            continue;
        }
        if (pending_.size() < length) return std::nullopt;
        ReceivedFrame frame;
        frame.bytes.assign(pending_.begin(),
                           pending_.begin() + static_cast<std::ptrdiff_t>(length));
        frame.checksumGood = checksumMatches(frame.bytes);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
        return frame;
    }
    return std::nullopt;
}

} // namespace korvane::sim
