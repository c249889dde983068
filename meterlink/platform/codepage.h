// Conversion between UTF-8 text and the bytes of an ANSI code page (GBK or
// Windows-1252), through iconv.
#pragma once

#include <optional>
#include <string>

namespace sondrel {

class CodePage {
  public:
    // name: an iconv code set such as "GBK" or "WINDOWS-1252".
    explicit CodePage(std::string name);
    // The code page of the running system (see system_language.h).
    static CodePage system();

    const std::string& name() const { return name_; }

    // Bytes of the text, or nullopt when a character has no form in this code page.
    std::optional<std::string> encode(const std::string& utf8) const;
    // Text of the bytes; a byte sequence with no meaning becomes U+FFFD.
    std::string decode(const std::string& bytes) const;
    // Text of a single byte, as a one-byte character code maps through the code page.
    std::string decodeByte(unsigned char byte) const;

  private:
    std::string name_;
};

} // namespace sondrel
