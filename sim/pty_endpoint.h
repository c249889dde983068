// The meter's end of the serial line: the master side of a pseudo-terminal
// whose slave side clients open as their serial port.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvane::sim {

class PtyEndpoint {
  public:
    PtyEndpoint();
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    // Path clients open, for example /dev/pts/3.
    const std::string& devicePath() const { return devicePath_; }

    // Waits up to timeout for bytes from the client and returns them (maybe none).
    std::vector<std::uint8_t> read(std::chrono::milliseconds timeout);
    // Sends bytes to the client. With pacing, at the time they take on a line of
    // the current baud rate (10 bits a byte); otherwise at once.
    void write(std::span<const std::uint8_t> bytes);

    void setPacing(bool on) { pacing_ = on; }
    void setBaud(unsigned baud) { baud_ = baud; }
    unsigned baud() const { return baud_; }
    // The speed the client has set on its end of the line (9600 until it sets one).
    std::optional<unsigned> clientBaud() const;

    // Hangs the line up: the client sees no more answers and its device path is
    // gone, yet no other pseudo-terminal gets that path while this one lives.
    void closeLine();
    // A fresh line after a hang-up, on a new device path.
    void reopenLine();
    bool lineOpen() const { return master_ >= 0; }

  private:
    void openPair();

    int master_ = -1;
    int slave_ = -1; // kept open so the master never reads EIO while no client is attached
    std::string devicePath_;
    bool pacing_ = false;
    unsigned baud_ = 9600;
};

} // namespace korvane::sim
