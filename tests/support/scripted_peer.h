// A peer on a real pseudo-terminal, registered as a COM port, that answers
// every frame the library sends with bytes the test scripts: an echo of the
// frame (a cable with TX bridged to RX), stray bytes before a reply, a late
// reply to another command, a reply rotated by a few bytes.
#pragma once

#include "frame.h"
#include "pty_endpoint.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvane::testing {

inline constexpr std::uint8_t FrameHead[] = {sondrel::FrameStart0, sondrel::FrameStart1,
                                             sondrel::FrameStart2};

class ScriptedPeer {
  public:
    // Given the frame received, the bytes to send back at once (maybe none).
    using Script = std::function<sondrel::Bytes(const sondrel::Bytes& frame)>;

    ScriptedPeer(int comNumber, const std::string& portsFolder, Script script);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // Frames received so far, in order.
    std::vector<sondrel::Bytes> frames() const;

  private:
    void run();

    sim::PtyEndpoint pty_;
    Script script_;
    std::string portEntry_;
    mutable std::mutex mutex_;
    std::vector<sondrel::Bytes> frames_;
    std::atomic<bool> running_{true};
    std::thread thread_;
};

// The reply a meter gives: 55 AA 01, length, command, data, checksum.
sondrel::Bytes replyFrame(std::uint8_t command, std::size_t length,
                          std::span<const std::uint8_t> data = {});

// The bytes rotated left by `by`: every rotation of a frame keeps its sum.
sondrel::Bytes rotated(sondrel::Bytes bytes, std::size_t by);

} // namespace korvane::testing
