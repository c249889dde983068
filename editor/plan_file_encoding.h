// Plan text files are stored in the system's ANSI code page, as the Windows
// editor writes them: GBK on a Chinese system, the locale's code page on any
// other (Windows-1252 in western locales, 1251 in Cyrillic ones, ...).
#pragma once

#include "platform/codepage.h" // sondrel::CodePage

#include <QByteArray>
#include <QString>
#include <optional>

namespace plandex {

// The ANSI code page that goes with the interface language (LanguageOffset 0
// is Chinese) on this system.
sondrel::CodePage ansiCodePageFor(int languageOffset);

// Bytes of the text, or nullopt when a character has no form in the code page.
std::optional<QByteArray> encodeAnsi(const QString& text, const sondrel::CodePage& codePage);

// Text of a plan file's bytes, or nullopt when the bytes are not text: control
// characters other than TAB, CR and LF (a NUL above all) mark a binary file.
std::optional<QString> decodePlanFileBytes(const QByteArray& bytes,
                                           const sondrel::CodePage& codePage);

} // namespace plandex
