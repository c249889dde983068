// How fast live readings can come at best: the library pauses before every
// Exchange, and the frames take their time on the line. A level reading tunes
// and then reads (two Exchanges); a digital reading is one ReadDigi, which
// does not pause. The editor's Live page and `sondrel level --watch` show
// their readings a second beside this bound.
#pragma once

namespace sondrel::client {

enum class LiveQuantity { Level, Digital };

// The line speed the library opens the port at.
inline constexpr unsigned DefaultBaud = 9600;

// Least seconds one reading takes, and so the most readings a second.
double leastSecondsPerReading(LiveQuantity quantity, unsigned baud = DefaultBaud);
double mostReadingsPerSecond(LiveQuantity quantity, unsigned baud = DefaultBaud);

} // namespace sondrel::client
