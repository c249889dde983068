// CodePage over the system's own conversions (MultiByteToWideChar and
// WideCharToMultiByte), with the system's ANSI code page from GetACP.
#include "codepage.h"

#include <windows.h>

#include <cctype>
#include <stdexcept>

namespace sondrel {
namespace {

// Windows code page number of a code set name: "GBK" 936, "WINDOWS-1252" 1252, "CP936" 936.
UINT codePageNumber(const std::string& name) {
    std::string upper;
    for (char c : name)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "GBK") return 936;
    for (const char* prefix : {"WINDOWS-", "CP"})
        if (upper.rfind(prefix, 0) == 0)
            return static_cast<UINT>(std::stoul(upper.substr(std::string(prefix).size())));
    throw std::runtime_error("code page not available: " + name);
}

std::wstring wideOfUtf8(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string utf8OfWide(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

// Text of bytes that form valid characters of the code page; nullopt otherwise.
std::optional<std::wstring> strictWide(UINT codePage, const char* bytes, int count) {
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, count, nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, count, out.data(), n);
    return out;
}

} // namespace

CodePage::CodePage(std::string name) : name_(std::move(name)) {}

CodePage CodePage::system() {
    return CodePage("CP" + std::to_string(GetACP()));
}

std::optional<std::string> CodePage::encode(const std::string& utf8) const {
    const UINT codePage = codePageNumber(name_);
    const std::wstring wide = wideOfUtf8(utf8);
    if (wide.empty()) return std::string();
    BOOL usedDefault = FALSE;
    // No best-fit mapping: a character the code page cannot hold is a failure,
    // not a look-alike.
    const int n =
        WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                            static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        out.data(), n, nullptr, &usedDefault);
    return out;
}

std::string CodePage::decode(const std::string& bytes) const {
    const UINT codePage = codePageNumber(name_);
    if (auto whole = strictWide(codePage, bytes.data(), static_cast<int>(bytes.size())))
        return utf8OfWide(*whole);
    // Some sequence has no meaning: decode character by character, each
    // meaningless byte becoming U+FFFD.
    std::wstring out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const bool lead =
            i + 1 < bytes.size() && IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[i]));
        const int width = lead ? 2 : 1;
        if (auto character = strictWide(codePage, bytes.data() + i, width)) {
            out += *character;
            i += static_cast<std::size_t>(width);
        } else {
            out += L'\xFFFD';
            ++i;
        }
    }
    return utf8OfWide(out);
}

std::string CodePage::decodeByte(unsigned char byte) const {
    return decode(std::string(1, static_cast<char>(byte)));
}

} // namespace sondrel
