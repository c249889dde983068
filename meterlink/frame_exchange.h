// The routines through which every member reaches the wire: SendFrame builds
// and writes one frame; Exchange sends and waits for a checked reply of known
// length; ExchangeWithRetry repeats on a bad checksum; SendAndWait gives the
// meter time to answer without reading the answer; SendAndWaitForAnswer and
// SendAndRead wait the same way for the answer and look at its frame.
//
// Every routine that reads finds the reply to its own command among what came
// (findReply): stray bytes, an adapter's echo of the frame sent and a late
// reply to an earlier command are skipped, and the wait goes on until the
// reply came whole or the wait's limit passed. A failure is recorded for the
// caller (last_failure.h): no answer, or bytes that were not the reply.
#pragma once

#include "frame.h"
#include "reply_search.h"
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

    // 1 when the reply of n bytes to the command came and its last byte is
    // the checksum of the bytes before it; else 0. reply receives the reply,
    // from its first byte on, whenever one came whole (with a bad checksum too).
    std::int16_t Exchange(std::uint8_t n, std::span<const std::uint8_t> commandBuffer,
                          Reply& reply);

    // 1 with the reply and timedOut = 0 on a good reply (the plain sum is accepted
    // as well as the checksum, but for the last attempt); 0 after the eleventh
    // bad reply; nullopt (empty) with timedOut = 1 when the port fails or no
    // whole reply comes. The input is cleared before every frame sent.
    std::optional<std::int16_t> ExchangeWithRetry(std::uint8_t n,
                                                  std::span<const std::uint8_t> commandBuffer,
                                                  Reply& reply, std::int16_t& timedOut);

    // 1 when the frame was written (the reply stays buffered, unread); 0 when not.
    std::int16_t SendAndWait(std::uint8_t n, std::span<const std::uint8_t> commandBuffer);

    // SendAndWait for a packet of a transfer: 1 only when the frame was written
    // and the meter's answer of n bytes to the command came within the wait.
    // Its checksum is not tested, but a meter that said nothing (or a cable
    // that only echoes) has not taken the packet.
    std::int16_t SendAndWaitForAnswer(std::uint8_t n, std::span<const std::uint8_t> commandBuffer);

    // SendAndWait for a reply the member decodes without a checksum test: 1
    // when the reply of n bytes to the command came within the wait, handed
    // back in reply. With the checksum-only check, reply receives whatever
    // came, whole or not.
    std::int16_t SendAndRead(std::uint8_t n, std::span<const std::uint8_t> commandBuffer,
                             Reply& reply);

    SerialLink& link() { return link_; }

  private:
    void ensureOpen();
    // Clears the input and sends the frame (no pause).
    void clearAndSend(std::span<const std::uint8_t> commandBuffer);
    // Collects what comes until the expected reply came whole or the deadline passed.
    ReplySearch awaitReply(const ExpectedReply& expected, SerialLink::Clock::time_point deadline,
                           ReplyCheck mode, Bytes& received);
    // A routine that waits for an answer of n bytes to the command and hands it back.
    std::int16_t sendAndAwait(std::uint8_t n, std::span<const std::uint8_t> commandBuffer,
                              Reply* reply);

    SerialLink& link_;
    ExchangeTiming timing_;
};

} // namespace sondrel
