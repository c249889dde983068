#include "frame_exchange.h"

#include <exception>
#include <numeric>
#include <thread>

namespace sondrel {

FrameExchange::FrameExchange(SerialLink& link, ExchangeTiming timing)
    : link_(link), timing_(timing) {}

void FrameExchange::ensureOpen() {
    if (!link_.portOpen()) link_.setPortOpen(true);
}

void FrameExchange::SendFrame(std::span<const std::uint8_t> commandBuffer) {
    ensureOpen();
    link_.output(buildFrame(commandBuffer));
}

std::int16_t FrameExchange::Exchange(std::uint8_t n, std::span<const std::uint8_t> commandBuffer,
                                     Reply& reply) {
    try {
        ensureOpen();
        link_.clearInBuffer();
        std::this_thread::sleep_for(timing_.pauseBeforeSend);
        // A late reply to an earlier command may have come during the pause.
        link_.clearInBuffer();
        SendFrame(commandBuffer);
        link_.waitForInput(n, SerialLink::Clock::now() + timing_.replyWait);
        Bytes received = link_.input();
        if (n == 0 || received.size() < n) return 0;
        const bool good = checksumMatches(std::span(received).first(n));
        reply = Reply(std::move(received));
        return good ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

std::optional<std::int16_t>
FrameExchange::ExchangeWithRetry(std::uint8_t n, std::span<const std::uint8_t> commandBuffer,
                                 Reply& reply, std::int16_t& timedOut) {
    try {
        ensureOpen();
        for (int attempt = 1;; ++attempt) {
            link_.clearInBuffer();
            SendFrame(commandBuffer);
            if (n == 0 ||
                !link_.waitForInput(n, SerialLink::Clock::now() + timing_.retryReplyWait)) {
                timedOut = 1;
                return std::nullopt;
            }
            Bytes received = link_.input();
            const unsigned sum = std::accumulate(received.begin(), received.begin() + (n - 1), 0u);
            const unsigned complement = 256 - sum % 256; // 1..256
            const unsigned last = received[n - 1];
            // The last attempt takes only the true checksum; earlier ones also
            // take the plain sum (last + complement == 256), which some meters send.
            if (last != complement && attempt >= MaxRetryAttempts) return 0;
            if (last == complement || last + complement == 256) {
                reply = Reply(std::move(received));
                timedOut = 0;
                return 1;
            }
        }
    } catch (const std::exception&) {
        timedOut = 1;
        return std::nullopt;
    }
}

std::optional<bool> FrameExchange::sendAndWait(std::uint8_t n,
                                               std::span<const std::uint8_t> commandBuffer) {
    try {
        ensureOpen();
        link_.clearInBuffer();
        SendFrame(commandBuffer);
        return link_.waitForInput(n, SerialLink::Clock::now() + timing_.replyWait);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::int16_t FrameExchange::SendAndWait(std::uint8_t n,
                                        std::span<const std::uint8_t> commandBuffer) {
    return sendAndWait(n, commandBuffer) ? 1 : 0;
}

std::int16_t FrameExchange::SendAndWaitForAnswer(std::uint8_t n,
                                                 std::span<const std::uint8_t> commandBuffer) {
    return sendAndWait(n, commandBuffer).value_or(false) ? 1 : 0;
}

} // namespace sondrel
