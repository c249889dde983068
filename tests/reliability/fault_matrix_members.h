// The multi-packet members of the connection as rows of the fault matrix: how
// to set the simulated meter up for a transfer of three or more packets, how
// to run the member, and what it must give when one packet's reply is spoilt.
#pragma once

#include "KorvaneConnection.h"
#include "faults.h"
#include "meter_simulator.h"
#include "meter_state.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace korvane::testing {

enum class PacketPosition { First, Middle, Last };

// How the member reaches the wire for its packets; the waits differ.
enum class Routine { Exchange, SendAndWait };

struct MemberRun {
    std::int16_t result = 0;
    // What the member leaves in its out-parameter agrees with its result: the
    // whole transfer on 1 (for a send, what the meter stored), the caller's
    // value untouched on 0 where the member promises that.
    bool outputAsPromised = true;
};

struct MatrixMember {
    std::string name;
    std::uint8_t command; // the command whose replies the fault spoils
    int packets;          // exchanges of a whole transfer
    Routine routine;
    std::function<std::size_t(int packet)> replyLength;
    std::function<void(sim::MeterState&)> prepare;
    std::function<MemberRun(sondrel::KorvaneConnection&, sim::MeterSimulator&)> run;
    // The result when the reply to packet `packet` suffers `kind`.
    std::function<std::int16_t(sim::FaultKind kind, int packet)> expected;
    // The change of the link this expectation rests on, if any (a letter that
    // the printed matrix shows beside the cell).
    std::function<char(sim::FaultKind kind, int packet)> restsOn;
};

std::vector<MatrixMember> matrixMembers();

int packetAt(const MatrixMember& member, PacketPosition position);

} // namespace korvane::testing
