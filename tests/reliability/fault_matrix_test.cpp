// Every multi-packet member against every way the meter can spoil one reply,
// at the first, a middle and the last packet of the transfer, on the simulated
// meter over a real pseudo-terminal. Each cell checks the member's result and
// what it leaves behind, that its time stays within what the waits allow for
// the packets it sent, and that a reply arriving late never reaches the next
// command. The cells run side by side, one simulated meter each, and the test
// prints the whole matrix.
#include "fault_matrix_members.h"
#include "meter_simulator.h"
#include "simulated_meter.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <sstream>
#include <thread>

namespace korvane::testing {
namespace {

using sim::FaultKind;
using Seconds = std::chrono::duration<double>;

// A column of the matrix: a fault of the member's own replies, or (lateOther)
// a reply to another command that comes late, during the member's first packet.
struct Column {
    FaultKind kind;
    std::string name;
    bool lateOther = false;
};
const std::vector<Column> Columns = {
    {FaultKind::NoReply, "noreply"},      {FaultKind::Truncate, "truncate"},
    {FaultKind::BadChecksum, "badsum"},   {FaultKind::PlainSum, "plainsum"},
    {FaultKind::Extra, "extra"},          {FaultKind::Garbage, "garbage"},
    {FaultKind::Delay, "delay"},          {FaultKind::Close, "close"},
    {FaultKind::Delay, "lateother", true}};
const std::vector<std::pair<PacketPosition, std::string>> Positions = {
    {PacketPosition::First, "first"},
    {PacketPosition::Middle, "middle"},
    {PacketPosition::Last, "last"}};

const sondrel::ExchangeTiming Waits{};
// The protocol lets a wait for a reply end up to one second after its limit of one second.
constexpr Seconds LongestReplyWait{2.0};
constexpr Seconds ShortestReplyWait{1.0};
// A reply held back this long arrives after the wait for it has ended, and
// before the next exchange has sent its frame.
const auto LateBy = Waits.replyWait + std::chrono::milliseconds(200);
// The volume read whose reply comes this late lands just after the member's
// first frame went out, in the wait for its answer.
constexpr std::uint8_t CmdReadVolume = 0x19;
const auto LateOtherBy = Waits.replyWait + Waits.pauseBeforeSend + std::chrono::milliseconds(100);

// Cells in flight at once: one simulated meter on its own port each.
constexpr int ParallelCells = 16;

struct Cell {
    const MatrixMember* member;
    FaultKind kind;
    std::size_t column;
    bool lateOther;
    std::string kindName;
    std::string positionName;
    int packet;
    std::string rule = {};
    std::int16_t expected = 0;
    char restsOn = 0;
    MemberRun run = {};
    bool nextCommandClean = false;
    double seconds = 0;
    double longest = 0;
    double shortest = 0;
    std::string failure = {};
};

std::string ruleFor(const MatrixMember& member, const Column& column, int packet) {
    const FaultKind kind = column.kind;
    const std::string& kindName = column.name;
    std::ostringstream rule;
    if (column.lateOther) {
        rule << std::hex << int(CmdReadVolume) << std::dec << ":delay=" << LateOtherBy.count()
             << ",times=1";
        return rule.str();
    }
    rule << std::hex << int(member.command) << std::dec << ':' << kindName;
    switch (kind) {
    case FaultKind::Truncate:
        rule << '=' << member.replyLength(packet) - 1; // one byte short
        break;
    case FaultKind::Extra:
        rule << "=4";
        break;
    case FaultKind::Garbage:
        rule << "=3";
        break;
    case FaultKind::Delay:
        rule << '=' << LateBy.count();
        break;
    default:
        break;
    }
    rule << ",after=" << packet - 1 << ",times=1";
    return rule.str();
}

// Exchanges the member makes: up to the spoilt packet when that ends it, else
// all of them (a change of the link may finish the transfer before failing).
double longestTime(const Cell& cell) {
    const MatrixMember& m = *cell.member;
    const int exchanges = cell.expected == 0 && !cell.restsOn ? cell.packet : m.packets;
    const Seconds pause = std::chrono::duration_cast<Seconds>(Waits.pauseBeforeSend);
    const Seconds each =
        m.routine == Routine::Exchange ? pause + LongestReplyWait : LongestReplyWait;
    // The late volume read before the member is timed with it.
    const Seconds before = cell.lateOther ? pause + LongestReplyWait : Seconds{0};
    return (before + each * exchanges).count();
}

double shortestTime(const Cell& cell) {
    const bool waitsOut = cell.kind == FaultKind::NoReply || cell.kind == FaultKind::Truncate ||
                          cell.kind == FaultKind::Delay; // lateOther: the volume read waits out
    return waitsOut ? ShortestReplyWait.count() : 0.0;
}

void runCell(Cell& cell, int port, const std::string& portsFolder) {
    sim::SimulatorOptions options;
    options.comNumber = port;
    options.portsFolder = portsFolder;
    sim::MeterSimulator meter(options);
    meter.withState([&](sim::MeterState& s) { cell.member->prepare(s); });
    meter.faults().add(sim::parseFaultRule(cell.rule));
    meter.start();
    {
        ConnectionHandle link = makeConnection();
        link->put_PortDevice(static_cast<std::int16_t>(port));
        const auto start = std::chrono::steady_clock::now();
        if (cell.lateOther) {
            std::uint8_t volume = 0;
            std::int16_t result = 0;
            link->ReadSLMVolume(&volume, &result);
        }
        cell.run = cell.member->run(*link, meter);
        cell.seconds = Seconds(std::chrono::steady_clock::now() - start).count();
        // The next command gets its own reply, never a late one of the member;
        // after a hang-up it fails.
        sondrel::UserPlanNumber slot = sondrel::UserPlanE;
        std::int16_t result = -1;
        link->ReadPlanNum(&slot, &result);
        const auto active = meter.withState([](sim::MeterState& s) { return s.plans.activeSlot; });
        cell.nextCommandClean = cell.kind == FaultKind::Close
                                    ? result == 0
                                    : result == 1 && slot == static_cast<int>(active);
    }
    meter.stop();
    cell.longest = longestTime(cell);
    cell.shortest = shortestTime(cell);
    std::ostringstream failure;
    if (cell.run.result != cell.expected)
        failure << "result " << cell.run.result << ", expected " << cell.expected << "; ";
    if (!cell.run.outputAsPromised) failure << "out-parameter not as promised; ";
    if (!cell.nextCommandClean) failure << "the next command did not get its own reply; ";
    if (cell.seconds > cell.longest || cell.seconds < cell.shortest)
        failure << "took " << cell.seconds << " s, allowed " << cell.shortest << " to "
                << cell.longest << " s; ";
    cell.failure = failure.str();
}

void printMatrix(const std::vector<MatrixMember>& members, const std::vector<Cell>& cells) {
    std::printf("\nFault matrix: result (expected when different), seconds; "
                "[a] [b] [c]: rests on the link changes for short answers to sent packets,\n"
                "failed later screen blocks and late replies; '!' marks a failed cell; "
                "lateother: a late reply to another command during the first packet.\n\n");
    std::printf("%-22s %-7s", "member", "packet");
    for (const auto& column : Columns)
        std::printf(" %-13s", column.name.c_str());
    std::printf("\n");
    for (const MatrixMember& member : members)
        for (const auto& [position, positionName] : Positions) {
            const int packet = packetAt(member, position);
            std::printf("%-22s %-7s", member.name.c_str(),
                        (positionName + " " + std::to_string(packet)).c_str());
            for (std::size_t k = 0; k < Columns.size(); ++k) {
                const auto c = std::ranges::find_if(cells, [&](const Cell& cell) {
                    return cell.member == &member && cell.positionName == positionName &&
                           cell.column == k;
                });
                if (c == cells.end()) {
                    std::printf(" %-13s", "-");
                    continue;
                }
                char text[32];
                std::string result = std::to_string(c->run.result);
                if (c->run.result != c->expected) result += "(" + std::to_string(c->expected) + ")";
                std::string marks;
                if (c->restsOn) marks += std::string("[") + c->restsOn + "]";
                if (c->kind == FaultKind::Delay) marks += "[c]";
                if (!c->failure.empty()) marks += "!";
                std::snprintf(text, sizeof text, "%s %.1f%s", result.c_str(), c->seconds,
                              marks.c_str());
                std::printf(" %-13s", text);
            }
            std::printf("\n");
        }
    std::fflush(stdout);
}

TEST(FaultMatrix, EveryMultiPacketMemberAgainstEveryFaultAtFirstMiddleAndLastPacket) {
    const std::vector<MatrixMember> members = matrixMembers();
    std::vector<Cell> cells;
    for (const MatrixMember& member : members)
        for (const auto& [position, positionName] : Positions)
            for (std::size_t k = 0; k < Columns.size(); ++k) {
                const Column& column = Columns[k];
                // A late reply to another command comes once, before the first packet.
                if (column.lateOther && position != PacketPosition::First) continue;
                const int packet = packetAt(member, position);
                Cell cell{&member,     column.kind,  k,     column.lateOther,
                          column.name, positionName, packet};
                cell.rule = ruleFor(member, column, packet);
                cell.expected = column.lateOther ? 1 : member.expected(column.kind, packet);
                cell.restsOn = column.lateOther ? 0 : member.restsOn(column.kind, packet);
                cells.push_back(cell);
            }

    TempDir portsFolder;
    ::setenv("SONDREL_PORTS", portsFolder.str().c_str(), 1);
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < ParallelCells; ++w)
        workers.emplace_back([&, port = w + 1] {
            for (std::size_t i = next++; i < cells.size(); i = next++)
                runCell(cells[i], port, portsFolder.str());
        });
    for (auto& worker : workers)
        worker.join();
    ::unsetenv("SONDREL_PORTS");

    printMatrix(members, cells);
    for (const Cell& cell : cells)
        EXPECT_TRUE(cell.failure.empty()) << cell.member->name << " with " << cell.rule << " ("
                                          << cell.positionName << " packet): " << cell.failure;
}

} // namespace
} // namespace korvane::testing
