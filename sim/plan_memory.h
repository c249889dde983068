// Simulated meter: the five plan slots, the active slot and the read cursor.
#pragma once

#include <nlohmann/json.hpp>

namespace korvane::sim {

struct PlanMemory {};

inline void to_json(nlohmann::json& j, const PlanMemory&) {
    j = nlohmann::json::object();
}
inline void from_json(const nlohmann::json&, PlanMemory&) {}

} // namespace korvane::sim
