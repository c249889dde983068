// Reads the date and time texts of a stored file's header the way the running
// system reads a date: a numeric date in the system's order of day, month and
// year (falling back to the other orders when that one names no date), a time
// of day with or without seconds and AM/PM, or both.
#pragma once

#include "sondrel_types.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace sondrel {

// The date (with the time of day as its fraction); nullopt when the text reads
// as no date or time. languageId picks the preferred order: year first for
// Chinese, Japanese and Korean, month first for US English, day first for the
// rest. Two-digit years 00..29 are 2000..2029, 30..99 are 1930..1999.
std::optional<ComDate> readDateText(std::string_view text, std::uint16_t languageId);

} // namespace sondrel
