// The readout line of the simulated meter's spectrum screen: the tuned
// frequency and the level measured there ("474.00MHZ 78.5DBUV"), in a 3x5
// pixel font at the top right, dark on a light box so it stays legible over a
// tall carrier or the marker line. A display too small for it shows none.
#pragma once

#include "frame.h"

namespace korvane::sim {

// The readout's text for a frequency (MHz) and level (dBuV).
std::string readoutText(double mhz, double level);

// Draws text into picture (the screen's raster, width x height pixels);
// nothing when it does not fit beside the frame.
void drawReadout(sondrel::Bytes& picture, int width, int height, const std::string& text);

} // namespace korvane::sim
