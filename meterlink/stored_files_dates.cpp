#include "stored_files_dates.h"

#include "common/com_date.h"
#include "platform/system_language.h"

#include <array>
#include <cctype>

namespace sondrel {
namespace {

struct Number {
    int value = 0;
    std::size_t digits = 0;
};

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    void skipSpaces() {
        while (!atEnd() && text_[pos_] == ' ')
            ++pos_;
    }
    bool take(char c) {
        if (peek() != c) return false;
        ++pos_;
        return true;
    }
    std::optional<Number> number() {
        Number n;
        while (!atEnd() && std::isdigit(static_cast<unsigned char>(text_[pos_])) && n.digits < 4) {
            n.value = n.value * 10 + (text_[pos_++] - '0');
            ++n.digits;
        }
        if (n.digits == 0) return std::nullopt;
        return n;
    }
    // "AM" or "PM" in any case; 0 when neither comes next.
    char meridiem() {
        if (pos_ + 1 >= text_.size() ||
            std::toupper(static_cast<unsigned char>(text_[pos_ + 1])) != 'M')
            return 0;
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text_[pos_])));
        if (c != 'A' && c != 'P') return 0;
        pos_ += 2;
        return c;
    }
    std::size_t position() const { return pos_; }
    void rewind(std::size_t pos) { pos_ = pos; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

enum class Order { YearMonthDay, MonthDayYear, DayMonthYear };

// The order a language writes numeric dates in: year first in Chinese,
// Japanese and Korean, month first in US English, day first elsewhere.
Order orderOf(std::uint16_t languageId) {
    constexpr std::uint16_t PrimaryLanguageMask = 0x3FF;
    constexpr std::uint16_t Chinese = 0x04, Japanese = 0x11, Korean = 0x12;
    const std::uint16_t primary = languageId & PrimaryLanguageMask;
    if (primary == Chinese || primary == Japanese || primary == Korean) return Order::YearMonthDay;
    if (languageId == LangIdEnglishUs) return Order::MonthDayYear;
    return Order::DayMonthYear;
}

int expandYear(const Number& year) {
    if (year.digits > 2) return year.value;
    return year.value < 30 ? 2000 + year.value : 1900 + year.value;
}

std::optional<CivilDateTime> dateOf(const std::array<Number, 3>& parts, Order order) {
    const auto& [a, b, c] = parts;
    CivilDateTime f;
    switch (order) {
    case Order::YearMonthDay:
        f.year = expandYear(a), f.month = b.value, f.day = c.value;
        break;
    case Order::MonthDayYear:
        f.month = a.value, f.day = b.value, f.year = expandYear(c);
        break;
    case Order::DayMonthYear:
        f.day = a.value, f.month = b.value, f.year = expandYear(c);
        break;
    }
    // A written year of three or four digits can only stand where a year may.
    if (order != Order::YearMonthDay && (a.digits > 2 || b.digits > 2)) return std::nullopt;
    if (order == Order::YearMonthDay && (b.digits > 2 || c.digits > 2)) return std::nullopt;
    if (!isValidDate(f.year, f.month, f.day)) return std::nullopt;
    return f;
}

std::optional<CivilDateTime> readDate(Scanner& in, std::uint16_t languageId) {
    std::array<Number, 3> parts;
    char separator = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            const char c = in.peek();
            if (c != '-' && c != '/' && c != '.') return std::nullopt;
            if (separator && c != separator) return std::nullopt;
            separator = c;
            in.take(c);
        }
        const auto n = in.number();
        if (!n) return std::nullopt;
        parts[i] = *n;
    }
    const Order preferred = orderOf(languageId);
    for (Order order : {preferred, Order::MonthDayYear, Order::DayMonthYear, Order::YearMonthDay})
        if (auto date = dateOf(parts, order)) return date;
    return std::nullopt;
}

// Reads a time of day into the time fields of f.
bool readTime(Scanner& in, CivilDateTime& f) {
    const auto hour = in.number();
    if (!hour || !in.take(':')) return false;
    const auto minute = in.number();
    if (!minute) return false;
    Number second;
    if (in.take(':')) {
        const auto s = in.number();
        if (!s) return false;
        second = *s;
    }
    in.skipSpaces();
    f.hour = hour->value;
    f.minute = minute->value;
    f.second = second.value;
    if (const char m = in.meridiem()) {
        if (f.hour < 1 || f.hour > 12) return false;
        f.hour = f.hour % 12 + (m == 'P' ? 12 : 0);
    }
    return isValidTime(f.hour, f.minute, f.second);
}

} // namespace

std::optional<ComDate> readDateText(std::string_view text, std::uint16_t languageId) {
    Scanner in(text);
    in.skipSpaces();
    const std::size_t start = in.position();
    const auto date = readDate(in, languageId);
    if (!date) in.rewind(start);
    CivilDateTime fields = date.value_or(CivilDateTime{}); // a time alone lies on day 0
    in.skipSpaces();
    bool time = false;
    if (!in.atEnd()) {
        if (!readTime(in, fields)) return std::nullopt;
        time = true;
        in.skipSpaces();
    }
    if (!in.atEnd() || (!date && !time)) return std::nullopt;
    return comDateOf(fields);
}

} // namespace sondrel
