// Channel names and user names travel one byte per character: the character's
// code in the system's ANSI code page. A character the code page cannot hold in
// a single byte (a double-byte GBK character, or none at all) cannot be sent.
#pragma once

#include "platform/codepage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sondrel {

// The characters of UTF-8 text, one string each; throws PlanValueDoesNotFit on
// bytes that are not UTF-8.
std::vector<std::string> charactersOf(const std::string& text);

// The characters of text given spaces in front until there are `count`, then
// cut to the first `count`: "S1" becomes " ", "S", "1" for three.
std::vector<std::string> paddedCharacters(const std::string& text, std::size_t count);

// The code of one character in the code page; throws PlanValueDoesNotFit when
// it is not a single byte there.
std::uint8_t characterCode(const std::string& character, const CodePage& codePage);

// The character a received code stands for in the code page.
std::string characterOfCode(std::uint8_t code, const CodePage& codePage);

} // namespace sondrel
