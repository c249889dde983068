#include "messages.h"

#include "texts.h"

#include <QApplication>
#include <QMessageBox>

namespace plandex {
namespace {

class QtMessageSink final : public MessageSink {
  public:
    MessageAnswer show(const QString& prompt, const QString& title, MessageStyle style) override {
        return show(prompt, title, style, {});
    }
    MessageAnswer show(const QString& prompt, const QString& title, MessageStyle style,
                       const QString& detail) override {
        QMessageBox box(iconOf(style), title, prompt, QMessageBox::NoButton,
                        QApplication::activeWindow());
        box.setInformativeText(detail);
        if (style == MessageStyle::Question) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
        }
        const int pressed = box.exec();
        if (pressed == QMessageBox::Yes) return MessageAnswer::Yes;
        if (pressed == QMessageBox::No) return MessageAnswer::No;
        return MessageAnswer::Ok;
    }

  private:
    static QMessageBox::Icon iconOf(MessageStyle style) {
        switch (style) {
        case MessageStyle::Exclamation:
            return QMessageBox::Warning;
        case MessageStyle::Information:
            return QMessageBox::Information;
        case MessageStyle::Question:
            return QMessageBox::Question;
        }
        return QMessageBox::NoIcon;
    }
};

QtMessageSink qtSink;
MessageSink* currentSink = &qtSink;

} // namespace

MessageSink& messageSink() {
    return *currentSink;
}

MessageSink* installMessageSink(MessageSink* sink) {
    MessageSink* previous = currentSink;
    currentSink = sink ? sink : &qtSink;
    return previous;
}

MessageAnswer ask(int textId, MessageStyle style, const QString& detail) {
    return tell(Text(textId), style, detail);
}

MessageAnswer tell(const QString& prompt, MessageStyle style, const QString& detail) {
    return messageSink().show(prompt, Text(TextId::ProgramTitle), style, detail);
}

} // namespace plandex
