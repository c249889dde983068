// A bare pseudo-terminal pair for tests that need a device without a meter
// behind it: the test keeps the slave open (so the device stays), and may
// close the master to make the device go away.
#pragma once

#include <pty.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace korvane::testing {

struct PseudoTerminal {
    int master = -1, slave = -1;
    std::string path; // the slave's device, for the library to open

    PseudoTerminal() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        path = name;
    }
    ~PseudoTerminal() {
        ::close(slave);
        if (master >= 0) ::close(master);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    termios settings() const {
        termios t{};
        tcgetattr(slave, &t);
        return t;
    }
};

} // namespace korvane::testing
