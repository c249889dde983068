// Window layouts are given in twips: 15 twips make one pixel on a 96 dpi
// screen, and the pixel count grows with the screen's dpi.
#pragma once

class QWidget;

namespace plandex {

inline constexpr double TwipsPerPixelAt96Dpi = 15.0;

int twipsToPixels(double twips);
double pixelsToTwips(int pixels);

// Places a widget at left, top with width, height, all in twips, within its parent.
void setTwipsGeometry(QWidget* widget, double left, double top, double width, double height);
// Places a widget at left, top (twips) at its natural size.
void moveToTwips(QWidget* widget, double left, double top);
// Centres a top-level window on its screen.
void centreOnScreen(QWidget* window);

} // namespace plandex
