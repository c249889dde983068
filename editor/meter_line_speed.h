// The line speed the editor last set the meter to. Every job with the meter
// opens a new connection, and a new connection talks at 9600; after the
// Instrument page moved the meter to another speed, each job first has the
// library follow it, so the plan transfers and every page still reach the
// meter. Switched off and on, the meter starts at 9600 again: following then
// moves it back to the remembered speed, so both ends still agree.
#pragma once

#include "korvane_interface.h"

namespace plandex {

// 9600 until the meter is set to another speed; any thread.
unsigned meterLineSpeed();
void setMeterLineSpeed(unsigned baud);

// On the worker, on a connection whose port is open and before anything else
// is sent: brings the connection to the meter's speed (nothing at 9600).
void followMeterLineSpeed(sondrel::_KorvaneConnection& meter);

} // namespace plandex
