// Simulated meter: the measurement files stored in the meter.
#pragma once

#include <nlohmann/json.hpp>

namespace korvane::sim {

struct StoredFilesMemory {};

inline void to_json(nlohmann::json& j, const StoredFilesMemory&) {
    j = nlohmann::json::object();
}
inline void from_json(const nlohmann::json&, StoredFilesMemory&) {}

} // namespace korvane::sim
