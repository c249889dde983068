#include "plan_codec_text.h"

#include "plan_codec_numbers.h"

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

std::vector<std::string> paddedCharacters(const std::string& text, std::size_t count) {
    std::vector<std::string> characters = charactersOf(text);
    if (characters.size() < count)
        characters.insert(characters.begin(), count - characters.size(), " ");
    characters.resize(count);
    return characters;
}

std::uint8_t characterCode(const std::string& character, const CodePage& codePage) {
    const auto bytes = codePage.encode(character);
    if (!bytes || bytes->size() != 1)
        throw PlanValueDoesNotFit("character " + character + " has no one-byte code in " +
                                  codePage.name());
    return static_cast<std::uint8_t>((*bytes)[0]);
}

std::string characterOfCode(std::uint8_t code, const CodePage& codePage) {
    return codePage.decodeByte(code);
}

} // namespace sondrel
