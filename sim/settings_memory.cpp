#include "settings_memory.h"

#include "common/option_texts.h"

namespace korvane::sim {
namespace {

std::string textOf(const sondrel::OptionTable& table, std::uint8_t code) {
    return table.textOf(code).value_or(std::to_string(code));
}

// A setting from its text, keeping the current code for a text not in the table.
void readOption(const nlohmann::json& j, const char* key, const sondrel::OptionTable& table,
                std::uint8_t& code) {
    if (!j.contains(key)) return;
    code = table.codeOf(j.at(key).get<std::string>()).value_or(code);
}

} // namespace

void to_json(nlohmann::json& j, const SettingsMemory& s) {
    const auto& c = s.clock;
    j = {{"model", s.model},
         {"variant", s.variant},
         {"volume", s.volume},
         {"levelUnit", textOf(sondrel::LevelUnits, s.levelUnit)},
         {"temperatureUnit", textOf(sondrel::TemperatureUnits, s.temperatureUnit)},
         {"limits", s.limits},
         {"step", {s.stepUnit, s.stepMultiplier}},
         {"clock", {c.year, c.month, c.day, c.hour, c.minute, c.second}},
         {"shutdown", textOf(sondrel::ShutdownTimes, s.shutdown)},
         {"backlight", textOf(sondrel::BacklightTimes, s.backlight)}};
}

void from_json(const nlohmann::json& j, SettingsMemory& s) {
    s.model = j.value("model", s.model);
    s.variant = j.value("variant", s.variant);
    s.volume = j.value("volume", s.volume);
    readOption(j, "levelUnit", sondrel::LevelUnits, s.levelUnit);
    readOption(j, "temperatureUnit", sondrel::TemperatureUnits, s.temperatureUnit);
    if (j.contains("limits")) j.at("limits").get_to(s.limits);
    if (j.contains("step")) {
        const auto step = j.at("step").get<std::array<std::uint8_t, 2>>();
        s.stepUnit = step[0];
        s.stepMultiplier = step[1];
    }
    if (j.contains("clock")) {
        const auto c = j.at("clock").get<std::array<int, 6>>();
        s.clock = {c[0], c[1], c[2], c[3], c[4], c[5]};
    }
    readOption(j, "shutdown", sondrel::ShutdownTimes, s.shutdown);
    readOption(j, "backlight", sondrel::BacklightTimes, s.backlight);
}

} // namespace korvane::sim
