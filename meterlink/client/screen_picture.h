// The picture in a copy of the meter's screen. The library hands the display
// memory over as it came (10001 or 40001 bytes); a meter that keeps its
// display at one bit per pixel, rows from the top, each row width/8 bytes with
// the leftmost pixel in the highest bit and a set bit dark, fills the start of
// it with exactly that raster, the raster of a binary PBM image. The meter
// does not say its display's size: the user gives it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel::client {

struct ScreenGeometry {
    int width = 0;
    int height = 0;
    // Bytes of its raster; counted wide, as no int need hold it.
    std::size_t rasterBytes() const {
        return static_cast<std::size_t>(width / 8) * static_cast<std::size_t>(height);
    }
};

// "WIDTHxHEIGHT", both whole numbers above 0 and the width a multiple of 8;
// nullopt for anything else.
std::optional<ScreenGeometry> screenGeometryOf(std::string_view text);

// Pixels of a picture, row by row from the top, true for a dark one.
struct PixelGrid {
    int width = 0;
    int height = 0;
    std::vector<bool> dark;
    bool darkAt(int x, int y) const {
        return dark[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(x)];
    }
};

// The picture of `geometry` at the start of buffer; nullopt when its raster
// does not fit the buffer.
std::optional<PixelGrid> pixelGridOf(std::span<const std::uint8_t> buffer, ScreenGeometry geometry);

// A binary PBM file (P4) of the picture; nullopt when its raster does not fit.
std::optional<std::string> pbmOf(std::span<const std::uint8_t> buffer, ScreenGeometry geometry);

} // namespace sondrel::client
