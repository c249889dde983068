#include "validation_rules.h"

#include "Form2.h"
#include "validation_numbers.h"

#include <QList>
#include <algorithm>

namespace plandex {
namespace {

constexpr float lowestFreq = 46.0f;
constexpr float highestFreq = 1000.0f;

bool onlyDigits(const QString& text, bool pointAllowed) {
    return std::all_of(text.begin(), text.end(), [pointAllowed](QChar c) {
        return (c >= u'0' && c <= u'9') || (pointAllowed && c == u'.');
    });
}

// The code page's one-byte code of a character; 0 when it takes no byte or more than one.
int singleByteCode(char32_t character, const sondrel::CodePage& codePage) {
    const auto bytes = codePage.encode(QString::fromUcs4(&character, 1).toStdString());
    if (!bytes || bytes->size() != 1) return 0;
    return static_cast<unsigned char>(bytes->front());
}

} // namespace

std::optional<int> checkStdCh(const QString& name, const sondrel::CodePage& codePage) {
    const QList<uint> characters = name.toUcs4();
    if (characters.isEmpty() || characters.size() > 3) return CheckText::StdChLength;
    for (const uint character : characters) {
        const int code = singleByteCode(character, codePage);
        if (code < 1 || code > 254) return CheckText::StdChCharacters;
    }
    return std::nullopt;
}

bool planFilesCanCarry(const QString& name) {
    return !name.contains(u'*') && !name.contains(u'\t') && !name.contains(u'"') &&
           !name.contains(QStringLiteral("ID"));
}

bool isValidType(const QString& type) {
    return type == u"TV" || type == u"DIGI";
}

std::optional<int> checkFrequency(float freq, float audio1) {
    if (freq < lowestFreq || freq > highestFreq) return CheckText::FreqRange;
    const double half = audio1 / 2.0;
    const float upper = static_cast<float>(freq + half);
    const float lower = static_cast<float>(freq - half);
    if (upper > highestFreq || lower < lowestFreq) return CheckText::FreqAgainstAudio1;
    return std::nullopt;
}

std::optional<HeaderFieldFailure> checkHeaderFields(const HeaderTexts& texts, int changed) {
    for (const int field : FavouriteElements) {
        const QString& text = texts[field];
        if (!onlyDigits(text, false)) return HeaderFieldFailure{field, CheckText::FavouriteId};
        const double value = leadingNumber(text);
        if (value > 250 || value < 0) return HeaderFieldFailure{field, CheckText::FavouriteId};
    }
    if (changed != SpanElement) return std::nullopt;
    const QString& span = texts[SpanElement];
    if (!onlyDigits(span, true)) return HeaderFieldFailure{SpanElement, std::nullopt};
    const double value = leadingNumber(span);
    if ((value > 9.9 || value < 4.0) && !span.trimmed().isEmpty())
        return HeaderFieldFailure{SpanElement, CheckText::Span};
    return std::nullopt;
}

} // namespace plandex
