#include "reply_search.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <optional>

namespace sondrel {
namespace {

bool passes(std::span<const std::uint8_t> frame, ChecksumRule rule) {
    const unsigned sum = std::accumulate(frame.begin(), frame.end() - 1, 0u);
    const unsigned complement = 256 - sum % 256; // 1..256
    const unsigned last = frame.back();
    switch (rule) {
    case ChecksumRule::Checksum:
        return checksumMatches(frame);
    case ChecksumRule::ChecksumOrPlainSum:
        // Some meters send the plain sum; a sum of 0 mod 256 is matched by a 0.
        return last == complement || last + complement == 256;
    case ChecksumRule::Complement:
        return last == complement;
    case ChecksumRule::None:
        break;
    }
    return true;
}

// Whether the bytes from `start` on agree with the expected header as far as
// they go (a frame cut off by the end of what came may still complete).
bool headerAgrees(std::span<const std::uint8_t> from, const ExpectedReply& expected) {
    const std::uint8_t header[] = {FrameStart0, FrameStart1, FrameStart2, expected.length,
                                   expected.command};
    const std::size_t count = std::min(from.size(), std::size(header));
    return std::equal(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(count), header);
}

} // namespace

ReplySearch findReply(std::span<const std::uint8_t> received, const ExpectedReply& expected,
                      ReplyCheck mode) {
    using Status = ReplySearch::Status;
    const std::size_t n = expected.length;
    if (n == 0) return {};
    if (mode == ReplyCheck::ChecksumOnly) {
        if (received.size() < n) return {Status::Incomplete, 0};
        return {passes(received.first(n), expected.rule) ? Status::Accepted : Status::BadChecksum,
                0};
    }
    std::optional<ReplySearch> badChecksum;
    std::optional<std::size_t> incomplete;
    for (std::size_t start = 0; start < received.size(); ++start) {
        const auto from = received.subspan(start);
        if (!headerAgrees(from, expected)) continue;
        if (from.size() < n) {
            if (!incomplete) incomplete = start;
            continue;
        }
        if (passes(from.first(n), expected.rule)) return {Status::Accepted, start};
        if (!badChecksum) badChecksum = ReplySearch{Status::BadChecksum, start};
    }
    if (incomplete) return {Status::Incomplete, *incomplete};
    if (badChecksum) return *badChecksum;
    return {};
}

std::string describeBytes(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t Shown = 12;
    std::string text = std::to_string(bytes.size()) + (bytes.size() == 1 ? " byte" : " bytes");
    if (bytes.empty()) return text;
    text += ":";
    char hex[4];
    for (std::size_t i = 0; i < std::min(bytes.size(), Shown); ++i) {
        std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
        text += hex;
    }
    if (bytes.size() > Shown) text += " ...";
    return text;
}

} // namespace sondrel
