#include "meter_state.h"

namespace korvane::sim {

// The line speed is not kept: a meter starts at 9600 baud after power-up.
void to_json(nlohmann::json& j, const MeterState& s) {
    j = nlohmann::json{{"plans", s.plans},
                       {"signal", s.signal},
                       {"files", s.files},
                       {"settings", s.settings},
                       {"screen", s.screen}};
}

void from_json(const nlohmann::json& j, MeterState& s) {
    if (j.contains("plans")) j.at("plans").get_to(s.plans);
    if (j.contains("signal")) j.at("signal").get_to(s.signal);
    if (j.contains("files")) j.at("files").get_to(s.files);
    if (j.contains("settings")) j.at("settings").get_to(s.settings);
    if (j.contains("screen")) j.at("screen").get_to(s.screen);
}

} // namespace korvane::sim
