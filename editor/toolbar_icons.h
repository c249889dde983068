// Toolbar pictures, drawn so that they show on any machine without an icon theme.
#pragma once

#include <QIcon>
#include <QString>

namespace plandex {

// The picture of the toolbar button with this key ("Upload", "Open", ...).
QIcon toolbarIcon(const QString& key);

} // namespace plandex
