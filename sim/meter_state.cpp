#include "meter_state.h"

#include "state_fields.h"

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
    if (!j.is_object())
        throw StateFieldError("the file must hold an object of the sections plans, signal, "
                              "files, settings and screen, not " +
                              j.dump().substr(0, 40));
    // Each section names its own fields; what it does not foresee is at least
    // put down to the section.
    const auto section = [&j](const char* name, auto& memory) {
        if (!j.contains(name)) return;
        try {
            j.at(name).get_to(memory);
        } catch (const nlohmann::json::exception& e) {
            throw StateFieldError("field " + std::string(name) + ": " + e.what());
        }
    };
    section("plans", s.plans);
    section("signal", s.signal);
    section("files", s.files);
    section("settings", s.settings);
    section("screen", s.screen);
}

} // namespace korvane::sim
