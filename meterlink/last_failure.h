// Why the last call failed. Every member keeps its result (1 done, 0 failed),
// as automation clients expect; a client that wants to tell the user more asks
// afterwards what went wrong on the calling thread's last call: the kind, for
// its own message in its own language, and the library's text with the detail
// (the device, the system's reason).
//
// Each member call starts by forgetting the previous failure, so the record
// always belongs to the thread's last call; a call that succeeds leaves None.
#pragma once

#include <cstddef>
#include <string>

namespace sondrel {

// Stable numbers: clients that load the library at run time compare them.
enum class FailureKind : int {
    None = 0,        // the last call did not fail
    NoDevice = 1,    // no device behind the port number, or it went away
    Permission = 2,  // the user may not open the device
    InUse = 3,       // another program holds the port
    NoAnswer = 4,    // the meter said nothing, or not all of its reply
    WrongAnswer = 5, // bytes came, but not the reply to the command sent
    CodePage = 6,    // a text has no code in the code page, or the code page is missing
    Cancelled = 7,   // the caller stopped the call (transfer observer)
    Other = 8,       // anything else; the text says what
};

struct Failure {
    FailureKind kind = FailureKind::None;
    std::string text;
};

// Forgets the calling thread's failure (the start of a member call).
void clearLastFailure();
// Records why the calling thread's call fails. The first cause recorded in a
// call wins: a low layer knows the reason better than the member that gives up.
void recordFailure(FailureKind kind, std::string text);
// The calling thread's last failure.
Failure lastFailure();

// Short English name of a kind ("no device", "permission", ...), for logs and
// machine-readable output.
constexpr const char* failureKindName(FailureKind kind) {
    switch (kind) {
    case FailureKind::None:
        return "none";
    case FailureKind::NoDevice:
        return "no device";
    case FailureKind::Permission:
        return "permission";
    case FailureKind::InUse:
        return "in use";
    case FailureKind::NoAnswer:
        return "no answer";
    case FailureKind::WrongAnswer:
        return "wrong answer";
    case FailureKind::CodePage:
        return "code page";
    case FailureKind::Cancelled:
        return "cancelled";
    case FailureKind::Other:
        break;
    }
    return "other";
}

} // namespace sondrel

// C entry point for clients that load the library at run time. Copies the
// text (UTF-8, cut to fit and always terminated when size > 0) and returns the
// kind as its number.
extern "C" int SondrelLastFailure(char* text, std::size_t size);
