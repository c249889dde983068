// The simulator's spectrum screen: each pixel column shows the peak across its
// span of frequencies, so a carrier between two pixel centres is drawn at its
// level.
#include "screen_memory.h"

#include <gtest/gtest.h>

using namespace korvane::sim;

namespace {

// Dark pixels of column x inside the frame.
int columnHeight(const sondrel::Bytes& picture, const ScreenMemory& screen, int x) {
    int dark = 0;
    for (int y = 1; y < screen.height - 1; ++y)
        dark += pixelAt(picture, screen.width, x, y) ? 1 : 0;
    return dark;
}

} // namespace

TEST(SpectrumScreen, ACarrierAnywhereInAPixelsSpanIsDrawnAtItsPeak) {
    ScreenMemory screen; // 128 x 64 pixels across 48 MHz: 0.38 MHz a pixel
    SignalModel signal;
    signal.tunedKHz = 100000;
    const double pixelMHz = screen.spanMHz / (screen.width - 2);
    const int column = 30;
    const double columnStart = 100.0 + screen.spanMHz * ((column - 1.0) / (screen.width - 2) - 0.5);
    for (double within : {0.1, 0.3, 0.5, 0.7, 0.9}) {
        ModelChannel channel;
        channel.number = 1;
        channel.type = "SIGL";
        channel.mhz = columnStart + within * pixelMHz;
        const std::vector<ModelChannel> channels{channel};
        const sondrel::Bytes picture = spectrumScreen(screen, signal, channels);
        // The carrier's own level, wherever its offset puts it near mhz.
        double peak = 0;
        for (double f = channel.mhz - 0.1; f <= channel.mhz + 0.1; f += 0.001)
            peak = std::max(peak, signal.levelAt(f, channels));
        const int expected =
            static_cast<int>(std::lround((peak - 20.0) / 80.0 * (screen.height - 2)));
        int tallest = 0;
        for (int x = column - 1; x <= column + 1; ++x)
            tallest = std::max(tallest, columnHeight(picture, screen, x));
        EXPECT_NEAR(tallest, expected, 1) << "carrier at " << within << " of the pixel";
    }
}
