// The readout on the simulated meter's spectrum screen: the tuned frequency
// and its level in the top right corner, legible over whatever lies beneath,
// kept clear of the frame, and left out where it does not fit.
#include "screen_memory.h"
#include "screen_readout.h"

#include <gtest/gtest.h>

using namespace korvane::sim;

namespace {

// Pixels that differ between two pictures of one size, and the leftmost column among them.
struct Difference {
    int count = 0;
    int leftmost = 1 << 30;
    int lowest = -1;
};
Difference differences(const sondrel::Bytes& a, const sondrel::Bytes& b, int width, int height) {
    Difference d;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixelAt(a, width, x, y) != pixelAt(b, width, x, y)) {
                ++d.count;
                d.leftmost = std::min(d.leftmost, x);
                d.lowest = std::max(d.lowest, y);
            }
    return d;
}

} // namespace

TEST(ScreenReadout, SaysTheTunedFrequencyAndLevel) {
    EXPECT_EQ(readoutText(474.0, 78.46), "474.00MHZ 78.5DBUV");
    EXPECT_EQ(readoutText(48.25, -3.0), "48.25MHZ -3.0DBUV");
}

TEST(ScreenReadout, ReadsTheSameOnAnyGroundInTheTopRightInsideTheFrame) {
    const int width = 128, height = 64;
    const sondrel::Bytes blank(width / 8 * height, 0);
    const sondrel::Bytes full(width / 8 * height, 0xFF);
    sondrel::Bytes onBlank = blank, onFull = full;
    const std::string text = readoutText(474.0, 78.5);
    drawReadout(onBlank, width, height, text);
    drawReadout(onFull, width, height, text);
    const Difference drawn = differences(blank, onBlank, width, height);
    EXPECT_GT(drawn.count, 0);
    EXPECT_GT(drawn.leftmost, width / 4) << "right of the screen's first quarter";
    EXPECT_LT(drawn.lowest, height / 4) << "in the top rows";
    // Where the readout lies it is the same whatever was beneath.
    int same = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixelAt(onBlank, width, x, y) == pixelAt(onFull, width, x, y)) {
                ++same;
                EXPECT_GT(x, width / 4);
                EXPECT_LT(y, height / 4);
            }
    EXPECT_GT(same, drawn.count) << "the text and the light box round it";
    for (int y = 0; y < height; ++y)
        EXPECT_TRUE(pixelAt(onFull, width, width - 1, y)) << "the frame's column untouched";
    drawReadout(onBlank, width, height, text);
    EXPECT_EQ(differences(blank, onBlank, width, height).count, drawn.count)
        << "drawn twice, the same";
}

TEST(ScreenReadout, ADisplayTooSmallShowsNone) {
    const sondrel::Bytes blank(64 / 8 * 24, 0);
    sondrel::Bytes picture = blank;
    drawReadout(picture, 64, 24, readoutText(474.0, 78.5));
    EXPECT_EQ(picture, blank);
}

TEST(ScreenReadout, TheDemoScreenShowsWhereTheMeterIsTuned) {
    ScreenMemory screen;
    SignalModel signal;
    signal.tunedKHz = 474000;
    const sondrel::Bytes at474 = spectrumScreen(screen, signal, {});
    signal.tunedKHz = 482000;
    const sondrel::Bytes at482 = spectrumScreen(screen, signal, {});
    // On an empty band only the noise floor lies below; the top rows differ by the readout.
    const int topRows = 8;
    const auto top = [&](const sondrel::Bytes& picture) {
        return sondrel::Bytes(picture.begin(), picture.begin() + screen.width / 8 * topRows);
    };
    EXPECT_GT(differences(top(at474), top(at482), screen.width, topRows).count, 0);
}
