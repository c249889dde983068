// No system message queue on POSIX systems: a client's own hook does the work.
#include "message_pump.h"

namespace sondrel {

void processPendingMessages() {}

} // namespace sondrel
