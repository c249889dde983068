// Code pages on POSIX: conversions through iconv, and the system's code page
// from the locale environment as Windows would tie it to the same locale.
#include "codepage_conversion.h"
#include "last_failure.h"
#include "locale_code_pages.h"

#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <map>
#include <stdexcept>

namespace sondrel {
namespace {

// One converter per direction and code set, kept for the thread's life and
// closed when the thread ends: opening one costs more than most of the texts
// it converts.
class Converter {
  public:
    Converter() = default;
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (cd_ != Closed) iconv_close(cd_);
    }
    iconv_t open(const std::string& to, const std::string& from, const CodePage& codePage) {
        if (cd_ == Closed) cd_ = iconv_open(to.c_str(), from.c_str());
        if (cd_ == Closed) {
            const std::string text =
                (codePage.number() ? "code page " + std::to_string(codePage.number())
                                   : "code set " + codePage.name()) +
                " is not available: the system's iconv has no converter for " + codePage.name() +
                "";
            recordFailure(FailureKind::CodePage, text);
            throw std::runtime_error(text);
        }
        return cd_;
    }

  private:
    static inline const iconv_t Closed = reinterpret_cast<iconv_t>(-1);
    iconv_t cd_ = Closed;
};

iconv_t converter(const std::string& to, const std::string& from, const CodePage& codePage) {
    thread_local std::map<std::pair<std::string, std::string>, Converter> open;
    return open[{to, from}].open(to, from, codePage);
}

std::optional<std::string> convert(const std::string& to, const std::string& from,
                                   const CodePage& codePage, const std::string& input) {
    iconv_t cd = converter(to, from, codePage);
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (true) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        // Once the input is used up, one more call without input gives what the
        // converter still holds: Windows-1255 and 1258 keep the last letter back
        // in case a combining mark follows.
        const bool flushing = inLeft == 0;
        const size_t rc = iconv(cd, flushing ? nullptr : &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1)) {
            if (flushing) break;
            continue;
        }
        if (errno == E2BIG) continue;
        return std::nullopt; // EILSEQ or an incomplete sequence at the end
    }
    return out;
}

} // namespace

std::optional<std::string> strictDecode(const CodePage& codePage, const std::string& bytes) {
    return convert("UTF-8", codePage.name(), codePage, bytes);
}

std::optional<std::string> strictEncode(const CodePage& codePage, const std::string& utf8) {
    return convert(codePage.name(), "UTF-8", codePage, utf8);
}

unsigned systemAnsiCodePage() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* value = std::getenv(name); value && *value)
            return ansiCodePageOfLocale(value);
    return 1252;
}

} // namespace sondrel
