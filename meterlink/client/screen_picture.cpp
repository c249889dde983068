#include "screen_picture.h"

#include <charconv>

namespace sondrel::client {
namespace {

// A whole number above 0 that an int holds; nullopt for anything else.
std::optional<int> positiveNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0) return std::nullopt;
    return value;
}

} // namespace

std::optional<ScreenGeometry> screenGeometryOf(std::string_view text) {
    const auto x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    const auto width = positiveNumber(text.substr(0, x));
    const auto height = positiveNumber(text.substr(x + 1));
    if (!width || !height || *width % 8 != 0) return std::nullopt;
    return ScreenGeometry{*width, *height};
}

std::optional<PixelGrid> pixelGridOf(std::span<const std::uint8_t> buffer,
                                     ScreenGeometry geometry) {
    if (geometry.width <= 0 || geometry.height <= 0 || geometry.rasterBytes() > buffer.size())
        return std::nullopt;
    PixelGrid grid{geometry.width, geometry.height, {}};
    grid.dark.reserve(static_cast<std::size_t>(geometry.width) *
                      static_cast<std::size_t>(geometry.height));
    const std::size_t rowBytes = static_cast<std::size_t>(geometry.width / 8);
    for (int y = 0; y < geometry.height; ++y)
        for (int x = 0; x < geometry.width; ++x) {
            const std::uint8_t byte =
                buffer[static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x / 8)];
            grid.dark.push_back((byte & (0x80 >> (x % 8))) != 0);
        }
    return grid;
}

std::optional<std::string> pbmOf(std::span<const std::uint8_t> buffer, ScreenGeometry geometry) {
    if (geometry.width <= 0 || geometry.height <= 0 || geometry.rasterBytes() > buffer.size())
        return std::nullopt;
    std::string file =
        "P4\n" + std::to_string(geometry.width) + ' ' + std::to_string(geometry.height) + '\n';
    file.append(reinterpret_cast<const char*>(buffer.data()), geometry.rasterBytes());
    return file;
}

} // namespace sondrel::client
