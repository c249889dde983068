#include "frame_exchange.h"

#include "last_failure.h"

#include <cstdio>
#include <exception>
#include <thread>

namespace sondrel {
namespace {

using Status = ReplySearch::Status;

std::string commandText(std::uint8_t command) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", command);
    return text;
}

// Records why no acceptable reply came: too little (no answer), or bytes that
// were not the reply to the command, or a reply with a wrong checksum (a wrong
// answer).
void recordMissingReply(const ExpectedReply& expected, const ReplySearch& found,
                        std::span<const std::uint8_t> received) {
    const std::string command = commandText(expected.command);
    const std::string length = std::to_string(expected.length);
    switch (found.status) {
    case Status::Accepted:
        return;
    case Status::BadChecksum:
        recordFailure(FailureKind::WrongAnswer,
                      "the meter's reply to command " + command + " has a wrong checksum (" +
                          describeBytes(received.subspan(found.offset, expected.length)) + ")");
        return;
    case Status::Incomplete:
        // As many bytes as the reply has came, but not the reply: a wrong answer.
        if (received.size() >= expected.length) break;
        recordFailure(FailureKind::NoAnswer,
                      "only " + std::to_string(received.size() - found.offset) + " of the " +
                          length + " bytes of the meter's reply to command " + command + " came");
        return;
    case Status::NotFound:
        break;
    }
    if (received.empty())
        recordFailure(FailureKind::NoAnswer, "no answer from the meter to command " + command);
    else
        recordFailure(FailureKind::WrongAnswer, "no reply of " + length + " bytes to command " +
                                                    command + " came, only " +
                                                    describeBytes(received));
}

void recordError(const std::exception& e) {
    recordFailure(FailureKind::Other, e.what());
}

Reply replyFrom(Bytes received, std::size_t offset) {
    received.erase(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(offset));
    return Reply(std::move(received));
}

} // namespace

FrameExchange::FrameExchange(SerialLink& link, ExchangeTiming timing)
    : link_(link), timing_(timing) {}

void FrameExchange::ensureOpen() {
    if (!link_.portOpen()) link_.setPortOpen(true);
}

void FrameExchange::SendFrame(std::span<const std::uint8_t> commandBuffer) {
    ensureOpen();
    link_.output(buildFrame(commandBuffer));
}

void FrameExchange::clearAndSend(std::span<const std::uint8_t> commandBuffer) {
    ensureOpen();
    link_.clearInBuffer();
    SendFrame(commandBuffer);
}

ReplySearch FrameExchange::awaitReply(const ExpectedReply& expected,
                                      SerialLink::Clock::time_point deadline, ReplyCheck mode,
                                      Bytes& received) {
    const auto collect = [&] {
        const Bytes more = link_.input();
        received.insert(received.end(), more.begin(), more.end());
        return findReply(received, expected, mode);
    };
    for (ReplySearch found = collect();; found = collect()) {
        if (found.status == Status::Accepted || found.status == Status::BadChecksum ||
            expected.length == 0)
            return found;
        // A reply that has begun needs its remaining bytes; otherwise a whole one must come.
        const std::size_t wanted = found.status == Status::Incomplete
                                       ? found.offset + expected.length
                                       : received.size() + expected.length;
        if (!link_.waitForInput(wanted - received.size(), deadline)) return collect();
    }
}

std::int16_t FrameExchange::Exchange(std::uint8_t n, std::span<const std::uint8_t> commandBuffer,
                                     Reply& reply) {
    try {
        const ReplyCheck mode = replyCheckMode();
        ensureOpen();
        link_.clearInBuffer();
        std::this_thread::sleep_for(timing_.pauseBeforeSend);
        // A late reply to an earlier command may have come during the pause.
        link_.clearInBuffer();
        SendFrame(commandBuffer);
        const ExpectedReply expected{commandBuffer[1], n, ChecksumRule::Checksum};
        Bytes received;
        const ReplySearch found =
            awaitReply(expected, SerialLink::Clock::now() + timing_.replyWait, mode, received);
        recordMissingReply(expected, found, received);
        if (found.status != Status::Accepted && found.status != Status::BadChecksum) return 0;
        reply = replyFrom(std::move(received), found.offset);
        return found.status == Status::Accepted ? 1 : 0;
    } catch (const std::exception& e) {
        recordError(e);
        return 0;
    }
}

std::optional<std::int16_t>
FrameExchange::ExchangeWithRetry(std::uint8_t n, std::span<const std::uint8_t> commandBuffer,
                                 Reply& reply, std::int16_t& timedOut) {
    try {
        const ReplyCheck mode = replyCheckMode();
        ensureOpen();
        for (int attempt = 1;; ++attempt) {
            clearAndSend(commandBuffer);
            // The last attempt takes only the true checksum; earlier ones also
            // take the plain sum, which some meters send.
            const ExpectedReply expected{commandBuffer[1], n,
                                         attempt >= MaxRetryAttempts
                                             ? ChecksumRule::Complement
                                             : ChecksumRule::ChecksumOrPlainSum};
            Bytes received;
            const ReplySearch found = awaitReply(
                expected, SerialLink::Clock::now() + timing_.retryReplyWait, mode, received);
            if (found.status == Status::Accepted) {
                reply = replyFrom(std::move(received), found.offset);
                timedOut = 0;
                return 1;
            }
            if (found.status != Status::BadChecksum || n == 0) {
                recordMissingReply(expected, found, received);
                timedOut = 1;
                return std::nullopt;
            }
            if (attempt >= MaxRetryAttempts) {
                recordMissingReply(expected, found, received);
                return 0;
            }
        }
    } catch (const std::exception& e) {
        recordError(e);
        timedOut = 1;
        return std::nullopt;
    }
}

std::int16_t FrameExchange::SendAndWait(std::uint8_t n,
                                        std::span<const std::uint8_t> commandBuffer) {
    try {
        clearAndSend(commandBuffer);
        link_.waitForInput(n, SerialLink::Clock::now() + timing_.replyWait);
        return 1;
    } catch (const std::exception& e) {
        recordError(e);
        return 0;
    }
}

std::int16_t FrameExchange::sendAndAwait(std::uint8_t n,
                                         std::span<const std::uint8_t> commandBuffer,
                                         Reply* reply) {
    try {
        const ReplyCheck mode = replyCheckMode();
        clearAndSend(commandBuffer);
        const ExpectedReply expected{commandBuffer[1], n, ChecksumRule::None};
        Bytes received;
        const ReplySearch found =
            awaitReply(expected, SerialLink::Clock::now() + timing_.replyWait, mode, received);
        recordMissingReply(expected, found, received);
        const bool whole = found.status == Status::Accepted;
        if (reply && (whole || mode == ReplyCheck::ChecksumOnly))
            *reply = replyFrom(std::move(received), whole ? found.offset : 0);
        return whole ? 1 : 0;
    } catch (const std::exception& e) {
        recordError(e);
        return 0;
    }
}

std::int16_t FrameExchange::SendAndWaitForAnswer(std::uint8_t n,
                                                 std::span<const std::uint8_t> commandBuffer) {
    return sendAndAwait(n, commandBuffer, nullptr);
}

std::int16_t FrameExchange::SendAndRead(std::uint8_t n, std::span<const std::uint8_t> commandBuffer,
                                        Reply& reply) {
    return sendAndAwait(n, commandBuffer, &reply);
}

} // namespace sondrel
