// The one place that recognises a reply among the bytes that came from the
// port: where it starts, whether it has come whole, and whether it passes the
// checksum rule of the routine waiting for it.
#pragma once

#include "frame.h"
#include "reply_check.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace sondrel {

enum class ChecksumRule {
    Checksum,           // the last byte makes the frame sum to 0
    ChecksumOrPlainSum, // 256 - sum mod 256 (1..256), or the plain sum: the retry's rule
    Complement,         // 256 - sum mod 256 only: the retry's last attempt
    None                // not tested (replies the library only decodes)
};

// The reply a routine waits for.
struct ExpectedReply {
    std::uint8_t command;
    std::uint8_t length; // N
    ChecksumRule rule;
};

struct ReplySearch {
    enum class Status {
        Accepted,    // a whole reply that passes its rule
        BadChecksum, // a whole reply of the right header whose checksum fails
        Incomplete,  // a reply may still complete once more bytes come
        NotFound     // nothing so far can be the reply
    };
    Status status = Status::NotFound;
    // Where the reply starts (Accepted, BadChecksum) or where the reply that
    // may still complete starts (Incomplete).
    std::size_t offset = 0;
};

// Looks for the expected reply in the bytes that came. With the frame check,
// a reply starts with 55 AA 01 and carries the expected length and command;
// the first whole one that passes is taken, and a whole one that fails only
// its checksum counts once nothing before or after it may still complete.
// With the checksum check, the reply is the first N bytes, as they are.
ReplySearch findReply(std::span<const std::uint8_t> received, const ExpectedReply& expected,
                      ReplyCheck mode);

// A short description of bytes that came, for a failure's text: the first
// few in hexadecimal and how many there were.
std::string describeBytes(std::span<const std::uint8_t> bytes);

} // namespace sondrel
