// Every message the editor shows to the user goes through one MessageSink:
// the program shows modal message boxes, tests install a sink that records
// each message and answers it.
#pragma once

#include <QString>

namespace plandex {

// Icon and buttons of a message, by the style values the editor uses.
enum class MessageStyle {
    Exclamation = 48, // exclamation icon, OK: refusals, failures, some notices
    Information = 64, // information icon, OK: transfer outcomes
    Question = 36,    // question icon, Yes and No: confirmations
};

enum class MessageAnswer { Ok = 1, Yes = 6, No = 7 };

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual MessageAnswer show(const QString& prompt, const QString& title, MessageStyle style) = 0;
    // detail, when not empty, goes under the prompt: the reason given by the
    // part that failed. A sink without a place for it shows it below the prompt.
    virtual MessageAnswer show(const QString& prompt, const QString& title, MessageStyle style,
                               const QString& detail) {
        return show(detail.isEmpty() ? prompt : prompt + u'\n' + detail, title, style);
    }
};

// The sink in use; a modal Qt message box unless one was installed.
MessageSink& messageSink();
// Installs a sink (nullptr restores the Qt message boxes); returns the previous one.
MessageSink* installMessageSink(MessageSink* sink);

// Text id with the program title (text 2) as caption, the editor's usual message.
MessageAnswer ask(int textId, MessageStyle style, const QString& detail = {});
// A message with its own prompt, titled with text 2.
MessageAnswer tell(const QString& prompt, MessageStyle style, const QString& detail = {});

} // namespace plandex
