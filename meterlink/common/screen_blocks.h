// The meter sends its display memory as a numbered series of fixed-size
// blocks, one per reply to command 0x72: R[5] the number of blocks of the
// whole picture, R[6] the number of this block (from 1), then the block's
// bytes. A client collects them into a buffer of fixed size, block b at
// (b - 1) x block size. Two forms exist, by the meter's display.
#pragma once

#include <cstddef>

namespace sondrel {

struct ScreenForm {
    std::size_t blockSize;
    std::size_t replyLength;
    std::size_t bufferSize;
    // Highest block number whose bytes fit the buffer completely.
    constexpr std::size_t lastBlock() const { return bufferSize / blockSize; }
};

inline constexpr ScreenForm SmallScreenForm{64, 72, 10001};
inline constexpr ScreenForm BigScreenForm{160, 168, 40001};

inline constexpr std::size_t ScreenBlockCountPos = 5;
inline constexpr std::size_t ScreenBlockNumberPos = 6;
inline constexpr std::size_t ScreenBlockDataPos = 7;

} // namespace sondrel
