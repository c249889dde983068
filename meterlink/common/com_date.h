// Automation dates (days since 30 December 1899, the fraction being the time
// of day) to and from calendar fields.
#pragma once

#include "sondrel_types.h"

#include <optional>

namespace sondrel {

struct CivilDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const CivilDateTime&, const CivilDateTime&) = default;
};

bool isValidDate(int year, int month, int day);
bool isValidTime(int hour, int minute, int second);

// The date of the fields; nullopt when they name no date or time of day.
std::optional<ComDate> comDateOf(const CivilDateTime& fields);
// The fields of a date, to the nearest second; nullopt for a value that is no
// number or lies outside the years 100 to 9999, the dates a date can hold.
std::optional<CivilDateTime> civilOf(ComDate date);

// Today at midnight, and the time of day alone, in the machine's local time.
ComDate todayLocal();
ComDate timeOfDayLocal();

} // namespace sondrel
