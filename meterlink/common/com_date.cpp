#include "common/com_date.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace sondrel {
namespace {

constexpr int SecondsPerDay = 86400;

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

const long long Epoch = daysFromCivil(1899, 12, 30);

} // namespace

bool isValidDate(int year, int month, int day) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= lengths[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool isValidTime(int hour, int minute, int second) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

std::optional<ComDate> comDateOf(const CivilDateTime& f) {
    if (!isValidDate(f.year, f.month, f.day) || !isValidTime(f.hour, f.minute, f.second))
        return std::nullopt;
    const double days = static_cast<double>(
        daysFromCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day)) -
        Epoch);
    const double fraction = (f.hour * 3600 + f.minute * 60 + f.second) / double(SecondsPerDay);
    // Before the epoch the day counts down while the time of day still counts up.
    return ComDate{days < 0 ? days - fraction : days + fraction};
}

std::optional<CivilDateTime> civilOf(ComDate date) {
    // 1 January 100 and the last second of 31 December 9999, with room for rounding.
    constexpr double Earliest = -657435.0, Latest = 2958466.0;
    if (!std::isfinite(date.value) || date.value <= Earliest || date.value >= Latest)
        return std::nullopt;
    double days = std::trunc(date.value);
    long long seconds = std::llround(std::fabs(date.value - days) * SecondsPerDay);
    if (seconds >= SecondsPerDay) {
        seconds -= SecondsPerDay;
        days += date.value < 0 ? -1 : 1;
    }
    CivilDateTime f;
    civilFromDays(static_cast<long long>(days) + Epoch, f.year, f.month, f.day);
    f.hour = static_cast<int>(seconds / 3600);
    f.minute = static_cast<int>(seconds / 60 % 60);
    f.second = static_cast<int>(seconds % 60);
    if (!isValidDate(f.year, f.month, f.day)) return std::nullopt;
    return f;
}

namespace {
std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}
} // namespace

ComDate todayLocal() {
    const std::tm t = localNow();
    return *comDateOf({t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, 0, 0, 0});
}

ComDate timeOfDayLocal() {
    const std::tm t = localNow();
    return ComDate{(t.tm_hour * 3600 + t.tm_min * 60 + std::min(t.tm_sec, 59)) /
                   double(SecondsPerDay)};
}

} // namespace sondrel
