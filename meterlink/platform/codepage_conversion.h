// What each platform supplies for code pages: a strict conversion between one
// code page and UTF-8, and which code page is the system's. One implementation
// per platform (iconv and the locale environment on POSIX); the lossless rules
// on top of them (codepage.cpp) are shared.
#pragma once

#include "codepage.h"

#include <optional>
#include <string>

namespace sondrel {

// UTF-8 text of the bytes; nullopt when any byte sequence has no meaning.
std::optional<std::string> strictDecode(const CodePage& codePage, const std::string& bytes);
// Bytes of the UTF-8 text; nullopt when any character has no form.
std::optional<std::string> strictEncode(const CodePage& codePage, const std::string& utf8);

// The ANSI code page number of the running system.
unsigned systemAnsiCodePage();

} // namespace sondrel
