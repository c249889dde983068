#include "line_speed.h"

#include <asm/termbits.h> // termios2: rates beyond the B* constants
#include <sys/ioctl.h>

namespace korvane::sim {

std::optional<unsigned> terminalSpeed(int fd) {
    struct termios2 tio {};
    if (fd < 0 || ::ioctl(fd, TCGETS2, &tio) != 0) return std::nullopt;
    return tio.c_ospeed;
}

} // namespace korvane::sim
