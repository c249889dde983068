// Channel names and user names travel as the bytes of their text in the
// system's ANSI code page. A channel name fills a field of a few bytes, so a
// double-byte character (GBK, Big5, ...) takes two of them; a user name is one
// byte per character. A name read from the meter decodes as one text, the way
// stored-file names do, and encodes back to the same bytes.
#pragma once

#include "platform/codepage.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sondrel {

// The characters of UTF-8 text, one string each; throws PlanValueDoesNotFit on
// bytes that are not UTF-8.
std::vector<std::string> charactersOf(const std::string& text);

// Fills a name field with the bytes of the name: its characters from the
// front as far as they fit whole, then spaces in front ("S1" becomes " S1" in
// three bytes). Throws PlanValueDoesNotFit, and records a code page failure
// naming the character, when one has no code.
void fillNameField(const std::string& text, std::span<std::uint8_t> field,
                   const CodePage& codePage);

// The text of received name bytes, decoded as one text.
std::string nameOfCodes(std::span<const std::uint8_t> codes, const CodePage& codePage);

// The code of one character in the code page; throws PlanValueDoesNotFit (and
// records a code page failure) when it is not a single byte there.
std::uint8_t characterCode(const std::string& character, const CodePage& codePage);

} // namespace sondrel
