// The plans a new simulated meter holds: a 7/8 MHz cable plan of 60 channels
// with its header in slot A, a digital plan of 18 channels in slot C, and
// empty analogue plans in the other slots.
#pragma once

#include "plan_memory.h"

namespace korvane::sim {

std::array<PlanSlot, PlanSlotCount> demoPlanSlots();

} // namespace korvane::sim
