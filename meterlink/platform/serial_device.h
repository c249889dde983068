// The platform's serial port, reduced to what the serial control needs. One
// implementation per platform (POSIX termios here); nothing above this layer
// knows how a port is opened or configured.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

namespace sondrel {

class SerialError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class Parity { None, Odd, Even, Mark, Space };

struct LineSettings {
    unsigned baud = 9600;
    Parity parity = Parity::None;
    unsigned dataBits = 8;
    unsigned stopBits = 1;
    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// A device that hangs up (the adapter unplugged, the other end of a
// pseudo-terminal gone) or fails with an I/O error closes itself: isOpen()
// turns false, so the owner opens the port afresh for its next exchange.
class SerialDevice {
  public:
    virtual ~SerialDevice() = default;
    // Opens the device exclusively, raw, with the given line settings. Throws SerialError.
    virtual void open(const std::string& path, const LineSettings& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void applySettings(const LineSettings& settings) = 0;
    // Writes all bytes; throws SerialError when the device refuses them.
    virtual void write(std::span<const std::uint8_t> bytes) = 0;
    // Reads what is available now, without blocking; returns the count read
    // (0 also when the device hung up and closed itself).
    virtual std::size_t readAvailable(std::span<std::uint8_t> into) = 0;
    // Blocks until input is available or the timeout passes; true when input is
    // there. A hang-up closes the device and returns false at once.
    virtual bool waitReadable(std::chrono::milliseconds timeout) = 0;
    // Drops whatever the driver has received but nobody has read.
    virtual void discardInput() = 0;
};

std::unique_ptr<SerialDevice> makePlatformSerialDevice();

} // namespace sondrel
