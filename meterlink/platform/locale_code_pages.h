// The ANSI code page Windows ties to each language and territory, for systems
// that name their locale as POSIX does ("ru_RU.UTF-8", "sr_RS@latin").
#pragma once

#include <string>

namespace sondrel {

// 1250 Central European, 1251 Cyrillic, 1253 Greek, 1254 Turkish, 1255 Hebrew,
// 1256 Arabic, 1257 Baltic, 1258 Vietnamese, 874 Thai, 932 Japanese, 936
// Chinese (PRC, Singapore), 949 Korean, 950 Chinese (Taiwan, Hong Kong, Macao);
// 1252 for every other locale, "C" and "POSIX" among them.
unsigned ansiCodePageOfLocale(const std::string& locale);

} // namespace sondrel
