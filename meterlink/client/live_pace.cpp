#include "live_pace.h"

#include "frame_exchange.h"

#include <chrono>

namespace sondrel::client {
namespace {

// Frames of a reading, command and reply, whole on the line (bytes).
constexpr int TuneFrames = 9 + 9;   // SetupFreq and its echo of the frequency
constexpr int LevelFrames = 6 + 12; // the level command and its reply
constexpr int DigiFrames = 7 + 14;  // ReadDigi and its reply
constexpr double BitsPerByte = 10;  // start, 8 data bits, stop

} // namespace

double leastSecondsPerReading(LiveQuantity quantity, unsigned baud) {
    const double pause = std::chrono::duration<double>(ExchangeTiming{}.pauseBeforeSend).count();
    const double byteSeconds = BitsPerByte / static_cast<double>(baud);
    if (quantity == LiveQuantity::Digital) return DigiFrames * byteSeconds;
    return 2 * pause + (TuneFrames + LevelFrames) * byteSeconds;
}

double mostReadingsPerSecond(LiveQuantity quantity, unsigned baud) {
    return 1.0 / leastSecondsPerReading(quantity, baud);
}

} // namespace sondrel::client
