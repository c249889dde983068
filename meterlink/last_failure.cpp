#include "last_failure.h"

#include <algorithm>
#include <cstring>

namespace sondrel {
namespace {
thread_local Failure last;
} // namespace

void clearLastFailure() {
    last = {};
}

void recordFailure(FailureKind kind, std::string text) {
    if (last.kind != FailureKind::None) return;
    last = {kind, std::move(text)};
}

Failure lastFailure() {
    return last;
}

} // namespace sondrel

extern "C" __attribute__((visibility("default"))) int SondrelLastFailure(char* text,
                                                                         std::size_t size) {
    const sondrel::Failure failure = sondrel::lastFailure();
    if (text && size > 0) {
        std::size_t n = std::min(size - 1, failure.text.size());
        // Cut before a character, never inside one.
        while (n > 0 && n < failure.text.size() && (failure.text[n] & 0xC0) == 0x80)
            --n;
        std::memcpy(text, failure.text.data(), n);
        text[n] = '\0';
    }
    return static_cast<int>(failure.kind);
}
