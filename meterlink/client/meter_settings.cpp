#include "meter_settings.h"

#include "common/com_date.h"
#include "common/option_texts.h"

#include <algorithm>
#include <cmath>

namespace sondrel::client {
namespace {

std::vector<std::string> textsOf(const OptionTable& table) {
    std::vector<std::string> texts;
    for (const auto& option : table.entries())
        texts.emplace_back(option.text);
    return texts;
}

std::vector<std::string> stepTexts() {
    std::vector<std::string> texts;
    for (const auto& option : freqStepOptions())
        texts.emplace_back(option.text);
    return texts;
}

bool answered(HResult hr, std::int16_t result) {
    return hr >= 0 && result != 0;
}

} // namespace

const std::vector<TextSetting>& textSettings() {
    static const std::vector<TextSetting> settings{
        {TextSettingId::LevelUnit, "level-unit", "unit of level readings", "SetupLevelUnit",
         nullptr, true, textsOf(LevelUnits)},
        {TextSettingId::TemperatureUnit, "temperature-unit", "unit of the temperature display",
         "SetupTemperatureUnit", "ReadTemperatureUnit", true, textsOf(TemperatureUnits)},
        {TextSettingId::SwitchOff, "switch-off", "automatic switch-off", "SetupShutdownTime",
         "ReadShutdownUnit", false, textsOf(ShutdownTimes)},
        {TextSettingId::Backlight, "backlight", "display backlight", "SetupBackLight", nullptr,
         false, textsOf(BacklightTimes)},
        {TextSettingId::Step, "step", "tuning step", "SetupFreqStep", nullptr, false, stepTexts()},
    };
    return settings;
}

const TextSetting& textSetting(TextSettingId id) {
    const auto& settings = textSettings();
    return *std::find_if(settings.begin(), settings.end(),
                         [id](const TextSetting& s) { return s.id == id; });
}

bool readTextSetting(_KorvaneConnection& meter, TextSettingId id, std::string& value) {
    std::int16_t result = 0;
    HResult hr = E_Fail;
    if (id == TextSettingId::TemperatureUnit) hr = meter.ReadTemperatureUnit(&value, &result);
    if (id == TextSettingId::SwitchOff) hr = meter.ReadShutdownUnit(&value, &result);
    return answered(hr, result);
}

bool setTextSetting(_KorvaneConnection& meter, TextSettingId id, std::string& value) {
    std::int16_t result = 0;
    HResult hr = E_Fail;
    switch (id) {
    case TextSettingId::LevelUnit:
        hr = meter.SetupLevelUnit(&value, &result);
        break;
    case TextSettingId::TemperatureUnit:
        hr = meter.SetupTemperatureUnit(&value, &result);
        break;
    case TextSettingId::SwitchOff:
        hr = meter.SetupShutdownTime(&value, &result);
        break;
    case TextSettingId::Backlight:
        hr = meter.SetupBackLight(&value, &result);
        break;
    case TextSettingId::Step:
        hr = meter.SetupFreqStep(&value, &result);
        break;
    }
    return answered(hr, result);
}

SetOutcome setOutcome(bool answered, const std::string& wanted,
                      const std::optional<std::string>& reported) {
    if (!answered) return SetOutcome::Failed;
    if (!reported) return SetOutcome::Unconfirmed;
    return *reported == wanted ? SetOutcome::Confirmed : SetOutcome::Differs;
}

std::optional<std::uint8_t> baudCodeOf(unsigned baud) {
    const auto rates = baudRates();
    const auto found = std::find(rates.begin(), rates.end(), baud);
    if (found == rates.end()) return std::nullopt;
    return static_cast<std::uint8_t>(found - rates.begin());
}

bool followLineSpeed(_KorvaneConnection& meter, unsigned baud) {
    auto code = baudCodeOf(baud);
    if (!code) return false;
    std::int16_t result = 0;
    const HResult hr = meter.SetupBaudRate(&*code, &result);
    return answered(hr, result);
}

ComDate computerClock() {
    // Whole seconds: the meter's clock has no finer steps.
    const double day = todayLocal().value;
    const double seconds = std::round(timeOfDayLocal().value * 86400.0);
    return ComDate{day + seconds / 86400.0};
}

} // namespace sondrel::client
