// The serial control: the operations the library needs of a serial port, named
// after the control's properties (port number, input buffer size and count,
// read-everything input length, open state, line settings text, output, input,
// binary input mode). Input is collected into the control's own buffer, as the
// control does, so a wait can ask how many bytes have arrived.
#pragma once

#include "frame.h"
#include "platform/serial_device.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace sondrel {

class SerialLink {
  public:
    using Clock = std::chrono::steady_clock;

    explicit SerialLink(std::unique_ptr<SerialDevice> device = makePlatformSerialDevice());

    // CommPort: the port number opened by the next PortOpen = true.
    void setCommPort(std::int16_t number) { commPort_ = number; }
    std::int16_t commPort() const { return commPort_; }

    // InBufferSize: bytes kept at most; what arrives beyond it is dropped.
    void setInBufferSize(std::size_t size) { inBufferSize_ = size; }
    std::size_t inBufferSize() const { return inBufferSize_; }

    // InBufferCount: bytes buffered now; clearInBuffer is InBufferCount = 0.
    std::size_t inBufferCount();
    void clearInBuffer();

    // InputLen: how many bytes one read takes; 0 means everything buffered.
    void setInputLen(std::size_t length) { inputLen_ = length; }

    // InputMode: 1 binary (the only mode this control offers).
    void setInputMode(int mode) { inputMode_ = mode; }
    int inputMode() const { return inputMode_; }

    // PortOpen: opening resolves the port number to its device (PortRegistry);
    // throws SerialError when there is none or it cannot be opened.
    void setPortOpen(bool open);
    bool portOpen() const { return device_->isOpen(); }

    // Settings: "baud,parity,data bits,stop bits", for example "9600,n,8,1".
    // Applied at once to an open port. Throws std::invalid_argument on bad text.
    void setSettings(const std::string& text);
    std::string settings() const { return settingsText_; }

    // Output: writes the bytes as one block.
    void output(std::span<const std::uint8_t> bytes);
    // Input: takes InputLen bytes (all, when 0) out of the buffer.
    Bytes input();

    // Blocks until at least count bytes are buffered or the deadline passes.
    // Sleeps in the port's wait, so it costs no processor time while waiting.
    bool waitForInput(std::size_t count, Clock::time_point deadline);

    // Held by a call of any object that drives this control, so that calls
    // from several threads take turns on the line.
    std::recursive_mutex& callLock() { return callLock_; }

  private:
    void pump();

    std::unique_ptr<SerialDevice> device_;
    std::int16_t commPort_ = 0;
    std::size_t inBufferSize_ = 1024;
    std::size_t inputLen_ = 0;
    int inputMode_ = 0;
    std::string settingsText_ = "9600,n,8,1";
    LineSettings line_;
    Bytes buffer_;
    std::recursive_mutex callLock_;
};

// Parses a line settings text such as "9600,n,8,1".
LineSettings parseLineSettings(const std::string& text);

} // namespace sondrel
