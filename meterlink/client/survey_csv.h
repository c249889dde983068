// A survey as comma-separated text, one line per channel in the order
// measured, for spreadsheets and for reading back:
//
//   Channel,Name,Type,Frequency (MHz),Level (dBuV),C/N (dB),Result
//   1,E2,TV,48.25,84.6,43,measured
//   2,E3,TV,55.25,,,failed
//
// A failed level is left empty and its result says "failed"; a C/N that was
// asked for and could not be read says "failed" in its column. Numbers are
// written in their shortest form that reads back as the same value. When the
// meter did not confirm its level unit the level column says
// "Level (unit not confirmed)".
#pragma once

#include "level_survey.h"

#include <optional>
#include <string>
#include <string_view>

namespace sondrel::client {

std::string surveyCsv(const Survey& survey);

// A field as it goes into a line: quoted when it holds a comma, a quote or a
// line break, with its quotes doubled.
std::string csvField(const std::string& text);

// The results and unit of a text that surveyCsv wrote; nullopt for any other
// text. Favourites are not part of the text.
std::optional<Survey> parseSurveyCsv(std::string_view text);

} // namespace sondrel::client
