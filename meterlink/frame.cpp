#include "frame.h"

#include <numeric>
#include <string>

namespace sondrel {

std::uint8_t frameChecksum(std::span<const std::uint8_t> bytes) {
    const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
    return static_cast<std::uint8_t>((256 - sum % 256) % 256);
}

bool checksumMatches(std::span<const std::uint8_t> frame) {
    if (frame.empty()) return false;
    return frame.back() == frameChecksum(frame.first(frame.size() - 1));
}

Bytes buildFrame(std::span<const std::uint8_t> commandBuffer) {
    if (commandBuffer.empty()) throw std::invalid_argument("empty command buffer");
    const std::size_t length = commandBuffer[0];
    if (length < FrameOverhead || commandBuffer.size() < length - 4)
        throw std::invalid_argument("command buffer shorter than its frame length");
    Bytes frame(length);
    frame[0] = FrameStart0;
    frame[1] = FrameStart1;
    frame[2] = FrameStart2;
    for (std::size_t k = 3; k + 1 < length; ++k)
        frame[k] = commandBuffer[k - 3];
    frame[length - 1] = frameChecksum(std::span(frame).first(length - 1));
    return frame;
}

Bytes commandBuffer(std::uint8_t command, std::span<const std::uint8_t> parameters) {
    Bytes buffer;
    buffer.reserve(parameters.size() + 2);
    buffer.push_back(static_cast<std::uint8_t>(parameters.size() + FrameOverhead));
    buffer.push_back(command);
    buffer.insert(buffer.end(), parameters.begin(), parameters.end());
    return buffer;
}

static void requireBytes(const Bytes& bytes, std::size_t pos, std::size_t count) {
    if (pos + count > bytes.size())
        throw ReplyTooShort("reply of " + std::to_string(bytes.size()) + " bytes has no byte " +
                            std::to_string(pos + count - 1));
}

std::uint8_t Reply::byte(std::size_t pos) const {
    requireBytes(bytes_, pos, 1);
    return bytes_[pos];
}

std::uint16_t Reply::u16be(std::size_t pos) const {
    requireBytes(bytes_, pos, 2);
    return static_cast<std::uint16_t>(bytes_[pos] << 8 | bytes_[pos + 1]);
}

std::uint32_t Reply::u24be(std::size_t pos) const {
    requireBytes(bytes_, pos, 3);
    return std::uint32_t{bytes_[pos]} << 16 | std::uint32_t{bytes_[pos + 1]} << 8 | bytes_[pos + 2];
}

std::uint32_t Reply::u32be(std::size_t pos) const {
    requireBytes(bytes_, pos, 4);
    return std::uint32_t{bytes_[pos]} << 24 | u24be(pos + 1);
}

std::span<const std::uint8_t> Reply::slice(std::size_t pos, std::size_t count) const {
    requireBytes(bytes_, pos, count);
    return std::span(bytes_).subspan(pos, count);
}

} // namespace sondrel
