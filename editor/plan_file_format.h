// The plan text file, as text: a title line, the column header, one line per
// channel and the footer lines that carry the plan header. Every line ends
// with CR LF and every value of a channel line is followed by a TAB.
#pragma once

#include "plan_row.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace plandex {

// One footer line: `label` is everything before the TAB (its "*" included),
// `value` everything after it.
struct PlanFileFooterLine {
    QString label;
    QString value;
};

struct PlanFileContent {
    QString title;
    std::vector<PlanRow> rows; // in file order, with the IDs as written
    QStringList footerValues;  // in the order met
};

// Favourites 1 to 6, the unit and the span.
inline constexpr int maxFooterLines = 8;

// False when the text holds a character no plan file can carry (a line break
// or another control character but TAB).
bool planFileCanCarry(const QString& text);

// Texts that plain lines cannot carry (TAB, "*", double quote, the letters ID)
// make every text of the file quoted, under a column header that says so.
QString formatPlanText(const QString& title, const std::vector<PlanRow>& rows,
                       const std::vector<PlanFileFooterLine>& footer);

// The whole file's content, or nullopt when the text has no line at all, holds
// more than maxFooterLines footer lines, or a channel line whose ID, Freq or
// Audio1 is not a number.
std::optional<PlanFileContent> parsePlanText(const QString& text);

} // namespace plandex
