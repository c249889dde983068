#include "toolbar.h"

#include "toolbar_icons.h"

#include <QAction>

namespace plandex {

Toolbar::Toolbar(QWidget* parent) : QToolBar(parent) {
    setObjectName("ToolKv");
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(QSize(16, 16));
    // Icon and caption must fit the toolbar's fixed height.
    setContentsMargins(0, 0, 0, 0);
    setStyleSheet(QStringLiteral("QToolBar { border: none; padding: 0px; spacing: 1px; }"
                                 "QToolButton { padding: 0px 3px; margin: 0px; }"));
    for (std::size_t i = 0; i < ToolbarKeys.size(); ++i) {
        const QString key = QString::fromLatin1(ToolbarKeys[i]);
        QAction* action = addAction(toolbarIcon(key), key);
        action->setObjectName(key);
        connect(action, &QAction::triggered, this, [this, key] { emit buttonClick(key); });
        buttons_[i] = action;
    }
}

QAction* Toolbar::button(int index) const {
    return buttons_.at(static_cast<std::size_t>(index - 1));
}

void Toolbar::setButtonEnabled(int index, bool enabled) {
    button(index)->setEnabled(enabled);
}

bool Toolbar::isButtonEnabled(int index) const {
    return button(index)->isEnabled();
}

} // namespace plandex
