// How the library recognises the meter's reply to a command. By default a
// reply is a frame: it starts with 55 AA 01, its length byte is the length
// expected and its command byte is the command sent, so stray bytes, an
// adapter's echo and a late reply to another command are skipped. A meter
// whose replies carry another header can be served with the older rule that
// looks only at the checksum of the first bytes that came, chosen with the
// environment variable SONDREL_REPLY_CHECK=checksum.
#pragma once

#include <cstdlib>
#include <string_view>

namespace sondrel {

enum class ReplyCheck {
    Frame,       // start bytes, length, command and checksum
    ChecksumOnly // the checksum of the first bytes that came, whatever they are
};

inline constexpr const char* ReplyCheckVariable = "SONDREL_REPLY_CHECK";

// The rule in force, read from the environment on every call.
inline ReplyCheck replyCheckMode() {
    const char* value = std::getenv(ReplyCheckVariable);
    return value && std::string_view(value) == "checksum" ? ReplyCheck::ChecksumOnly
                                                          : ReplyCheck::Frame;
}

// One line for a client's diagnostics.
inline constexpr const char* replyCheckDescription(ReplyCheck mode) {
    return mode == ReplyCheck::ChecksumOnly
               ? "replies checked by checksum only (SONDREL_REPLY_CHECK=checksum)"
               : "replies checked as frames: start bytes, length, command and checksum";
}

} // namespace sondrel
