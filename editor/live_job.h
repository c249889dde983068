// The Live page's work with the meter, on the meter worker: readings of one
// channel or frequency one after another until the job is told to stop, and
// the C/N or carrier offset read once on demand between two readings. Every
// outcome goes to `deliver` (on the worker's thread) as soon as it is known.
// Readings come at most ten a second: a level reading's pauses make it slower
// anyway, a digital one (no pause) would otherwise flood the window.
#pragma once

#include "digital_quality.h"
#include "meter_worker.h"

#include "last_failure.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace plandex {

// What the page measures.
struct LiveTarget {
    QString label;        // as the channel list shows it, or the typed frequency
    double mhz = 0;       // vision carrier or digital centre
    int number = 0;       // the number the meter knows the channel by; 0 for a typed frequency
    bool digital = false; // a DIGI channel: power, MER and BER instead of a level
};

enum class LiveOneOff { None, Cn, Offset };

// One-offs asked of a running job by the window's thread; each is read once,
// in the next gap between two readings, C/N first when both are asked.
class LiveRequests {
  public:
    void ask(LiveOneOff oneOff);
    // The next one-off to read, no longer asked; None when none is.
    LiveOneOff take();
    void clear();

  private:
    std::atomic<bool> cn_{false};
    std::atomic<bool> offset_{false};
};

struct LiveResult {
    enum class Kind {
        Reading,     // a live reading
        Cn,          // the C/N asked for
        Offset,      // the carrier offset asked for
        Unreachable, // the port could not be opened: nothing was read
    };
    Kind kind = Kind::Reading;
    double seconds = 0;                      // when it ended, from the job's start
    std::optional<double> value;             // level or digital power, C/N, offset; nullopt: failed
    sondrel::client::DigitalReading digital; // a digital reading's figures
    sondrel::Failure failure;                // why it failed
};

using LiveDelivery = std::function<void(const LiveResult&)>;

// A port failure that no later reading gets past: the job ends on it.
bool portUnusable(const sondrel::Failure& failure);

// The job: first `oneOff` (if any), then, when `live`, readings until stopped,
// with whatever one-off `requests` asks for between two readings. Times count
// from startedAt.
MeterJob liveJob(LiveTarget target, bool live, LiveOneOff oneOff,
                 std::shared_ptr<LiveRequests> requests,
                 std::chrono::steady_clock::time_point startedAt, LiveDelivery deliver);

} // namespace plandex
