// Everything the simulated meter remembers. Handlers read and change it under
// the simulator's lock; --state saves it between runs.
#pragma once

#include "plan_memory.h"
#include "screen_memory.h"
#include "settings_memory.h"
#include "signal_model.h"
#include "stored_files_memory.h"

#include <nlohmann/json.hpp>
#include <optional>

namespace korvane::sim {

struct LinkState {
    unsigned baud = 9600;
    // A new line speed, taken on once the current reply has gone out.
    std::optional<unsigned> pendingBaud;
    unsigned resets = 0;
    bool connected = false;
};

struct MeterState {
    LinkState link;
    PlanMemory plans;
    SignalModel signal;
    StoredFilesMemory files;
    SettingsMemory settings;
    ScreenMemory screen;
};

void to_json(nlohmann::json& j, const MeterState& s);
void from_json(const nlohmann::json& j, MeterState& s);

} // namespace korvane::sim
