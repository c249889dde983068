// The four routines through which every member reaches the wire: SendFrame
// builds and writes one frame; Exchange sends and checks a reply of known
// length; ExchangeWithRetry repeats on a bad checksum; SendAndWait gives the
// meter time to answer without reading the answer.
#pragma once

#include "frame.h"
#include "serial_link.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

namespace sondrel {

struct ExchangeTiming {
    // Pause between clearing the input and sending, in Exchange.
    std::chrono::milliseconds pauseBeforeSend{400};
    // Longest wait for a reply in Exchange and SendAndWait (the protocol asks for 1-2 s).
    std::chrono::milliseconds replyWait{1500};
    // Longest wait for a reply in ExchangeWithRetry (the protocol asks for 3-4 s).
    std::chrono::milliseconds retryReplyWait{3500};
};

// Sends at most this many frames in ExchangeWithRetry.
inline constexpr int MaxRetryAttempts = 11;

class FrameExchange {
  public:
    explicit FrameExchange(SerialLink& link, ExchangeTiming timing = {});

    // Opens a closed port, builds the frame of the command buffer and writes it.
    // Throws SerialError (port) or std::invalid_argument (buffer).
    void SendFrame(std::span<const std::uint8_t> commandBuffer);

    // 1 when at least n bytes arrived and byte n-1 is the checksum of bytes 0..n-2;
    // else 0. reply receives the bytes whenever at least n arrived.
    std::int16_t Exchange(std::uint8_t n, std::span<const std::uint8_t> commandBuffer,
                          Reply& reply);

    // 1 with the reply and timedOut = 0 on a good reply (the plain sum is accepted
    // as well as the checksum); 0 after the eleventh bad reply; nullopt (empty)
    // with timedOut = 1 when the port fails or no full reply arrives.
    std::optional<std::int16_t> ExchangeWithRetry(std::uint8_t n,
                                                  std::span<const std::uint8_t> commandBuffer,
                                                  Reply& reply, std::int16_t& timedOut);

    // 1 when the frame was written (the reply stays buffered, unread); 0 when not.
    std::int16_t SendAndWait(std::uint8_t n, std::span<const std::uint8_t> commandBuffer);

    // SendAndWait for a packet of a transfer: 1 only when the frame was written
    // and at least n bytes came back within the wait. The answer is neither
    // read nor checked, but a meter that said nothing has not taken the packet.
    std::int16_t SendAndWaitForAnswer(std::uint8_t n, std::span<const std::uint8_t> commandBuffer);

    SerialLink& link() { return link_; }

  private:
    void ensureOpen();
    // Whether n bytes arrived after the frame went out; nullopt when it could not be written.
    std::optional<bool> sendAndWait(std::uint8_t n, std::span<const std::uint8_t> commandBuffer);

    SerialLink& link_;
    ExchangeTiming timing_;
};

} // namespace sondrel
