// The meter's user settings as clients offer them: which ones travel as one
// of a list of texts, which members set and report them, whether the meter
// answers a change with what it now has, and the line speed and clock that
// both sondrel and the editor set. The texts and codes themselves are in
// common/option_texts.h.
#pragma once

#include "korvane_interface.h"
#include "sondrel_types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sondrel::client {

enum class TextSettingId { LevelUnit, TemperatureUnit, SwitchOff, Backlight, Step };

// A setting given and reported as one of its option texts.
struct TextSetting {
    TextSettingId id;
    const char* name; // sondrel's word for it: "level-unit"
    const char* description;
    const char* setMember;
    const char* readMember; // nullptr: the meter cannot report it
    bool echoes;            // the set member writes back what the meter now has
    std::vector<std::string> choices;
};

const std::vector<TextSetting>& textSettings();
const TextSetting& textSetting(TextSettingId id);

// The members by id, on a connection: true when the meter answered. value is
// what the meter reports (after a set: when the setting echoes).
bool readTextSetting(_KorvaneConnection& meter, TextSettingId id, std::string& value);
bool setTextSetting(_KorvaneConnection& meter, TextSettingId id, std::string& value);

// What a change came to: the meter reported the wanted value back, reported
// another, took the request without reporting anything, or did not answer.
enum class SetOutcome { Confirmed, Differs, Unconfirmed, Failed };
// reported: what the meter said it now has, nullopt when it says nothing.
SetOutcome setOutcome(bool answered, const std::string& wanted,
                      const std::optional<std::string>& reported);

// The baud-rate code of a line speed; nullopt for a speed the meter does not have.
std::optional<std::uint8_t> baudCodeOf(unsigned baud);

// The library talks at 9600 on a new connection; asking the meter for a speed
// is the one way to make the library follow. A meter still at 9600 takes the
// request and changes; one already at the speed hears only noise, stays
// silent, and the library changes all the same. Either way both end at baud.
// True when the meter answered the request (it was at 9600).
bool followLineSpeed(_KorvaneConnection& meter, unsigned baud);

// This computer's local date and time, to the second, as the meter's clock takes it.
ComDate computerClock();

} // namespace sondrel::client
