// Simulated meter: the meter's user settings and model.
#pragma once

#include <nlohmann/json.hpp>

namespace korvane::sim {

struct SettingsMemory {};

inline void to_json(nlohmann::json& j, const SettingsMemory&) {
    j = nlohmann::json::object();
}
inline void from_json(const nlohmann::json&, SettingsMemory&) {}

} // namespace korvane::sim
