#include "title_strip.h"

#include "toolbar_icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QToolButton>

namespace plandex {

TitleStrip::TitleStrip(QWidget* window) : QWidget(window) {
    setObjectName("XPForm1");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TitleStrip::setTitle(const QString& title) {
    title_ = title;
    window()->setWindowTitle(title);
    update();
}

void TitleStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient shade(0, 0, 0, height());
    shade.setColorAt(0, QColor(70, 120, 200));
    shade.setColorAt(1, QColor(30, 70, 150));
    p.fillRect(rect(), shade);
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::white);
    p.drawText(rect().adjusted(height() / 3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, title_);
}

QToolButton* makeCloseButton(QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setIcon(closeIcon());
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace plandex
