// Scripted misbehaviour of the simulated meter, per command, for tests and
// demonstrations: what a flaky cable or a confused meter would do to a reply.
//
// Text form (command-line --fault and tests alike):
//   COMMAND:KIND[=VALUE][,after=K][,times=T]
// COMMAND is a hex command byte (2B, 0x66) or "any". KIND is one of
//   noreply            send nothing
//   truncate=K         send only the first K bytes of the reply
//   badsum             send a wrong checksum
//   plainsum           send the plain sum of the bytes instead of the checksum
//   extra=K            append K extra bytes after the reply
//   garbage=K          send K stray bytes before the reply
//   delay=MS           wait MS milliseconds before replying
//   close              hang the line up instead of replying
// after=K lets K matching frames pass untouched first; times=T applies the
// fault T times (default: every time from then on).
#pragma once

#include "frame.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace korvane::sim {

enum class FaultKind { NoReply, Truncate, BadChecksum, PlainSum, Extra, Garbage, Delay, Close };

struct FaultRule {
    std::optional<std::uint8_t> command; // nullopt: any command
    FaultKind kind = FaultKind::NoReply;
    unsigned value = 0;
    unsigned after = 0;
    int times = -1; // -1: without end
};

// Parses the text form; throws std::invalid_argument with the reason.
FaultRule parseFaultRule(const std::string& text);

// What to do with one reply.
struct FaultAction {
    sondrel::Bytes reply; // possibly altered; empty: send nothing
    unsigned delayMs = 0;
    bool closeLine = false;
};

class FaultPlan {
  public:
    void add(FaultRule rule);
    void clear();
    // Applies the first rule that matches this command (counting the frame
    // against every matching rule's "after").
    FaultAction apply(std::uint8_t command, sondrel::Bytes reply);

  private:
    struct Active {
        FaultRule rule;
        unsigned seen = 0;
        int applied = 0;
    };
    std::mutex mutex_;
    std::vector<Active> rules_;
};

} // namespace korvane::sim
