// Helpers shared by the channel plan members (plan_protocol.cpp for reading and
// selecting plans, plan_protocol_send.cpp for sending them).
#pragma once

#include "common/plan_codec_numbers.h"
#include "last_failure.h"
#include "sondrel_types.h"
#include "yield_hook.h"

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace sondrel {

// Runs the body of a plan member: every error inside it becomes result 0, as
// these members report all failures through their result.
template <typename Body> std::int16_t trapped(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& e) {
        recordFailure(FailureKind::Other, e.what());
        return 0;
    }
}

// Tells the transfer observer that packet packetsDone went through; false,
// with the failure recorded as the caller's, when it asks to stop there.
inline bool transferContinues(int packetsDone, int packetsTotal) {
    if (transferGoesOn(packetsDone, packetsTotal)) return true;
    recordFailure(FailureKind::Cancelled, "the transfer was stopped after packet " +
                                              std::to_string(packetsDone) + " of " +
                                              std::to_string(packetsTotal));
    return false;
}

// The slot as the byte the packets carry; a slot number no byte can hold fails.
inline std::uint8_t slotByte(UserPlanNumber slot) {
    if (slot < 0 || slot > 255) throw PlanValueDoesNotFit("plan slot does not fit a byte");
    return static_cast<std::uint8_t>(slot);
}

// Sends packets 1 .. count of a transfer of total packets through send(k),
// letting the caller process its pending events before every packet but the
// first and telling its transfer observer after each. Stops at the first packet
// send reports as failed (0), or the observer asks to stop after, and returns 0;
// 1 when all went out.
template <typename Send>
std::int16_t sendPackets(std::size_t count, std::size_t total, Send&& send) {
    for (std::size_t k = 1; k <= count; ++k) {
        if (k > 1) yieldToCaller();
        if (send(static_cast<std::uint8_t>(k)) == 0) return 0;
        if (!transferContinues(static_cast<int>(k), static_cast<int>(total))) return 0;
    }
    return 1;
}
template <typename Send> std::int16_t sendPackets(std::size_t count, Send&& send) {
    return sendPackets(count, count, std::forward<Send>(send));
}

} // namespace sondrel
