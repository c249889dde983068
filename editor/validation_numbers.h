// How the editor reads numbers out of typed or stored text and writes numbers
// back as text. Always with a decimal point, whatever the locale, so that plan
// files and typed values mean the same on every system.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace plandex {

// Value of the decimal number at the start of text (after leading blanks): an
// optional sign, digits and at most one decimal point. 0 when there is none, so
// "8.5MHz" reads 8.5, "8." reads 8 and "" or "abc" read 0.
double leadingNumber(QStringView text);

// Value of text that is a number and nothing else (blanks around it allowed);
// nullopt for empty text, trailing garbage or a value that is not finite.
std::optional<double> wholeTextNumber(QStringView text);

// Plain decimal text with at most `significantDigits` significant digits, no
// exponent and no trailing zeros: plainDecimal(474.0, 15) is "474",
// plainDecimal(471.25f, 7) is "471.25".
QString plainDecimal(double value, int significantDigits);

// Shortest decimal text that reads back as the same value: as a single
// precision number when the value is one ("55.25", "6.5", "474"), else as a
// double precision number.
QString shortestDecimal(double value);

} // namespace plandex
