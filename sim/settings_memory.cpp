#include "settings_memory.h"

#include "state_fields.h"

#include "common/option_texts.h"

namespace korvane::sim {
namespace {

std::string textOf(const sondrel::OptionTable& table, std::uint8_t code) {
    return table.textOf(code).value_or(std::to_string(code));
}

// A setting from its text, keeping the current code for a text not in the table.
void readOption(const nlohmann::json& j, const char* key, const sondrel::OptionTable& table,
                std::uint8_t& code) {
    if (const auto* text = typedField(j, "settings", key, nlohmann::json::value_t::string))
        code = table.codeOf(text->get<std::string>()).value_or(code);
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
    requireObject(j, "settings");
    s.model = numberField(j, "settings", "model", s.model, 0, 65535);
    s.variant = numberField(j, "settings", "variant", s.variant, 0, 255);
    s.volume = numberField(j, "settings", "volume", s.volume, 0, SettingsMemory::LoudestVolume);
    readOption(j, "levelUnit", sondrel::LevelUnits, s.levelUnit);
    readOption(j, "temperatureUnit", sondrel::TemperatureUnits, s.temperatureUnit);
    if (j.contains("limits")) {
        const auto& limits = j.at("limits");
        if (!limits.is_array() || limits.size() != s.limits.size())
            throw StateFieldError("field settings.limits must hold 8 numbers");
        for (std::size_t i = 0; i < s.limits.size(); ++i)
            s.limits[i] = byteField(limits[i], "settings.limits");
    }
    if (j.contains("step")) {
        const auto& step = j.at("step");
        if (!step.is_array() || step.size() != 2)
            throw StateFieldError("field settings.step must hold 2 numbers");
        s.stepUnit = byteField(step[0], "settings.step");
        s.stepMultiplier = byteField(step[1], "settings.step");
    }
    if (j.contains("clock")) {
        const auto c = civilFieldOf(j.at("clock"), "settings.clock");
        if (c.year < 2000 || c.year > 2255)
            throw StateFieldError("field settings.clock: the meter's clock holds 2000 to 2255");
        s.clock = c;
    }
    readOption(j, "shutdown", sondrel::ShutdownTimes, s.shutdown);
    readOption(j, "backlight", sondrel::BacklightTimes, s.backlight);
}

} // namespace korvane::sim
