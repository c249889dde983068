// SerialDevice over POSIX termios. Works on real UARTs, USB adapters and
// pseudo-terminals alike; ioctls that only real hardware supports are tried and
// their failure ignored.
#include "serial_device.h"

#include "last_failure.h"

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

std::string errnoText(const std::string& what, int code = errno) {
    return what + ": " + std::strerror(code);
}

// Records why the call fails and throws.
[[noreturn]] void refuse(FailureKind kind, const std::string& text) {
    recordFailure(kind, text);
    throw SerialError(text);
}

// Records why the device could not be opened, in words that say what to do.
[[noreturn]] void openFailed(const std::string& path, int code) {
    const std::string text = errnoText("cannot open " + path, code);
    switch (code) {
    case EACCES:
    case EPERM:
        refuse(FailureKind::Permission,
               text + "; serial devices are open to members of the group dialout: add the user "
                      "to it (sudo usermod -aG dialout $USER), then log out and in again");
    case EBUSY:
        refuse(FailureKind::InUse, "serial port " + path + " is in use by another program");
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO:
        refuse(FailureKind::NoDevice, text);
    default:
        refuse(FailureKind::Other, text);
    }
}

class PosixSerialDevice final : public SerialDevice {
  public:
    ~PosixSerialDevice() override { close(); }

    void open(const std::string& path, const LineSettings& settings) override {
        close();
        int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) openFailed(path, errno);
        // Exclusive use: a second program must not interleave its frames with
        // ours. TIOCEXCL turns away later opens, but not root's; the lock holds
        // against every program that locks as well.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            openFailed(path, EBUSY);
        }
        ::ioctl(fd, TIOCEXCL);
        // Kept to give the port back as it was found.
        original_ = {};
        hasOriginal_ = ::ioctl(fd, TCGETS2, &original_) == 0;
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
            if (hasOriginal_) ::ioctl(fd_, TCSETS2, &original_);
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
            refuse(FailureKind::Other, errnoText("cannot read line settings"));
        // Raw mode, as cfmakeraw does, and no flow control of either kind: the
        // meter uses neither, so RTS/CTS left on by another program stalls our
        // writes and XON/XOFF would take bytes 11 and 13 out of frames. No
        // hang-up on close either: the line stays as the meter expects it.
        tio.c_iflag &=
            ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
        tio.c_oflag &= ~OPOST;
        tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
        tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CBAUD | (CBAUD << IBSHIFT) |
                         CRTSCTS | HUPCL);
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
            refuse(FailureKind::Other, errnoText("cannot apply line settings"));
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
                if (::poll(&p, 1, 1000) <= 0)
                    refuse(FailureKind::Other, "serial port does not accept data");
                if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) wentAway();
            } else if (n < 0 && errno != EINTR) {
                const int code = errno;
                if (code == EIO || code == ENODEV || code == ENXIO) wentAway();
                failed(FailureKind::Other, errnoText("cannot write to serial port", code));
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
        if ((n == 0 && hungUp()) || (n < 0 && (errno == EIO || errno == ENODEV))) {
            recordHangUp();
            close();
            return 0;
        }
        if (n == 0) return 0;
        failed(FailureKind::Other, errnoText("cannot read from serial port"));
    }

    bool waitReadable(std::chrono::milliseconds timeout) override {
        requireOpen();
        pollfd p{fd_, POLLIN, 0};
        int rc = ::poll(&p, 1, static_cast<int>(timeout.count()));
        // Input still there after a hang-up is read first; the read then sees the hang-up.
        if (rc > 0 && (p.revents & POLLIN)) return true;
        if (rc > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            recordHangUp();
            close();
        }
        return false;
    }

    void discardInput() override {
        if (fd_ >= 0) ::ioctl(fd_, TCFLSH, TCIFLUSH);
    }

  private:
    void requireOpen() const {
        if (fd_ < 0) refuse(FailureKind::NoDevice, "serial port is not open");
    }

    static void recordHangUp() {
        recordFailure(FailureKind::NoDevice,
                      "the serial device went away (adapter unplugged or hung up)");
    }

    bool hungUp() const {
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
    }

    // A device that failed is closed, so the next exchange opens it afresh.
    [[noreturn]] void failed(FailureKind kind, const std::string& what) {
        close();
        refuse(kind, what);
    }

    [[noreturn]] void wentAway() {
        recordHangUp();
        close();
        throw SerialError("serial port hung up");
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
    struct termios2 original_ {};
    bool hasOriginal_ = false;
};

} // namespace

std::unique_ptr<SerialDevice> makePlatformSerialDevice() {
    return std::make_unique<PosixSerialDevice>();
}

} // namespace sondrel
