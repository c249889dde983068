// The members of the connection against a meter that answers anything: each
// frame the member sends is answered by the next reply of the input, with no
// waits. Covers every reply decoder behind the members (plans, measurements,
// stored file headers and pages, settings, screen blocks) and the paths that
// follow a short, long or unchecked reply.
//
// Input: one byte choosing the member, then per frame sent: a mode byte (bit 0:
// make the reply's last byte its checksum) and a counted run of reply bytes.
#include "fuzz_input.h"
#include "member_calls.h"
#include "scripted_serial_device.h"

#include "frame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane::fuzzing;
    FuzzInput input(data, size);
    const auto calls = memberCalls();
    const MemberCall& member = calls[input.byte() % calls.size()];
    auto device = std::make_unique<ScriptedSerialDevice>([&input](std::span<const std::uint8_t>) {
        const std::uint8_t mode = input.byte();
        auto reply = input.counted();
        if ((mode & 1) && !reply.empty())
            reply.back() = sondrel::frameChecksum(std::span(reply).first(reply.size() - 1));
        return reply;
    });
    const Connection connection = connectionOn(std::move(device));
    member.call(*connection);
    return 0;
}
