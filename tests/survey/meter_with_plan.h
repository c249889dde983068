// A simulated meter whose active plan (slot A) is a given analogue plan, its
// carriers falling 1 dB per 100 MHz: the state the survey command tests start from.
#pragma once

#include "meter_state.h"

#include <initializer_list>

namespace korvane::testing {

struct PlanChannel {
    const char* name;
    const char* type;
    float mhz;
};

inline sim::MeterState meterWithPlan(std::initializer_list<PlanChannel> channels,
                                     sondrel::ChannelHead head) {
    sim::MeterState state;
    state.signal.tiltPer100MHz = -1.0;
    sim::AnalogPlan plan;
    const sondrel::CodePage codePage("WINDOWS-1252");
    for (const auto& c : channels) {
        sondrel::Channellist channel;
        channel.ChannelName = c.name;
        channel.Type = c.type;
        channel.freq = c.mhz;
        channel.Audio1 = 5.5f;
        plan.channels.push_back(sondrel::analogEntryOf(channel, codePage));
    }
    plan.head = sondrel::headEntryOf(head);
    state.plans.slots[0].plan = plan;
    state.plans.activeSlot = 0;
    return state;
}

} // namespace korvane::testing
