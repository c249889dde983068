// The line speed a client has set on its end of the pseudo-terminal, read
// from the terminal's settings (any rate, 14400 and 56000 included).
#pragma once

#include <optional>

namespace korvane::sim {

// Output speed of the terminal open as fd; nullopt when it cannot be read.
std::optional<unsigned> terminalSpeed(int fd);

} // namespace korvane::sim
