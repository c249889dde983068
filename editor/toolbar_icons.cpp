#include "toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>
#include <map>

namespace plandex {
namespace {

// Pictures are drawn on a 32 x 32 canvas and scaled by the icon engine.
constexpr int Canvas = 32;

const QColor outline(60, 60, 60);

QIcon drawn(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(double(size) / Canvas, double(size) / Canvas);
        draw(p);
        icon.addPixmap(pixmap);
    }
    return icon;
}

void page(QPainter& p, const QRectF& r) {
    p.setPen(QPen(outline, 1.5));
    p.setBrush(Qt::white);
    QPainterPath path;
    const double fold = r.width() * 0.3;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.drawPath(path);
    p.setPen(QPen(QColor(150, 150, 150), 1.2));
    for (double y = r.top() + fold + 3; y < r.bottom() - 3; y += 4)
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

// A thick arrow along the vertical axis, pointing up or down.
void verticalArrow(QPainter& p, const QColor& colour, bool up) {
    QPainterPath path;
    const double tip = up ? 3 : 24, base = up ? 14 : 13, tail = up ? 24 : 3;
    path.moveTo(16, tip);
    path.lineTo(27, base);
    path.lineTo(20, base);
    path.lineTo(20, tail);
    path.lineTo(12, tail);
    path.lineTo(12, base);
    path.lineTo(5, base);
    path.closeSubpath();
    p.setPen(QPen(colour.darker(150), 1.5));
    p.setBrush(colour);
    p.drawPath(path);
}

// The meter, a small box with a screen, at the bottom of the transfer pictures.
void meterBox(QPainter& p) {
    p.setPen(QPen(outline, 1.5));
    p.setBrush(QColor(90, 90, 100));
    p.drawRoundedRect(QRectF(6, 25, 20, 6), 1.5, 1.5);
    p.setBrush(QColor(140, 220, 140));
    p.drawRect(QRectF(9, 26.5, 9, 3));
}

const std::map<QString, std::function<void(QPainter&)>>& painters() {
    static const std::map<QString, std::function<void(QPainter&)>> all = {
        {"Upload",
         [](QPainter& p) {
             verticalArrow(p, QColor(60, 170, 70), true);
             meterBox(p);
         }},
        {"Download",
         [](QPainter& p) {
             verticalArrow(p, QColor(50, 110, 210), false);
             meterBox(p);
         }},
        {"Open",
         [](QPainter& p) {
             p.setPen(QPen(QColor(150, 110, 20), 1.5));
             p.setBrush(QColor(230, 185, 60));
             p.drawRect(QRectF(3, 8, 24, 19));
             p.drawRect(QRectF(3, 5, 10, 4));
             QPainterPath flap;
             flap.moveTo(7, 13);
             flap.lineTo(30, 13);
             flap.lineTo(26, 27);
             flap.lineTo(3, 27);
             flap.closeSubpath();
             p.setBrush(QColor(250, 215, 100));
             p.drawPath(flap);
         }},
        {"Save",
         [](QPainter& p) {
             p.setPen(QPen(QColor(30, 50, 110), 1.5));
             p.setBrush(QColor(60, 90, 180));
             p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
             p.setBrush(Qt::white);
             p.drawRect(QRectF(8, 4, 16, 10));
             p.setBrush(QColor(200, 200, 210));
             p.drawRect(QRectF(10, 19, 12, 9));
             p.setBrush(QColor(60, 90, 180));
             p.drawRect(QRectF(18, 6, 3, 6));
         }},
        {"Copy",
         [](QPainter& p) {
             page(p, QRectF(4, 3, 16, 20));
             page(p, QRectF(12, 9, 16, 20));
         }},
        {"Paste",
         [](QPainter& p) {
             p.setPen(QPen(QColor(110, 70, 20), 1.5));
             p.setBrush(QColor(190, 140, 70));
             p.drawRoundedRect(QRectF(4, 5, 20, 24), 2, 2);
             p.setBrush(QColor(170, 170, 170));
             p.drawRoundedRect(QRectF(9, 2, 10, 6), 1.5, 1.5);
             page(p, QRectF(13, 12, 16, 18));
         }},
        {"Insert",
         [](QPainter& p) {
             page(p, QRectF(4, 3, 18, 24));
             p.setPen(QPen(QColor(30, 120, 40), 1.2));
             p.setBrush(QColor(60, 170, 70));
             p.drawEllipse(QPointF(23, 23), 7.5, 7.5);
             p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::FlatCap));
             p.drawLine(QPointF(23, 18.5), QPointF(23, 27.5));
             p.drawLine(QPointF(18.5, 23), QPointF(27.5, 23));
         }},
        {"Delete",
         [](QPainter& p) {
             p.setPen(QPen(QColor(200, 40, 40), 6, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(8, 8), QPointF(24, 24));
             p.drawLine(QPointF(24, 8), QPointF(8, 24));
         }},
        {"Order",
         [](QPainter& p) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(70, 70, 90));
             for (int i = 0; i < 4; ++i)
                 p.drawRect(QRectF(3, 5 + i * 6.5, 8 + i * 4.5, 4));
             verticalArrow(p, QColor(230, 140, 30), false);
         }},
        {"Survey",
         [](QPainter& p) {
             // Level bars falling with frequency under their tilt line.
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(48, 110, 200));
             for (int i = 0; i < 5; ++i)
                 p.drawRect(QRectF(3 + i * 5.5, 8 + i * 3, 4, 22 - i * 3));
             p.setPen(QPen(QColor(215, 40, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(3, 5), QPointF(29, 19));
             p.setPen(QPen(outline, 1.5));
             p.drawLine(QPointF(2, 30.5), QPointF(30, 30.5));
         }},
        {"Meter",
         [](QPainter& p) {
             // The hand-held meter: its case, screen with a level trace, and keys.
             p.setPen(QPen(outline, 1.5));
             p.setBrush(QColor(235, 200, 60));
             p.drawRoundedRect(QRectF(7, 2, 18, 28), 3, 3);
             p.setBrush(QColor(30, 60, 45));
             p.drawRect(QRectF(10, 5, 12, 10));
             p.setPen(QPen(QColor(90, 230, 120), 1.5));
             p.drawPolyline(
                 QPolygonF({QPointF(11, 13), QPointF(14, 9), QPointF(17, 11), QPointF(21, 7)}));
             p.setPen(Qt::NoPen);
             p.setBrush(outline);
             for (int row = 0; row < 3; ++row)
                 for (int col = 0; col < 3; ++col)
                     p.drawEllipse(QPointF(11.5 + col * 4.5, 19 + row * 3.8), 1.3, 1.3);
         }},
    };
    return all;
}

} // namespace

QIcon toolbarIcon(const QString& key) {
    const auto it = painters().find(key);
    return it == painters().end() ? QIcon() : drawn(it->second);
}

} // namespace plandex
