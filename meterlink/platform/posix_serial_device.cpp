// SerialDevice over POSIX termios. Works on real UARTs, USB adapters and
// pseudo-terminals alike; ioctls that only real hardware supports are tried and
// their failure ignored.
#include "serial_device.h"

#include <asm/termbits.h> // termios2 / BOTHER for rates such as 56000
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace sondrel {
namespace {

std::string errnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

class PosixSerialDevice final : public SerialDevice {
  public:
    ~PosixSerialDevice() override { close(); }

    void open(const std::string& path, const LineSettings& settings) override {
        close();
        int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) throw SerialError(errnoText("cannot open " + path));
        // Exclusive use: a second program must not interleave its frames with ours.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            throw SerialError("serial port " + path + " is in use by another program");
        }
        ::ioctl(fd, TIOCEXCL);
        fd_ = fd;
        try {
            applySettings(settings);
        } catch (...) {
            close();
            throw;
        }
        requestLowLatency();
        discardInput();
    }

    void close() override {
        if (fd_ >= 0) {
            ::ioctl(fd_, TIOCNXCL);
            ::close(fd_);
            fd_ = -1;
        }
    }

    bool isOpen() const override { return fd_ >= 0; }

    void applySettings(const LineSettings& s) override {
        requireOpen();
        struct termios2 tio {};
        if (::ioctl(fd_, TCGETS2, &tio) != 0)
            throw SerialError(errnoText("cannot read line settings"));
        // Raw mode, as cfmakeraw does.
        tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
        tio.c_oflag &= ~OPOST;
        tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
        tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CBAUD | (CBAUD << IBSHIFT));
        tio.c_cflag |= CREAD | CLOCAL;
        switch (s.dataBits) {
        case 5:
            tio.c_cflag |= CS5;
            break;
        case 6:
            tio.c_cflag |= CS6;
            break;
        case 7:
            tio.c_cflag |= CS7;
            break;
        default:
            tio.c_cflag |= CS8;
            break;
        }
        switch (s.parity) {
        case Parity::None:
            break;
        case Parity::Odd:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case Parity::Even:
            tio.c_cflag |= PARENB;
            break;
        case Parity::Mark:
            tio.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case Parity::Space:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
        }
        if (s.stopBits == 2) tio.c_cflag |= CSTOPB;
        // Any rate, standard or not, through BOTHER.
        tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
        tio.c_ispeed = s.baud;
        tio.c_ospeed = s.baud;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        if (::ioctl(fd_, TCSETS2, &tio) != 0)
            throw SerialError(errnoText("cannot apply line settings"));
    }

    void write(std::span<const std::uint8_t> bytes) override {
        requireOpen();
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EAGAIN) {
                pollfd p{fd_, POLLOUT, 0};
                if (::poll(&p, 1, 1000) <= 0) throw SerialError("serial port does not accept data");
                if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) failed("serial port hung up");
            } else if (n < 0 && errno != EINTR) {
                failed(errnoText("cannot write to serial port"));
            }
        }
    }

    std::size_t readAvailable(std::span<std::uint8_t> into) override {
        requireOpen();
        ssize_t n = ::read(fd_, into.data(), into.size());
        if (n > 0) return static_cast<std::size_t>(n);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
        // In raw mode an empty read is also what a quiet line gives; only a
        // hang-up (an unplugged adapter) makes it final. EIO is the other end
        // of a pseudo-terminal gone. Nothing more will come through either.
        if ((n == 0 && hungUp()) || (n < 0 && errno == EIO)) {
            close();
            return 0;
        }
        if (n == 0) return 0;
        failed(errnoText("cannot read from serial port"));
    }

    bool waitReadable(std::chrono::milliseconds timeout) override {
        requireOpen();
        pollfd p{fd_, POLLIN, 0};
        int rc = ::poll(&p, 1, static_cast<int>(timeout.count()));
        // Input still there after a hang-up is read first; the read then sees the hang-up.
        if (rc > 0 && (p.revents & POLLIN)) return true;
        if (rc > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) close();
        return false;
    }

    void discardInput() override {
        if (fd_ >= 0) ::ioctl(fd_, TCFLSH, TCIFLUSH);
    }

  private:
    void requireOpen() const {
        if (fd_ < 0) throw SerialError("serial port is not open");
    }

    bool hungUp() const {
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
    }

    // A device that failed is closed, so the next exchange opens it afresh.
    [[noreturn]] void failed(const std::string& what) {
        close();
        throw SerialError(what);
    }

    // USB adapters (FTDI and others) hold bytes back for up to 16 ms unless asked
    // not to; ports without the ioctl (pseudo-terminals) simply refuse.
    void requestLowLatency() {
        serial_struct ss{};
        if (::ioctl(fd_, TIOCGSERIAL, &ss) == 0) {
            ss.flags |= ASYNC_LOW_LATENCY;
            ::ioctl(fd_, TIOCSSERIAL, &ss);
        }
    }

    int fd_ = -1;
};

} // namespace

std::unique_ptr<SerialDevice> makePlatformSerialDevice() {
    return std::make_unique<PosixSerialDevice>();
}

} // namespace sondrel
