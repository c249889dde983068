#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace plandex {
namespace {

double screenScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return (dpi > 0 ? dpi : 96.0) / 96.0;
}

} // namespace

int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / TwipsPerPixelAt96Dpi * screenScale()));
}

double pixelsToTwips(int pixels) {
    return pixels * TwipsPerPixelAt96Dpi / screenScale();
}

void setTwipsGeometry(QWidget* widget, double left, double top, double width, double height) {
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                        twipsToPixels(height));
}

void moveToTwips(QWidget* widget, double left, double top) {
    widget->adjustSize();
    widget->move(twipsToPixels(left), twipsToPixels(top));
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window->move(area.x() + (area.width() - window->width()) / 2,
                 area.y() + (area.height() - window->height()) / 2);
}

} // namespace plandex
