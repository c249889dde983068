// The meter's command frame: 55 AA 01, length, command, parameters, checksum.
// One place builds frames and computes the checksum, for the library and for
// anything that speaks the protocol from the meter's side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace sondrel {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t FrameStart0 = 0x55;
inline constexpr std::uint8_t FrameStart1 = 0xAA;
inline constexpr std::uint8_t FrameStart2 = 0x01;
inline constexpr std::size_t FrameOverhead = 6; // start bytes, length, command, checksum

// (256 - sum mod 256) mod 256: the byte that makes the sum of a frame 0 mod 256.
std::uint8_t frameChecksum(std::span<const std::uint8_t> bytes);

// True when the last byte is the checksum of the bytes before it.
bool checksumMatches(std::span<const std::uint8_t> frame);

// Builds the frame for a command buffer: element 0 is the frame length L,
// element 1 the command byte, then the parameters. The buffer must hold at
// least L-4 elements; L must be at least 6.
Bytes buildFrame(std::span<const std::uint8_t> commandBuffer);

// Convenience: the command buffer (L, command, parameters...) for a command.
Bytes commandBuffer(std::uint8_t command, std::span<const std::uint8_t> parameters = {});

// A reply from the meter, indexed from 0, with bounds-checked readers so that a
// short reply can never be read past its end.
class ReplyTooShort : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Reply {
  public:
    Reply() = default;
    explicit Reply(Bytes bytes) : bytes_(std::move(bytes)) {}

    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    const Bytes& bytes() const { return bytes_; }

    std::uint8_t byte(std::size_t pos) const;
    std::uint16_t u16be(std::size_t pos) const;
    std::uint32_t u24be(std::size_t pos) const;
    std::uint32_t u32be(std::size_t pos) const;
    // Bytes pos .. pos+count-1.
    std::span<const std::uint8_t> slice(std::size_t pos, std::size_t count) const;

  private:
    Bytes bytes_;
};

} // namespace sondrel
