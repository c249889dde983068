#include "live_job.h"

#include "transfer.h"

#include "level_survey.h"

#include <thread>

namespace plandex {
namespace {

using sondrel::client::DigitalReading;

// A digital reading needs no pause of the library's; the meter still takes
// a moment to measure, and the window need not redraw more often.
constexpr auto LeastReadingInterval = std::chrono::milliseconds(100);
constexpr auto StopCheckInterval = std::chrono::milliseconds(20);

// Waits until `from` + LeastReadingInterval, or until asked to stop.
void keepPace(std::chrono::steady_clock::time_point from, const MeterJobContext& context) {
    while (!context.stopRequested() &&
           std::chrono::steady_clock::now() < from + LeastReadingInterval)
        std::this_thread::sleep_for(StopCheckInterval);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

LiveResult readOnce(sondrel::_KorvaneConnection& meter, const LiveTarget& target) {
    LiveResult result;
    if (target.digital) {
        result.digital = sondrel::client::readDigital(meter, target.number);
        if (result.digital.state != DigitalReading::State::Failed)
            result.value = result.digital.power;
    } else {
        result.value = sondrel::client::analogueLevel(meter, target.mhz);
    }
    return result;
}

LiveResult readOneOff(sondrel::_KorvaneConnection& meter, const LiveTarget& target,
                      LiveOneOff oneOff) {
    LiveResult result;
    if (oneOff == LiveOneOff::Cn) {
        result.kind = LiveResult::Kind::Cn;
        if (const auto cn = sondrel::client::carrierToNoise(meter, target.mhz)) result.value = *cn;
    } else {
        result.kind = LiveResult::Kind::Offset;
        result.value = sondrel::client::carrierOffset(meter, target.mhz);
    }
    return result;
}

} // namespace

void LiveRequests::ask(LiveOneOff oneOff) {
    if (oneOff == LiveOneOff::Cn) cn_ = true;
    if (oneOff == LiveOneOff::Offset) offset_ = true;
}

LiveOneOff LiveRequests::take() {
    if (cn_.exchange(false)) return LiveOneOff::Cn;
    if (offset_.exchange(false)) return LiveOneOff::Offset;
    return LiveOneOff::None;
}

void LiveRequests::clear() {
    cn_ = offset_ = false;
}

bool portUnusable(const sondrel::Failure& failure) {
    using sondrel::FailureKind;
    return failure.kind == FailureKind::NoDevice || failure.kind == FailureKind::InUse ||
           failure.kind == FailureKind::Permission;
}

MeterJob liveJob(LiveTarget target, bool live, LiveOneOff oneOff,
                 std::shared_ptr<LiveRequests> requests,
                 std::chrono::steady_clock::time_point startedAt, LiveDelivery deliver) {
    return [=](sondrel::_KorvaneConnection* meter, MeterJobContext& context) {
        // Each outcome carries its time and, when it failed, the library's reason.
        const auto send = [&](LiveResult result) {
            result.seconds = secondsSince(startedAt);
            if (!result.value) result.failure = context.lastFailure();
            deliver(result);
            return !portUnusable(result.failure);
        };
        if (!openDeviceConnection(meter)) {
            LiveResult unreachable;
            unreachable.kind = LiveResult::Kind::Unreachable;
            send(unreachable);
            return;
        }
        if (oneOff != LiveOneOff::None && !send(readOneOff(*meter, target, oneOff))) return;
        while (live && !context.stopRequested()) {
            const auto began = std::chrono::steady_clock::now();
            if (!send(readOnce(*meter, target))) return;
            const LiveOneOff asked = requests->take();
            if (asked != LiveOneOff::None && !context.stopRequested() &&
                !send(readOneOff(*meter, target, asked)))
                return;
            keepPace(began, context);
        }
    };
}

} // namespace plandex
