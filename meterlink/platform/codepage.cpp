#include "codepage.h"

#include "system_language.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace sondrel {
namespace {

// Windows-1252 leaves five bytes without a character; Windows maps each to the
// control character of the same number (0x81 to U+0081) and back, so a text
// file holding them reads and writes unchanged. iconv knows no such mapping.
bool isWestEuropean(const std::string& name) {
    return name == "WINDOWS-1252" || name == "CP1252";
}
bool isWindows1252Hole(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

// Converts all of input; nullopt on a character the target cannot hold. With
// replaceInvalid, undecodable input bytes become U+FFFD instead.
std::optional<std::string> convert(const std::string& to, const std::string& from,
                                   const std::string& input, bool replaceInvalid) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("code page not available: " + from + " -> " + to);
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (true) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, inLeft ? &in : nullptr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1)) {
            if (inLeft == 0) break;
            continue;
        }
        if (errno == E2BIG) continue;
        const auto next = inLeft > 0 ? static_cast<unsigned char>(*in) : 0;
        if (errno == EILSEQ && isWestEuropean(from) && isWindows1252Hole(next)) {
            out += {'\xC2', static_cast<char>(next)};
            ++in;
            --inLeft;
            continue;
        }
        if (errno == EILSEQ && isWestEuropean(to) && inLeft >= 2 && next == 0xC2 &&
            isWindows1252Hole(static_cast<unsigned char>(in[1]))) {
            out += in[1];
            in += 2;
            inLeft -= 2;
            continue;
        }
        if ((errno == EILSEQ || errno == EINVAL) && replaceInvalid && inLeft > 0) {
            out += "\xEF\xBF\xBD";
            ++in;
            --inLeft;
            continue;
        }
        iconv_close(cd);
        return std::nullopt;
    }
    iconv_close(cd);
    return out;
}

} // namespace

CodePage::CodePage(std::string name) : name_(std::move(name)) {}

CodePage CodePage::system() {
    return CodePage(ansiCodePageOf(systemDefaultLanguageId()));
}

std::optional<std::string> CodePage::encode(const std::string& utf8) const {
    return convert(name_, "UTF-8", utf8, false);
}

std::string CodePage::decode(const std::string& bytes) const {
    return *convert("UTF-8", name_, bytes, true);
}

std::string CodePage::decodeByte(unsigned char byte) const {
    return decode(std::string(1, static_cast<char>(byte)));
}

} // namespace sondrel
