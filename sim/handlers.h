// Registration of the meter's commands, one function per area of the protocol.
#pragma once

#include "command_table.h"
#include "meter_state.h"

namespace korvane::sim {

void registerLinkCommands(CommandTable& table, MeterState& state);
void registerPlanCommands(CommandTable& table, MeterState& state);
void registerMeasurementCommands(CommandTable& table, MeterState& state);
void registerStoredFileCommands(CommandTable& table, MeterState& state);
void registerSettingsCommands(CommandTable& table, MeterState& state);
void registerScreenCommands(CommandTable& table, MeterState& state);

} // namespace korvane::sim
