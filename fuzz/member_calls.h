// Every member of the connection that reads a reply of the meter, as one call
// each with fixed, valid arguments. The reply fuzz target and the program that
// writes its seed corpus pick members from this one list.
#pragma once

#include "KorvaneConnection.h"

#include <functional>
#include <memory>
#include <span>
#include <string_view>

namespace korvane::fuzzing {

struct MemberCall {
    std::string_view name;
    // Calls the member; checks what its result promises.
    std::function<void(sondrel::KorvaneConnection&)> call;
};

std::span<const MemberCall> memberCalls();
// Whether the member called last succeeded (result 1; for SLMType, a model).
bool lastMemberSucceeded();

// A connection whose serial control talks to `device`, without the pauses and
// waits a real line needs.
struct ConnectionRelease {
    void operator()(sondrel::KorvaneConnection* c) const { c->Release(); }
};
using Connection = std::unique_ptr<sondrel::KorvaneConnection, ConnectionRelease>;
Connection connectionOn(std::unique_ptr<sondrel::SerialDevice> device);

} // namespace korvane::fuzzing
