#include "screen_readout.h"

#include <array>
#include <cstdio>

namespace korvane::sim {
namespace {

constexpr int GlyphWidth = 3, GlyphHeight = 5, Advance = GlyphWidth + 1;
constexpr int Top = 2, RightMargin = 3;

struct Glyph {
    char c;
    std::array<std::uint8_t, GlyphHeight> rows; // three bits a row, the leftmost pixel highest
};

constexpr Glyph Font[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 1, 1}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'.', {0, 0, 0, 0, 2}}, {'-', {0, 0, 7, 0, 0}},
    {'M', {5, 7, 7, 5, 5}}, {'H', {5, 5, 7, 5, 5}}, {'Z', {7, 1, 2, 4, 7}}, {'D', {6, 5, 5, 5, 6}},
    {'B', {6, 5, 6, 5, 6}}, {'U', {5, 5, 5, 5, 7}}, {'V', {5, 5, 5, 5, 2}},
};

const Glyph* glyphOf(char c) {
    for (const Glyph& glyph : Font)
        if (glyph.c == c) return &glyph;
    return nullptr; // a blank
}

void putPixel(sondrel::Bytes& picture, int width, int x, int y, bool dark) {
    auto& byte = picture[static_cast<std::size_t>(y * (width / 8) + x / 8)];
    const auto bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
    byte = dark ? byte | bit : byte & static_cast<std::uint8_t>(~bit);
}

} // namespace

std::string readoutText(double mhz, double level) {
    char text[48];
    std::snprintf(text, sizeof text, "%.2fMHZ %.1fDBUV", mhz, level);
    return text;
}

void drawReadout(sondrel::Bytes& picture, int width, int height, const std::string& text) {
    const int textWidth = static_cast<int>(text.size()) * Advance - 1;
    const int left = width - RightMargin - textWidth;
    if (left < 1 + RightMargin || height < Top + GlyphHeight + 2) return;
    // A light box with a pixel of margin, then the text dark on it.
    for (int y = Top - 1; y <= Top + GlyphHeight; ++y)
        for (int x = left - 1; x <= left + textWidth; ++x)
            putPixel(picture, width, x, y, false);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Glyph* glyph = glyphOf(text[i]);
        if (!glyph) continue;
        const int x0 = left + static_cast<int>(i) * Advance;
        for (int row = 0; row < GlyphHeight; ++row)
            for (int column = 0; column < GlyphWidth; ++column)
                if (glyph->rows[static_cast<std::size_t>(row)] & (4 >> column))
                    putPixel(picture, width, x0 + column, Top + row, true);
    }
}

} // namespace korvane::sim
