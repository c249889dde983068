// The system's language and its ANSI code page, as the Windows editor and
// library see them, derived here from the locale environment.
#pragma once

#include <cstdint>
#include <string>

namespace sondrel {

inline constexpr std::uint16_t LangIdChinesePrc = 2052;
inline constexpr std::uint16_t LangIdChineseTaiwan = 1028;
inline constexpr std::uint16_t LangIdEnglishUs = 1033;

// Language identifier of a locale name such as "zh_CN.UTF-8" or "en_US".
std::uint16_t languageIdOfLocale(const std::string& locale);

// Language identifier of the running system: LC_ALL, else LC_MESSAGES, else LANG
// (the first one set); 1033 when none is set or it is "C"/"POSIX". On Windows,
// the system's default language.
std::uint16_t systemDefaultLanguageId();

// ANSI code page name for a language: GBK (code page 936) for Chinese (PRC),
// WINDOWS-1252 for everything else.
std::string ansiCodePageOf(std::uint16_t languageId);

} // namespace sondrel
