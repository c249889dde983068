// Simulated meter: the spectrum the meter measures.
#pragma once

#include <nlohmann/json.hpp>

namespace korvane::sim {

struct SignalModel {};

inline void to_json(nlohmann::json& j, const SignalModel&) {
    j = nlohmann::json::object();
}
inline void from_json(const nlohmann::json&, SignalModel&) {}

} // namespace korvane::sim
