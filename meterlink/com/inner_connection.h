// The library's own connection object, which the COM object wraps. Kept apart
// from the Windows headers, whose macros would rename some of its members.
#pragma once

#include "korvane_interface.h"

namespace sondrel::com {

// A new connection with one reference.
sondrel::_KorvaneConnection* createInnerConnection();
// Connections alive in the process.
long liveInnerConnections();

} // namespace sondrel::com
