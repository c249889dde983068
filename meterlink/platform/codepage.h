// Conversion between UTF-8 text and the bytes of a Windows ANSI code page
// (1252, GBK, 1251, ...). Decoding is lossless: every byte sequence becomes
// text that encodes back to the same bytes, so a name read from the meter or
// from a plan file can always be written back unchanged. A byte that means
// nothing on its own becomes a stand-in character of its own: bytes 80-9F the
// control character of the same number (as Windows does with the five
// undefined Windows-1252 bytes), other bytes U+F700 plus the byte, a private
// use character.
#pragma once

#include <optional>
#include <string>

namespace sondrel {

class CodePage {
  public:
    // name: "GBK", "WINDOWS-1252", "CP1251", ...: a code page of the table in
    // codepage.cpp, or any other code set the platform's conversion knows.
    explicit CodePage(std::string name);
    // number: an ANSI code page number such as 936 or 1252.
    explicit CodePage(unsigned number);
    // The code page of the running system (LC_ALL, LC_CTYPE or LANG on POSIX).
    static CodePage system();

    const std::string& name() const { return name_; }
    // The Windows code page number; 0 for a code set that has none here.
    unsigned number() const { return number_; }

    // Bytes of the text, or nullopt when a character has no form in this code page.
    std::optional<std::string> encode(const std::string& utf8) const;
    // Text of the bytes, losslessly (see above).
    std::string decode(const std::string& bytes) const;
    // Text of a single byte, as a one-byte character code maps through the code page.
    std::string decodeByte(unsigned char byte) const;

  private:
    std::string name_;
    unsigned number_ = 0;
};

} // namespace sondrel
