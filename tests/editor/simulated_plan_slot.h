// Slot A of the simulated meter's plan memory. Included before any Qt header:
// Qt's "slots" keyword would otherwise swallow the plan memory's member of that name.
#pragma once

#include "meter_simulator.h"

namespace plandex::testing {

inline korvane::sim::AnalogPlan analogPlanInSlotA(korvane::sim::MeterSimulator& meter) {
    return meter.withState([](korvane::sim::MeterState& s) {
        return std::get<korvane::sim::AnalogPlan>(s.plans.slots[0].plan);
    });
}

inline void putAnalogPlanInSlotA(korvane::sim::MeterSimulator& meter,
                                 const korvane::sim::AnalogPlan& plan) {
    meter.withState([&](korvane::sim::MeterState& s) { s.plans.slots[0].plan = plan; });
}

} // namespace plandex::testing
