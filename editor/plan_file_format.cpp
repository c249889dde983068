#include "plan_file_format.h"

#include "validation_numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plandex {
namespace {

const QString lineEnd = QStringLiteral("\r\n");
const QChar tab = u'\t';
const QString columnHeader = QStringLiteral("ID\tCHName\tTYPE\tFREQ\tAUDIO\t");
// The column header of a file whose texts are all quoted: written only when a
// text holds what the plain lines cannot carry (a TAB, "*", a double quote or
// the letters ID). Editors that read only plain files skip it as a header.
const QString quotedColumnHeader = QStringLiteral("ID\tCHName\tTYPE\tFREQ\tAUDIO\tQUOTED\t");

// Lines ended by CR LF, LF or CR; a last line without an end counts, an end
// at the very end of the text does not start another line.
QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        lines << text.mid(start, i - start);
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines << text.mid(start);
    return lines;
}

// Takes the next value off the front of a channel line: the text before the
// first TAB, or the whole rest when no TAB is left (the rest then stays, so a
// line without its last TAB repeats its last value). A value in double quotes
// loses its first and last character.
std::optional<QString> takeToken(QString& rest) {
    const qsizetype tabAt = rest.indexOf(tab);
    QString token = tabAt < 0 ? rest : rest.left(tabAt);
    if (tabAt >= 0) rest.remove(0, tabAt + 1);
    if (token.startsWith(u'"')) {
        if (token.size() < 2) return std::nullopt;
        token = token.mid(1, token.size() - 2);
    }
    return token;
}

std::optional<int> toId(const QString& token) {
    const auto value = wholeTextNumber(token);
    if (!value || std::fabs(*value) > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(std::nearbyint(*value)); // halves to even, like the store
}

// Texts are written as they are; only one that begins with a double quote is
// put in quotes, since reading drops the first and last character of such a
// value and would otherwise change it.
QString textValue(const QString& text) {
    return text.startsWith(u'"') ? u'"' + text + u'"' : text;
}

bool plainLinesCanCarry(const QString& text) {
    return !text.contains(u'\t') && !text.contains(u'*') && !text.contains(u'"') &&
           !text.contains(QStringLiteral("ID"));
}

// A text of a quoted file: in double quotes, a double quote in it doubled.
QString quotedValue(const QString& text) {
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Takes the next quoted value off the front of a channel line of a quoted file,
// with the TAB that ends it; nullopt when the value is not properly quoted.
std::optional<QString> takeQuoted(QString& rest) {
    if (!rest.startsWith(u'"')) return std::nullopt;
    QString value;
    for (qsizetype i = 1; i < rest.size(); ++i) {
        if (rest[i] != u'"') {
            value += rest[i];
        } else if (i + 1 < rest.size() && rest[i + 1] == u'"') {
            value += u'"';
            ++i;
        } else {
            if (i + 1 < rest.size() && rest[i + 1] != tab) return std::nullopt;
            rest.remove(0, std::min(i + 2, rest.size()));
            return value;
        }
    }
    return std::nullopt;
}

// A channel line: ID, name, type, frequency, audio offset. In a quoted file
// the name and the type are quoted values.
std::optional<PlanRow> parseChannelLine(QString rest, bool quoted) {
    const auto takeText = [&] { return quoted ? takeQuoted(rest) : takeToken(rest); };
    const auto id = takeToken(rest);
    const auto name = takeText();
    const auto type = takeText();
    const auto freq = takeToken(rest);
    const auto audio1 = takeToken(rest);
    if (!id || !name || !type || !freq || !audio1) return std::nullopt;
    const auto idValue = toId(*id);
    const auto freqValue = wholeTextNumber(*freq);
    const auto audio1Value = wholeTextNumber(*audio1);
    if (!idValue || !freqValue || !audio1Value) return std::nullopt;
    return PlanRow{*idValue, *name, *type, *freqValue, *audio1Value};
}

// In a quoted file a channel line is known by its first value, an ID.
bool startsWithId(const QString& line) {
    const qsizetype tabAt = line.indexOf(tab);
    return tabAt > 0 && toId(line.left(tabAt)).has_value();
}

} // namespace

bool planFileCanCarry(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 && c != tab) return false;
    return true;
}

QString formatPlanText(const QString& title, const std::vector<PlanRow>& rows,
                       const std::vector<PlanFileFooterLine>& footer) {
    const bool quoted = std::any_of(rows.begin(), rows.end(), [](const PlanRow& row) {
        return !plainLinesCanCarry(row.name) || !plainLinesCanCarry(row.type);
    });
    const auto textOf = quoted ? quotedValue : textValue;
    QString text = title + lineEnd + (quoted ? quotedColumnHeader : columnHeader) + lineEnd;
    for (const PlanRow& row : rows) {
        for (const QString& value : {QString::number(row.id), textOf(row.name), textOf(row.type),
                                     shortestDecimal(row.freq), shortestDecimal(row.audio1)})
            text += value + tab;
        text += lineEnd;
    }
    for (const PlanFileFooterLine& line : footer)
        text += line.label + tab + line.value + lineEnd;
    return text;
}

std::optional<PlanFileContent> parsePlanText(const QString& text) {
    const QStringList lines = splitLines(text);
    if (lines.isEmpty()) return std::nullopt;
    PlanFileContent content;
    content.title = lines.front();
    const bool quoted = lines.contains(quotedColumnHeader);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (quoted && line != quotedColumnHeader && startsWithId(line)) {
            auto row = parseChannelLine(line, true);
            if (!row) return std::nullopt;
            content.rows.push_back(std::move(*row));
        } else if (line.contains(u'*')) {
            if (content.footerValues.size() == maxFooterLines) return std::nullopt;
            const qsizetype tabAt = line.indexOf(tab);
            content.footerValues << (tabAt < 0 ? line : line.mid(tabAt + 1));
        } else if (line.contains(QStringLiteral("ID"))) {
            continue; // the column header, or a line that looks like it
        } else {
            auto row = parseChannelLine(line, false);
            if (!row) return std::nullopt;
            content.rows.push_back(std::move(*row));
        }
    }
    return content;
}

} // namespace plandex
