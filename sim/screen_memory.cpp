#include "screen_memory.h"

#include "screen_readout.h"
#include "state_fields.h"

#include <algorithm>
#include <cmath>

namespace korvane::sim {
namespace {

constexpr double BottomLevel = 20.0;
constexpr double TopLevel = 100.0;

void setPixel(sondrel::Bytes& picture, int width, int x, int y) {
    picture[static_cast<std::size_t>(y * (width / 8) + x / 8)] |=
        static_cast<std::uint8_t>(0x80 >> (x % 8));
}

// The highest level across one pixel's span of frequencies, as the meter's
// peak detector draws it: sampled at a quarter of the filter's width, so no
// carrier falls between two samples (at most 2000 samples a pixel).
double peakLevel(const SignalModel& signal, std::span<const ModelChannel> channels, double fromMHz,
                 double toMHz) {
    const double step = std::max(signal.resolutionKHz, 1.0) / 4000.0;
    const int samples = std::clamp(static_cast<int>(std::ceil((toMHz - fromMHz) / step)), 1, 2000);
    double peak = signal.levelAt(toMHz, channels);
    for (int i = 0; i < samples; ++i)
        peak = std::max(peak, signal.levelAt(fromMHz + (toMHz - fromMHz) * i / samples, channels));
    return peak;
}

} // namespace

const sondrel::ScreenForm& ScreenMemory::blocks() const {
    return form == Form::Big ? sondrel::BigScreenForm : sondrel::SmallScreenForm;
}

std::vector<std::uint8_t> ScreenMemory::blockOrder(std::size_t count) const {
    std::vector<std::uint8_t> numbers;
    for (std::size_t b = 1; b <= count; ++b)
        numbers.push_back(static_cast<std::uint8_t>(b));
    if (order == Order::Descending) std::reverse(numbers.begin(), numbers.end());
    if (order == Order::OddThenEven)
        std::stable_partition(numbers.begin(), numbers.end(),
                              [](std::uint8_t b) { return b % 2 == 1; });
    return numbers;
}

bool pixelAt(std::span<const std::uint8_t> picture, int width, int x, int y) {
    return (picture[static_cast<std::size_t>(y * (width / 8) + x / 8)] & (0x80 >> (x % 8))) != 0;
}

sondrel::Bytes spectrumScreen(const ScreenMemory& screen, const SignalModel& signal,
                              std::span<const ModelChannel> channels) {
    const int w = screen.width;
    const int h = screen.height;
    sondrel::Bytes picture(screen.pictureBytes(), 0);
    for (int x = 0; x < w; ++x)
        setPixel(picture, w, x, 0), setPixel(picture, w, x, h - 1);
    for (int y = 0; y < h; ++y)
        setPixel(picture, w, 0, y), setPixel(picture, w, w - 1, y);
    const double centre = signal.tunedKHz / 1000.0;
    const int inner = h - 2;
    for (int x = 1; x < w - 1; ++x) {
        const double from = centre + screen.spanMHz * ((x - 1.0) / (w - 2) - 0.5);
        const double to = centre + screen.spanMHz * (static_cast<double>(x) / (w - 2) - 0.5);
        const double share =
            (peakLevel(signal, channels, from, to) - BottomLevel) / (TopLevel - BottomLevel);
        const int filled = std::clamp(static_cast<int>(std::lround(share * inner)), 0, inner);
        for (int y = h - 1 - filled; y < h - 1; ++y)
            setPixel(picture, w, x, y);
    }
    for (int y = 1; y < h - 1; y += 2)
        setPixel(picture, w, w / 2, y);
    drawReadout(picture, w, h, readoutText(centre, signal.levelAt(centre, channels)));
    return picture;
}

void to_json(nlohmann::json& j, const ScreenMemory& s) {
    static constexpr const char* orders[] = {"ascending", "descending", "oddThenEven"};
    j = {{"form", s.form == ScreenMemory::Form::Big ? "big" : "small"},
         {"width", s.width},
         {"height", s.height},
         {"spanMHz", s.spanMHz},
         {"order", orders[static_cast<int>(s.order)]},
         {"picture", s.picture ? nlohmann::json(*s.picture) : nlohmann::json()}};
}

void from_json(const nlohmann::json& j, ScreenMemory& s) {
    requireObject(j, "screen");
    s.form = choiceField(j, "screen", "form", "small", {"small", "big"}) == "big"
                 ? ScreenMemory::Form::Big
                 : ScreenMemory::Form::Small;
    // A display of at least one 8-pixel byte a row and one row, and at most
    // what the block transfer can send (255 blocks of the form).
    s.width = numberField(j, "screen", "width", s.width, 8, 2040) / 8 * 8;
    s.height = numberField(j, "screen", "height", s.height, 1, 2040);
    if (s.pictureBytes() > 255 * s.blocks().blockSize)
        throw StateFieldError("field screen.height: a " + std::to_string(s.width) + "x" +
                              std::to_string(s.height) + " picture needs more than 255 blocks");
    s.spanMHz = numberField(j, "screen", "spanMHz", s.spanMHz, 0.1, 2000);
    const std::string order =
        choiceField(j, "screen", "order", "ascending", {"ascending", "descending", "oddThenEven"});
    s.order = order == "descending"    ? ScreenMemory::Order::Descending
              : order == "oddThenEven" ? ScreenMemory::Order::OddThenEven
                                       : ScreenMemory::Order::Ascending;
    if (j.contains("picture") && !j.at("picture").is_null()) {
        const auto& values = *typedField(j, "screen", "picture", nlohmann::json::value_t::array);
        // The display memory holds one picture; a shorter one is padded with 0.
        if (values.size() > s.pictureBytes())
            throw StateFieldError("field screen.picture holds " + std::to_string(values.size()) +
                                  " bytes; a " + std::to_string(s.width) + "x" +
                                  std::to_string(s.height) + " display shows at most " +
                                  std::to_string(s.pictureBytes()));
        sondrel::Bytes picture;
        for (const auto& value : values)
            picture.push_back(byteField(value, "screen.picture"));
        s.picture = std::move(picture);
    }
}

} // namespace korvane::sim
