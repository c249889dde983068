// Simulated meter: the meter's display memory.
#pragma once

#include <nlohmann/json.hpp>

namespace korvane::sim {

struct ScreenMemory {};

inline void to_json(nlohmann::json& j, const ScreenMemory&) {
    j = nlohmann::json::object();
}
inline void from_json(const nlohmann::json&, ScreenMemory&) {}

} // namespace korvane::sim
