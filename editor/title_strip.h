// XPForm1: the strip across the top of a window that carries its title text
// and the small close button, where the windows' own frame used to be drawn.
#pragma once

#include <QWidget>

class QToolButton;

namespace plandex {

class TitleStrip : public QWidget {
    Q_OBJECT
  public:
    explicit TitleStrip(QWidget* window);

    // Sets the title shown in the strip and in the window's own frame.
    void setTitle(const QString& title);
    QString title() const { return title_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString title_;
};

// A small picture button with the close picture, placed on a title strip.
QToolButton* makeCloseButton(QWidget* parent);

} // namespace plandex
