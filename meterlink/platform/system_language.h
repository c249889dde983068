// The system's language, as the Windows editor and library see it, derived
// here from the locale environment (its code page: codepage.h).
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

} // namespace sondrel
