// Channel plan commands: plan reads (0x66), plan and header writes (0x67), user
// names (0x71), and the active plan slot (0x27 read, 0x28 select). Reads answer
// in the form of what the slot holds; writes are stored once their last packet
// arrived with every packet number and count in order. A packet that breaks
// the sequence drops the write in progress and gets no answer.
#include "common/plan_codec_packets.h"
#include "handlers.h"

#include <algorithm>

namespace korvane::sim {
namespace {

using sondrel::Bytes;
using sondrel::Reply;
using Kind = PendingPlanWrite::Kind;

std::optional<Bytes> acknowledge(std::uint8_t command) {
    return makeReply(command, sondrel::PlanAnswerLength);
}

// Entries of a stored plan as the bytes they were sent as.
template <typename Entry, std::size_t Size, typename Pack>
Bytes packedEntries(const std::vector<Entry>& entries, Pack pack) {
    Bytes bytes(entries.size() * Size);
    for (std::size_t i = 0; i < entries.size(); ++i)
        pack(entries[i], std::span(bytes).subspan(i * Size).template first<Size>());
    return bytes;
}

// Packets a read of the slot takes: entry packets (at least one, so the first
// reply always has its form) and, for an analogue plan, the header packet.
std::uint8_t readPacketCount(const PlanSlot& slot) {
    if (const auto* analog = std::get_if<AnalogPlan>(&slot.plan))
        return static_cast<std::uint8_t>(
            std::max<std::size_t>(1, sondrel::analogEntryPacketCount(analog->channels.size())) + 1);
    const auto& digital = std::get<DigitalPlan>(slot.plan);
    return static_cast<std::uint8_t>(
        std::max<std::size_t>(1, sondrel::digitalPacketCount(digital.channels.size())));
}

Bytes readPacket(const PlanSlot& slot, std::uint8_t slotNumber, std::uint8_t k) {
    const std::uint8_t packets = readPacketCount(slot);
    const bool first = k == 1;
    if (const auto* analog = std::get_if<AnalogPlan>(&slot.plan)) {
        if (k == packets)
            return makeReply(sondrel::CmdReadPlan, sondrel::HeadPacketLength,
                             sondrel::analogHeadPacket(packets, analog->head));
        const Bytes entries = packedEntries<sondrel::AnalogEntry, sondrel::AnalogEntrySize>(
            analog->channels, sondrel::packAnalogEntry);
        return makeReply(sondrel::CmdReadPlan,
                         first ? sondrel::AnalogFirstPacketLength : sondrel::AnalogNextPacketLength,
                         sondrel::analogEntryPacket(
                             packets, k, static_cast<std::uint8_t>(analog->channels.size()),
                             slotNumber, entries));
    }
    const auto& digital = std::get<DigitalPlan>(slot.plan);
    const Bytes entries = packedEntries<sondrel::DigitalEntry, sondrel::DigitalEntrySize>(
        digital.channels, sondrel::packDigitalEntry);
    return makeReply(sondrel::CmdReadPlan,
                     first ? sondrel::DigitalFirstPacketLength : sondrel::DigitalNextPacketLength,
                     sondrel::digitalEntryPacket(packets, k,
                                                 static_cast<std::uint8_t>(digital.channels.size()),
                                                 slotNumber, entries));
}

// 0x66 with a slot starts a read at its packet 1; 0x66 alone asks for the next.
std::optional<Bytes> answerRead(PlanMemory& memory, const ReceivedFrame& frame) {
    const auto params = frame.params();
    if (params.size() == 1) {
        if (params[0] >= PlanSlotCount) return std::nullopt;
        memory.read = PlanReadCursor{params[0], 1};
    } else if (!params.empty()) {
        return std::nullopt;
    }
    if (!memory.read) return std::nullopt;
    PlanReadCursor& cursor = *memory.read;
    const PlanSlot& slot = memory.slots[cursor.slot];
    Bytes reply = readPacket(slot, cursor.slot, cursor.nextPacket);
    if (++cursor.nextPacket > readPacketCount(slot)) memory.read.reset();
    return reply;
}

// Packet count, packet number, channel count and slot of a first packet.
struct FirstPacket {
    std::uint8_t packets, number, channels, slot;
};
FirstPacket firstPacketOf(const Reply& packet, std::size_t slotPos) {
    return {packet.byte(sondrel::PacketCountPos), packet.byte(sondrel::PacketNumberPos),
            packet.byte(sondrel::ChannelCountPos), packet.byte(slotPos)};
}

// The write in progress when this packet is its next one; else nothing, and
// the broken write is dropped.
PendingPlanWrite* continuedWrite(PlanMemory& memory, const Reply& packet, Kind kind) {
    PendingPlanWrite* write = memory.write ? &*memory.write : nullptr;
    if (!write || write->kind != kind || packet.byte(sondrel::PacketCountPos) != write->packets ||
        packet.byte(sondrel::PacketNumberPos) != write->nextPacket) {
        memory.write.reset();
        return nullptr;
    }
    ++write->nextPacket;
    return write;
}

// Starts a write with its first packet; packet 2 comes next.
PendingPlanWrite& beginWrite(PlanMemory& memory, Kind kind, const FirstPacket& first) {
    PendingPlanWrite& write = memory.write.emplace();
    write.kind = kind;
    write.packets = first.packets;
    write.nextPacket = 2;
    write.channels = first.channels;
    write.slot = first.slot;
    return write;
}

template <typename Entries>
void append(std::vector<typename Entries::value_type>& to, const Entries& entries) {
    to.insert(to.end(), entries.begin(), entries.end());
}

void storeAnalog(PlanMemory& memory, const PendingPlanWrite& write,
                 const sondrel::HeadEntry& head) {
    AnalogPlan plan{{write.analog.begin(), write.analog.begin() + write.channels}, head};
    memory.slots[write.slot].plan = std::move(plan);
}

void storeDigital(PlanMemory& memory, const PendingPlanWrite& write) {
    DigitalPlan plan{{write.digital.begin(), write.digital.begin() + write.channels}};
    memory.slots[write.slot].plan = std::move(plan);
}

// Complete six-byte groups, less the all-zero ones that pad the last packet.
void storeUserNames(PlanMemory& memory, const PendingPlanWrite& write) {
    std::vector<sondrel::UserNameEntry> names;
    for (std::size_t at = 0; at + sondrel::UserNameEntrySize <= write.names.size();
         at += sondrel::UserNameEntrySize)
        names.push_back(sondrel::unpackUserNameEntry(
            std::span(write.names).subspan(at).first<sondrel::UserNameEntrySize>()));
    while (!names.empty() && names.back() == sondrel::UserNameEntry{})
        names.pop_back();
    memory.slots[write.slot].userNames = std::move(names);
}

std::optional<Bytes> startAnalogWrite(PlanMemory& memory, const Reply& packet) {
    memory.write.reset();
    const FirstPacket first = firstPacketOf(packet, sondrel::SlotPos);
    if (first.number != 1 || first.channels == 0 || first.slot >= PlanSlotCount ||
        first.packets != sondrel::analogEntryPacketCount(first.channels) + 1)
        return std::nullopt;
    append(beginWrite(memory, Kind::Analog, first).analog, sondrel::analogEntriesIn(packet, 1));
    return acknowledge(sondrel::CmdCarryPlan);
}

std::optional<Bytes> continueAnalogWrite(PlanMemory& memory, const Reply& packet) {
    PendingPlanWrite* write = continuedWrite(memory, packet, Kind::Analog);
    if (!write || packet.byte(sondrel::PacketNumberPos) >= write->packets) {
        memory.write.reset(); // the header packet has its own length
        return std::nullopt;
    }
    append(write->analog, sondrel::analogEntriesIn(packet, packet.byte(sondrel::PacketNumberPos)));
    return acknowledge(sondrel::CmdCarryPlan);
}

// The header alone (packet 1 of 1) goes to the active slot's analogue plan;
// otherwise it is the last packet of an analogue plan.
std::optional<Bytes> takeHeadPacket(PlanMemory& memory, const Reply& packet) {
    const sondrel::HeadEntry head = sondrel::headEntryIn(packet);
    if (packet.byte(sondrel::PacketCountPos) == 1 && packet.byte(sondrel::PacketNumberPos) == 1) {
        memory.write.reset();
        if (auto* analog = std::get_if<AnalogPlan>(&memory.slots[memory.activeSlot].plan))
            analog->head = head;
        return acknowledge(sondrel::CmdCarryPlan);
    }
    PendingPlanWrite* write = continuedWrite(memory, packet, Kind::Analog);
    if (!write || packet.byte(sondrel::PacketNumberPos) != write->packets) {
        memory.write.reset();
        return std::nullopt;
    }
    storeAnalog(memory, *write, head);
    memory.write.reset();
    return acknowledge(sondrel::CmdCarryPlan);
}

// Stores a digital or user-name write whose last packet just arrived.
void finishIfComplete(PlanMemory& memory) {
    const PendingPlanWrite& write = *memory.write;
    if (write.nextPacket <= write.packets) return;
    if (write.kind == Kind::Digital)
        storeDigital(memory, write);
    else
        storeUserNames(memory, write);
    memory.write.reset();
}

std::optional<Bytes> startDigitalWrite(PlanMemory& memory, const Reply& packet) {
    memory.write.reset();
    const FirstPacket first = firstPacketOf(packet, sondrel::SlotPos);
    if (first.number != 1 || first.channels == 0 || first.slot >= PlanSlotCount ||
        first.packets != sondrel::digitalPacketCount(first.channels))
        return std::nullopt;
    append(beginWrite(memory, Kind::Digital, first).digital, sondrel::digitalEntriesIn(packet, 1));
    finishIfComplete(memory);
    return acknowledge(sondrel::CmdCarryPlan);
}

std::optional<Bytes> continueDigitalWrite(PlanMemory& memory, const Reply& packet) {
    PendingPlanWrite* write = continuedWrite(memory, packet, Kind::Digital);
    if (!write) return std::nullopt;
    append(write->digital,
           sondrel::digitalEntriesIn(packet, packet.byte(sondrel::PacketNumberPos)));
    finishIfComplete(memory);
    return acknowledge(sondrel::CmdCarryPlan);
}

std::optional<Bytes> answerPlanWrite(PlanMemory& memory, const ReceivedFrame& frame) {
    const Reply packet(frame.bytes);
    switch (frame.bytes.size()) {
    case sondrel::AnalogFirstPacketLength:
        return startAnalogWrite(memory, packet);
    case sondrel::AnalogNextPacketLength:
        return continueAnalogWrite(memory, packet);
    case sondrel::HeadPacketLength:
        return takeHeadPacket(memory, packet);
    case sondrel::DigitalFirstPacketLength:
        return startDigitalWrite(memory, packet);
    case sondrel::DigitalNextPacketLength:
        return continueDigitalWrite(memory, packet);
    default:
        memory.write.reset();
        return std::nullopt;
    }
}

std::optional<Bytes> answerUserNames(PlanMemory& memory, const ReceivedFrame& frame) {
    const Reply packet(frame.bytes);
    PendingPlanWrite* write = nullptr;
    if (frame.bytes.size() == sondrel::UserNameFirstPacketLength) {
        memory.write.reset();
        const FirstPacket first{packet.byte(sondrel::PacketCountPos),
                                packet.byte(sondrel::PacketNumberPos), 0,
                                packet.byte(sondrel::UserNameSlotPos)};
        if (first.number != 1 || first.packets == 0 || first.slot >= PlanSlotCount)
            return std::nullopt;
        write = &beginWrite(memory, Kind::UserNames, first);
    } else if (frame.bytes.size() == sondrel::UserNameNextPacketLength) {
        write = continuedWrite(memory, packet, Kind::UserNames);
    } else {
        memory.write.reset();
    }
    if (!write) return std::nullopt;
    const auto names =
        packet.slice(sondrel::userNameBlockStart(packet.byte(sondrel::PacketNumberPos)),
                     sondrel::UserNameBytesPerPacket);
    write->names.insert(write->names.end(), names.begin(), names.end());
    finishIfComplete(memory);
    return acknowledge(sondrel::CmdCarryUserNames);
}

} // namespace

void registerPlanCommands(CommandTable& table, MeterState& state) {
    table.on(sondrel::CmdReadPlan,
             [&state](const ReceivedFrame& f) { return answerRead(state.plans, f); });
    table.on(sondrel::CmdCarryPlan,
             [&state](const ReceivedFrame& f) { return answerPlanWrite(state.plans, f); });
    table.on(sondrel::CmdCarryUserNames,
             [&state](const ReceivedFrame& f) { return answerUserNames(state.plans, f); });
    table.on(sondrel::CmdReadPlanNumber, [&state](const ReceivedFrame& f) {
        return makeReply(f.command(), sondrel::PlanNumberReplyLength,
                         Bytes{state.plans.activeSlot});
    });
    // A slot beyond E leaves the selection as it is; the reply tells which is active.
    table.on(sondrel::CmdSelectPlan, [&state](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (f.params().size() != 1) return std::nullopt;
        if (f.params()[0] < PlanSlotCount) state.plans.activeSlot = f.params()[0];
        return makeReply(f.command(), sondrel::PlanNumberReplyLength,
                         Bytes{state.plans.activeSlot});
    });
}

} // namespace korvane::sim
