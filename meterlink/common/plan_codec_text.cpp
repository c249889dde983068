#include "plan_codec_text.h"

#include "last_failure.h"
#include "plan_codec_numbers.h"

#include <algorithm>

namespace sondrel {
namespace {

// Bytes in the UTF-8 sequence that starts with this byte; 0 when it starts none.
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

std::string codePageTitle(const CodePage& codePage) {
    return codePage.number() ? "code page " + std::to_string(codePage.number()) : codePage.name();
}

[[noreturn]] void characterHasNoCode(const std::string& character, const CodePage& codePage,
                                     const std::string& how) {
    const std::string text =
        "the character \"" + character + "\" has " + how + " in " + codePageTitle(codePage);
    recordFailure(FailureKind::CodePage, text);
    throw PlanValueDoesNotFit(text);
}

// The bytes of one character; throws when it has none.
std::string codesOf(const std::string& character, const CodePage& codePage) {
    auto bytes = codePage.encode(character);
    if (!bytes || bytes->empty()) characterHasNoCode(character, codePage, "no code");
    return *bytes;
}

} // namespace

std::vector<std::string> charactersOf(const std::string& text) {
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = sequenceLength(static_cast<unsigned char>(text[i]));
        if (length == 0 || i + length > text.size())
            throw PlanValueDoesNotFit("text is not UTF-8: " + text);
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                throw PlanValueDoesNotFit("text is not UTF-8: " + text);
        characters.push_back(text.substr(i, length));
        i += length;
    }
    return characters;
}

void fillNameField(const std::string& text, std::span<std::uint8_t> field,
                   const CodePage& codePage) {
    std::string bytes;
    for (const std::string& character : charactersOf(text)) {
        if (bytes.size() == field.size()) break;
        const std::string codes = codesOf(character, codePage);
        if (bytes.size() + codes.size() > field.size()) break;
        bytes += codes;
    }
    const auto blanks = field.size() - bytes.size();
    std::fill_n(field.begin(), blanks, std::uint8_t{' '});
    std::copy(bytes.begin(), bytes.end(), field.begin() + static_cast<std::ptrdiff_t>(blanks));
}

std::string nameOfCodes(std::span<const std::uint8_t> codes, const CodePage& codePage) {
    return codePage.decode(std::string(codes.begin(), codes.end()));
}

std::uint8_t characterCode(const std::string& character, const CodePage& codePage) {
    const std::string bytes = codesOf(character, codePage);
    if (bytes.size() != 1) characterHasNoCode(character, codePage, "no one-byte code");
    return static_cast<std::uint8_t>(bytes[0]);
}

} // namespace sondrel
