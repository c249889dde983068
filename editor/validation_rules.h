// The rules behind the entry checks, apart from any widget: each returns the
// text id of the message a failed check shows, or nothing when the value passes.
#pragma once

#include "platform/codepage.h" // sondrel::CodePage

#include <QString>
#include <array>
#include <optional>

namespace plandex {

// Text ids of the check messages.
namespace CheckText {
inline constexpr int StdChLength = 26;
inline constexpr int FreqRange = 27;
inline constexpr int FreqAgainstAudio1 = 30;
inline constexpr int BadType = 39;
inline constexpr int StdChCharacters = 59;
inline constexpr int FavouriteId = 67;
inline constexpr int Span = 29;
} // namespace CheckText

// STD CH: 1 to 3 characters, each stored by the ANSI code page in one byte
// with a code from 1 to 254. A character the code page cannot hold in one byte
// is refused on every system, since it could not travel to the meter.
std::optional<int> checkStdCh(const QString& name, const sondrel::CodePage& codePage);

// False for a STD CH the plan files cannot carry: a '*' or the letters "ID"
// mark a line the file reader takes for the header or the footer, a TAB
// separates the fields and double quotes enclose a field.
bool planFilesCanCarry(const QString& name);

// Type: exactly "TV" or "DIGI".
bool isValidType(const QString& type);

// Freq f with Audio1 a, both single precision as the working row holds them:
// f within 46..1000, and f ± a/2 within 46..1000 with each sum rounded to
// single precision before it is compared.
std::optional<int> checkFrequency(float freq, float audio1);

// Texts of the side panel's header fields, indexed like Text1 (Form2.h names
// the favourite and span elements).
using HeaderTexts = std::array<QString, 7>;

// What one run of the header check does: clear `field`, after showing
// `messageId` when there is one.
struct HeaderFieldFailure {
    int field;
    std::optional<int> messageId;
    bool operator==(const HeaderFieldFailure&) const = default;
};

// The first failing header field after element `changed` changed: the
// favourites always (digits only, 0..250), the span only when it is the field
// that changed (digits and '.', 4.0..9.9 unless blank).
std::optional<HeaderFieldFailure> checkHeaderFields(const HeaderTexts& texts, int changed);

} // namespace plandex
