// Code pages on Windows: the system's own strict conversions
// (MultiByteToWideChar and WideCharToMultiByte) and its ANSI code page (GetACP).
// The lossless rules on top of them are shared (codepage.cpp).
#include "codepage_conversion.h"
#include "last_failure.h"

#include <windows.h>

#include <stdexcept>

namespace sondrel {
namespace {

// The code page's number, when the system has its tables.
UINT windowsNumberOf(const CodePage& codePage) {
    if (codePage.number() == 0 || !IsValidCodePage(codePage.number())) {
        const std::string text =
            (codePage.number() ? "code page " + std::to_string(codePage.number())
                               : "code set " + codePage.name()) +
            " is not available on this system";
        recordFailure(FailureKind::CodePage, text);
        throw std::runtime_error(text);
    }
    return codePage.number();
}

std::optional<std::wstring> wideOf(UINT codePage, DWORD flags, const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int count = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, flags, bytes.data(), count, nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), count, out.data(), n);
    return out;
}

// Bytes of wide text; nullopt when a character has no form. No best-fit
// mapping: a character the code page cannot hold fails instead of becoming a
// look-alike.
std::optional<std::string> bytesOf(UINT codePage, const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int count = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), count, nullptr, 0, nullptr,
                                      usedDefaultOut);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), count, out.data(), n, nullptr,
                        usedDefaultOut);
    return out;
}

} // namespace

std::optional<std::string> strictDecode(const CodePage& codePage, const std::string& bytes) {
    const auto wide = wideOf(windowsNumberOf(codePage), MB_ERR_INVALID_CHARS, bytes);
    if (!wide) return std::nullopt;
    return bytesOf(CP_UTF8, *wide);
}

std::optional<std::string> strictEncode(const CodePage& codePage, const std::string& utf8) {
    const auto wide = wideOf(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
    if (!wide) return std::nullopt;
    return bytesOf(windowsNumberOf(codePage), *wide);
}

unsigned systemAnsiCodePage() {
    return GetACP();
}

} // namespace sondrel
