// Simulated meter: its display and the copying of the display memory.
//
// Picture format: one bit per pixel, width x height pixels (the width a
// multiple of 8), rows from top to bottom, each row width/8 bytes with the
// leftmost pixel in the most significant bit; a set bit is a dark pixel. (The
// same raster as a binary PBM image, P4.)
//
// Copying (command 0x72): the picture is cut into blocks of 64 bytes (small
// form) or 160 bytes (big form, a meter with the larger display); block b
// holds picture bytes (b - 1) x size onwards, the last one padded with 0. The
// first request takes a snapshot and answers with the first block in the
// meter's order (ascending, descending, or odd blocks then even ones); every
// bare request after it gets the next block, and once all are sent the meter
// stays silent until the next first request.
//
// Unless a fixed picture is set, the display shows the spectrum screen: a
// frame round the edge, the spectrum across spanMHz around the tuned
// frequency as one column per pixel filled from the bottom up to the level
// (20 dBuV at the bottom edge, 100 dBuV at the top), and a dotted marker
// line at the tuned frequency in the middle; a display wide enough also shows
// the tuned frequency and its level at the top right (see screen_readout.h).
#pragma once

#include "common/screen_blocks.h"
#include "frame.h"
#include "signal_model.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <vector>

namespace korvane::sim {

struct ScreenTransfer {
    sondrel::Bytes picture;
    std::vector<std::uint8_t> blockOrder; // block numbers in the order they go out
    std::size_t next = 0;
};

struct ScreenMemory {
    enum class Form { Small, Big };
    enum class Order { Ascending, Descending, OddThenEven };

    Form form = Form::Small;
    int width = 128;
    int height = 64;
    double spanMHz = 48.0;
    Order order = Order::Ascending;
    std::optional<sondrel::Bytes> picture; // a fixed picture instead of the spectrum screen
    std::optional<ScreenTransfer> transfer;

    const sondrel::ScreenForm& blocks() const;
    std::size_t pictureBytes() const { return static_cast<std::size_t>(width / 8 * height); }
    // Block numbers of a picture of `count` blocks, in this meter's order.
    std::vector<std::uint8_t> blockOrder(std::size_t count) const;
};

// The spectrum screen of the display, in the picture format.
sondrel::Bytes spectrumScreen(const ScreenMemory& screen, const SignalModel& signal,
                              std::span<const ModelChannel> channels);

// True when pixel (x, y) of a picture `width` pixels wide is dark.
bool pixelAt(std::span<const std::uint8_t> picture, int width, int x, int y);

// Form, size, span, order and the fixed picture are kept; a transfer is not.
void to_json(nlohmann::json& j, const ScreenMemory& screen);
void from_json(const nlohmann::json& j, ScreenMemory& screen);

} // namespace korvane::sim
