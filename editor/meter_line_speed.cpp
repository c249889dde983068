#include "meter_line_speed.h"

#include "meter_settings.h"

#include <atomic>

namespace plandex {
namespace {

constexpr unsigned StartSpeed = 9600;
std::atomic<unsigned> lineSpeed{StartSpeed};

} // namespace

unsigned meterLineSpeed() {
    return lineSpeed;
}

void setMeterLineSpeed(unsigned baud) {
    lineSpeed = baud;
}

void followMeterLineSpeed(sondrel::_KorvaneConnection& meter) {
    const unsigned baud = lineSpeed;
    if (baud != StartSpeed) sondrel::client::followLineSpeed(meter, baud);
}

} // namespace plandex
