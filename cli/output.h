// Standard output as a script relies on it: a line that cannot be written ends
// the program (OutputLost, exit 9) instead of going unnoticed.
#pragma once

#include <string>

namespace sondrel::cli {

// Writes the line and a newline, flushed at once (a caller may be waiting for
// it); throws OutputLost when it cannot be written.
void printLineNow(const std::string& line);
// Throws OutputLost when nobody reads standard output any more (a pipe whose
// reader has gone), so that nothing more is sent to the meter for it.
void checkOutputReader();
// Flushes what is buffered; throws OutputLost when it cannot be written.
void finishOutput();

} // namespace sondrel::cli
