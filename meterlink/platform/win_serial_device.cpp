// SerialDevice over the Win32 communications API. Ports are opened exclusively
// by their device name (\\.\COMn), set up with SetCommState and read with
// total timeouts: a wait is one ReadFile of a single byte that returns when the
// byte arrives or the time is up, so waiting costs no processor time.
// WaitCommEvent is not used (it spins on some drivers, Wine's pseudo-terminal
// among them), nor are the modem lines, which some ports refuse.
#include "serial_device.h"

#include "last_failure.h"

#include <windows.h>

#include <vector>

namespace sondrel {
namespace {

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string systemErrorText(const std::string& what, DWORD code) {
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, text, sizeof text, nullptr);
    std::string message(text, n);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return what + ": " + (message.empty() ? "error " + std::to_string(code) : message);
}

// Records why the call fails and throws.
[[noreturn]] void refuse(FailureKind kind, const std::string& text) {
    recordFailure(kind, text);
    throw SerialError(text);
}

// The kind of failure a system error code means for a serial port.
FailureKind failureKindOf(DWORD code) {
    switch (code) {
    // Windows gives a port another program holds as access denied.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return FailureKind::InUse;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_REMOVED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_NOT_READY:
        return FailureKind::NoDevice;
    default:
        return FailureKind::Other;
    }
}

[[noreturn]] void systemFailed(const std::string& what, DWORD code) {
    const std::string text = systemErrorText(what, code);
    refuse(failureKindOf(code), failureKindOf(code) == FailureKind::InUse
                                    ? text + " (in use by another program)"
                                    : text);
}

BYTE parityCode(Parity parity) {
    switch (parity) {
    case Parity::None:
        return NOPARITY;
    case Parity::Odd:
        return ODDPARITY;
    case Parity::Even:
        return EVENPARITY;
    case Parity::Mark:
        return MARKPARITY;
    case Parity::Space:
        return SPACEPARITY;
    }
    return NOPARITY;
}

// How long a write may take before the port counts as refusing data.
constexpr DWORD WriteTimeoutMs = 1000;

class WinSerialDevice final : public SerialDevice {
  public:
    ~WinSerialDevice() override { close(); }

    void open(const std::string& path, const LineSettings& settings) override {
        close();
        // Share mode 0: no other program may open the port while we hold it.
        HANDLE handle = CreateFileW(widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) systemFailed("cannot open " + path, GetLastError());
        handle_ = handle;
        // Kept to give the port back as it was found.
        original_ = DCB{};
        original_.DCBlength = sizeof original_;
        hasOriginal_ = GetCommState(handle_, &original_) != 0;
        try {
            applySettings(settings);
        } catch (...) {
            close();
            throw;
        }
        readTimeout_ = NoTimeoutSet;
        discardInput();
    }

    void close() override {
        if (handle_ != INVALID_HANDLE_VALUE) {
            if (hasOriginal_) SetCommState(handle_, &original_);
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
        pending_.clear();
    }

    bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

    void applySettings(const LineSettings& s) override {
        requireOpen();
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(handle_, &dcb)) systemFailed("cannot read line settings", GetLastError());
        dcb.BaudRate = s.baud;
        dcb.ByteSize = static_cast<BYTE>(s.dataBits);
        dcb.Parity = parityCode(s.parity);
        dcb.fParity = s.parity != Parity::None;
        dcb.StopBits = s.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
        // Raw binary bytes: no flow control of either kind, no byte replaced or
        // dropped, whatever another program left on the port.
        dcb.fBinary = TRUE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        if (!SetCommState(handle_, &dcb))
            systemFailed("cannot apply line settings", GetLastError());
    }

    void write(std::span<const std::uint8_t> bytes) override {
        requireOpen();
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD written = 0;
            if (!WriteFile(handle_, bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                           &written, nullptr))
                systemFailed("cannot write to serial port", GetLastError());
            if (written == 0) refuse(FailureKind::Other, "serial port does not accept data");
            done += written;
        }
    }

    std::size_t readAvailable(std::span<std::uint8_t> into) override {
        requireOpen();
        std::size_t n = 0;
        while (n < into.size() && !pending_.empty()) {
            into[n++] = pending_.front();
            pending_.erase(pending_.begin());
        }
        if (n == into.size()) return n;
        // Interval MAXDWORD with no totals: take what is buffered and return at once.
        setReadTimeout(ImmediateRead);
        DWORD got = 0;
        if (!ReadFile(handle_, into.data() + n, static_cast<DWORD>(into.size() - n), &got, nullptr))
            systemFailed("cannot read from serial port", GetLastError());
        return n + got;
    }

    bool waitReadable(std::chrono::milliseconds timeout) override {
        requireOpen();
        if (!pending_.empty()) return true;
        // Total timeout only (0/0/T): the read of one byte returns as soon as it
        // arrives, or after T. The byte is kept for the next readAvailable.
        const DWORD ms = timeout.count() <= 0 ? 1 : static_cast<DWORD>(timeout.count());
        setReadTimeout(ms);
        std::uint8_t byte = 0;
        DWORD got = 0;
        if (!ReadFile(handle_, &byte, 1, &got, nullptr)) {
            // A port that fails its reads (unplugged adapter) must not be polled
            // in a tight loop: sit out the wait as a silent line would.
            const DWORD code = GetLastError();
            recordFailure(failureKindOf(code),
                          systemErrorText("cannot read from serial port", code));
            Sleep(ms);
            return false;
        }
        if (got == 0) return false;
        pending_.push_back(byte);
        return true;
    }

    void discardInput() override {
        pending_.clear();
        if (isOpen()) PurgeComm(handle_, PURGE_RXCLEAR | PURGE_RXABORT);
    }

  private:
    static constexpr DWORD ImmediateRead = 0;
    static constexpr DWORD NoTimeoutSet = MAXDWORD;

    void requireOpen() const {
        if (!isOpen()) refuse(FailureKind::NoDevice, "serial port is not open");
    }

    // totalMs 0: return at once with what is there; otherwise wait up to totalMs.
    void setReadTimeout(DWORD totalMs) {
        if (readTimeout_ == totalMs) return;
        COMMTIMEOUTS t{};
        if (totalMs == ImmediateRead) {
            t.ReadIntervalTimeout = MAXDWORD;
        } else {
            t.ReadTotalTimeoutConstant = totalMs;
        }
        t.WriteTotalTimeoutConstant = WriteTimeoutMs;
        if (!SetCommTimeouts(handle_, &t))
            systemFailed("cannot set serial timeouts", GetLastError());
        readTimeout_ = totalMs;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD readTimeout_ = NoTimeoutSet;
    std::vector<std::uint8_t> pending_;
    DCB original_{};
    bool hasOriginal_ = false;
};

} // namespace

std::unique_ptr<SerialDevice> makePlatformSerialDevice() {
    return std::make_unique<WinSerialDevice>();
}

} // namespace sondrel
