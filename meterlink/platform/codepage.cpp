// The lossless rules of codepage.h over the platform's strict conversions.
#include "codepage.h"

#include "codepage_conversion.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace sondrel {
namespace {

// The ANSI code pages a system can have, by number and by the name the
// conversions know them under.
constexpr std::array<std::pair<unsigned, const char*>, 14> AnsiCodePages{{
    {874, "CP874"},
    {932, "CP932"},
    {936, "GBK"},
    {949, "CP949"},
    {950, "CP950"},
    {1250, "WINDOWS-1250"},
    {1251, "WINDOWS-1251"},
    {1252, "WINDOWS-1252"},
    {1253, "WINDOWS-1253"},
    {1254, "WINDOWS-1254"},
    {1255, "WINDOWS-1255"},
    {1256, "WINDOWS-1256"},
    {1257, "WINDOWS-1257"},
    {1258, "WINDOWS-1258"},
}};

unsigned numberOfName(const std::string& name) {
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const auto& [number, known] : AnsiCodePages) {
        const std::string digits = std::to_string(number);
        if (upper == known || upper == "CP" + digits || upper == "WINDOWS-" + digits) return number;
    }
    return 0;
}

std::string nameOfNumber(unsigned number) {
    for (const auto& [known, name] : AnsiCodePages)
        if (known == number) return name;
    return "CP" + std::to_string(number);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The characters of UTF-8 text with their code points; a malformed byte is
// one character with no code point.
struct Utf8Character {
    std::size_t start, length;
    std::optional<char32_t> code;
};
std::vector<Utf8Character> utf8Characters(const std::string& text) {
    std::vector<Utf8Character> out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                   : (lead & 0xF8) == 0xF0 ? 4
                                                           : 0;
        if (length == 0 || i + length > text.size()) {
            out.push_back({i, 1, std::nullopt});
            ++i;
            continue;
        }
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back({i, length, code});
        i += length;
    }
    return out;
}

// The stand-in character of a byte that means nothing on its own.
char32_t standInOf(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? char32_t{byte} : char32_t{0xF700u + byte};
}

// The byte a stand-in character stands for.
std::optional<unsigned char> byteOfStandIn(char32_t c) {
    if (c >= 0x80 && c <= 0x9F) return static_cast<unsigned char>(c);
    if (c >= 0xF700 && c <= 0xF7FF) return static_cast<unsigned char>(c - 0xF700);
    return std::nullopt;
}

// Windows-1252 is built in: it is the code page of every locale the system
// maps to no other, so it must work where the platform's conversions are
// missing (a system without iconv's conversion modules). Characters of bytes
// 80-9F, 0 where the byte is undefined; A0-FF are U+00A0-U+00FF.
constexpr std::array<char16_t, 32> Windows1252HighControls{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<std::string> decodeWindows1252(const std::string& bytes) {
    std::string out;
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        const char32_t c =
            byte >= 0x80 && byte < 0xA0 ? Windows1252HighControls[byte - 0x80] : byte;
        if (c == 0 && byte != 0) return std::nullopt;
        appendUtf8(out, c);
    }
    return out;
}

std::optional<std::string> encodeWindows1252(const std::string& utf8) {
    std::string out;
    for (const auto& character : utf8Characters(utf8)) {
        if (!character.code) return std::nullopt;
        const char32_t c = *character.code;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        const auto* found =
            std::find(Windows1252HighControls.begin(), Windows1252HighControls.end(), c);
        if (c == 0 || found == Windows1252HighControls.end()) return std::nullopt;
        out += static_cast<char>(0x80 + (found - Windows1252HighControls.begin()));
    }
    return out;
}

bool isAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Strict conversions: ASCII is the same in every ANSI code page and 1252 is
// built in, so neither needs the platform; every other text goes through it.
std::optional<std::string> decodeStrictly(const CodePage& codePage, const std::string& bytes) {
    if (codePage.number() != 0 && isAscii(bytes)) return bytes;
    if (codePage.number() == 1252) return decodeWindows1252(bytes);
    return strictDecode(codePage, bytes);
}

std::optional<std::string> encodeStrictly(const CodePage& codePage, const std::string& utf8) {
    if (codePage.number() != 0 && isAscii(utf8)) return utf8;
    if (codePage.number() == 1252) return encodeWindows1252(utf8);
    return strictEncode(codePage, utf8);
}

bool holdsStandIn(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) &&
           std::ranges::any_of(utf8Characters(text), [](const Utf8Character& c) {
               return !c.code || byteOfStandIn(*c.code);
           });
}

} // namespace

CodePage::CodePage(std::string name) : name_(std::move(name)), number_(numberOfName(name_)) {}

CodePage::CodePage(unsigned number) : name_(nameOfNumber(number)), number_(number) {}

CodePage CodePage::system() {
    return CodePage(systemAnsiCodePage());
}

std::string CodePage::decode(const std::string& bytes) const {
    // Most texts convert as a whole and come back the same.
    if (auto text = decodeStrictly(*this, bytes);
        text && !holdsStandIn(*text) && encodeStrictly(*this, *text) == bytes)
        return *text;
    // Otherwise one character of one or two bytes at a time: one that converts
    // and comes back the same is taken, else the first byte gets its stand-in.
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t taken = 0;
        for (std::size_t length = 1; length <= 2 && i + length <= bytes.size() && !taken;
             ++length) {
            const std::string piece = bytes.substr(i, length);
            const auto text = decodeStrictly(*this, piece);
            if (text && utf8Characters(*text).size() == 1 && !holdsStandIn(*text) &&
                encodeStrictly(*this, *text) == piece) {
                out += *text;
                taken = length;
            }
        }
        if (!taken) {
            appendUtf8(out, standInOf(static_cast<unsigned char>(bytes[i])));
            taken = 1;
        }
        i += taken;
    }
    return out;
}

std::optional<std::string> CodePage::encode(const std::string& utf8) const {
    std::string out;
    std::size_t runStart = 0;
    const auto flushRun = [&](std::size_t end) {
        if (end == runStart) return true;
        const auto bytes = encodeStrictly(*this, utf8.substr(runStart, end - runStart));
        if (bytes) out += *bytes;
        return bytes.has_value();
    };
    for (const auto& c : utf8Characters(utf8)) {
        const auto byte = c.code ? byteOfStandIn(*c.code) : std::nullopt;
        if (!byte) continue;
        // A stand-in is the form of its byte only where that byte alone means nothing.
        std::string standIn;
        appendUtf8(standIn, *c.code);
        if (decodeByte(*byte) != standIn || !flushRun(c.start)) return std::nullopt;
        out += static_cast<char>(*byte);
        runStart = c.start + c.length;
    }
    if (!flushRun(utf8.size())) return std::nullopt;
    return out;
}

std::string CodePage::decodeByte(unsigned char byte) const {
    return decode(std::string(1, static_cast<char>(byte)));
}

} // namespace sondrel
