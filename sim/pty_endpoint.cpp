#include "pty_endpoint.h"

#include "line_speed.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace korvane::sim {

PtyEndpoint::PtyEndpoint() {
    openPair();
}

PtyEndpoint::~PtyEndpoint() {
    closeLine();
    if (slave_ >= 0) ::close(slave_);
}

void PtyEndpoint::openPair() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error(std::string("cannot open a pseudo-terminal: ") +
                                 std::strerror(errno));
    for (int fd : {master_, slave_}) {
        termios tio{};
        ::tcgetattr(fd, &tio);
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B9600); // the meter's speed after power-up
        ::tcsetattr(fd, TCSANOW, &tio);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    devicePath_ = name;
}

std::optional<unsigned> PtyEndpoint::clientBaud() const {
    return terminalSpeed(slave_);
}

// Closing the master hangs up the client and removes the device node. The slave
// stays open so the pseudo-terminal keeps its number: released, the number
// goes to the next pseudo-terminal anyone opens, and a client reopening this
// line's path (a ports-folder entry still names it) would reach another meter.
void PtyEndpoint::closeLine() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

void PtyEndpoint::reopenLine() {
    if (master_ >= 0) return;
    if (slave_ >= 0) ::close(slave_);
    slave_ = -1;
    openPair();
}

std::vector<std::uint8_t> PtyEndpoint::read(std::chrono::milliseconds timeout) {
    std::vector<std::uint8_t> out;
    if (master_ < 0) {
        std::this_thread::sleep_for(timeout);
        return out;
    }
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return out;
    std::uint8_t chunk[512];
    while (true) {
        ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0) break;
        out.insert(out.end(), chunk, chunk + n);
    }
    if (out.empty() && (p.revents & (POLLHUP | POLLERR)))
        std::this_thread::sleep_for(timeout); // nobody attached; do not spin
    return out;
}

void PtyEndpoint::write(std::span<const std::uint8_t> bytes) {
    if (master_ < 0) return;
    const auto perByte = std::chrono::microseconds(10'000'000 / (baud_ ? baud_ : 9600));
    auto next = std::chrono::steady_clock::now();
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t chunk = pacing_ ? 1 : bytes.size() - done;
        if (pacing_) std::this_thread::sleep_until(next += perByte);
        ssize_t n = ::write(master_, bytes.data() + done, chunk);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{master_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return; // the line is gone; a meter would not notice either
        }
    }
}

} // namespace korvane::sim
