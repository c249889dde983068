#include "plan_codec_packets.h"

#include "plan_codec_numbers.h"

namespace sondrel {
namespace {

constexpr std::size_t AnalogBlockBytes = AnalogEntriesPerPacket * AnalogEntrySize;    // 63
constexpr std::size_t DigitalBlockBytes = DigitalEntriesPerPacket * DigitalEntrySize; // 80

std::size_t ceilingDivision(std::size_t a, std::size_t b) {
    return (a + b - 1) / b;
}

// Appends bytes offset .. offset+count-1 of source, those beyond its end as 0.
void appendSlice(Bytes& out, std::span<const std::uint8_t> source, std::size_t offset,
                 std::size_t count) {
    for (std::size_t i = offset; i < offset + count; ++i)
        out.push_back(i < source.size() ? source[i] : 0);
}

// P, k, and for packet 1 the fields that only it carries.
Bytes packetStart(std::uint8_t packets, std::uint8_t number,
                  std::initializer_list<std::uint8_t> firstPacketFields) {
    Bytes params{packets, number};
    if (number == 1)
        for (std::uint8_t field : firstPacketFields)
            params.push_back(field);
    return params;
}

// Bytes of a plan of `entrySize`-byte entries, element i at (i - 1) * entrySize.
template <typename Record, typename Pack>
Bytes encodePlan(const SafeArray<Record>& plan, std::size_t entrySize, Pack pack) {
    const std::int32_t upper = plan.upperBound();
    if (plan.lowerBound < 1 && !plan.empty())
        throw PlanValueDoesNotFit("plan array starts below index 1");
    Bytes bytes(upper > 0 ? static_cast<std::size_t>(upper) * entrySize : 0, 0);
    for (std::int32_t i = plan.lowerBound; i <= upper; ++i)
        pack(plan.at(i),
             std::span(bytes).subspan(static_cast<std::size_t>(i - 1) * entrySize, entrySize));
    return bytes;
}

} // namespace

std::size_t blockStart(int blockNumber) {
    return blockNumber == 1 ? 9 : 7;
}

std::size_t userNameBlockStart(int blockNumber) {
    return blockNumber == 1 ? 8 : 7;
}

std::size_t analogEntryPacketCount(std::size_t channels) {
    return ceilingDivision(channels, AnalogEntriesPerPacket);
}

std::size_t digitalPacketCount(std::size_t channels) {
    return ceilingDivision(channels, DigitalEntriesPerPacket);
}

std::size_t userNamePacketCount(std::size_t channels) {
    return ceilingDivision(channels * UserNameEntrySize, UserNameBytesPerPacket);
}

Bytes EncodeAnalogPlan(const SafeArray<Channellist>& plan, const CodePage& codePage) {
    return encodePlan(
        plan, AnalogEntrySize, [&](const Channellist& channel, std::span<std::uint8_t> out) {
            packAnalogEntry(analogEntryOf(channel, codePage), out.first<AnalogEntrySize>());
        });
}

Bytes EncodeDigitalPlan(const SafeArray<ChannellistDigi>& plan, const CodePage& codePage) {
    return encodePlan(
        plan, DigitalEntrySize, [&](const ChannellistDigi& channel, std::span<std::uint8_t> out) {
            packDigitalEntry(digitalEntryOf(channel, codePage), out.first<DigitalEntrySize>());
        });
}

Bytes encodeUserNames(const SafeArray<Channellist>& plan, const CodePage& codePage) {
    Bytes bytes(plan.size() * UserNameEntrySize + 1, 0);
    for (std::size_t i = 0; i < plan.size(); ++i)
        packUserNameEntry(
            userNameEntryOf(plan.items[i], codePage),
            std::span(bytes).subspan(i * UserNameEntrySize).first<UserNameEntrySize>());
    return bytes;
}

Bytes analogEntryPacket(std::uint8_t packets, std::uint8_t number, std::uint8_t channels,
                        std::uint8_t slot, std::span<const std::uint8_t> plan) {
    Bytes params = packetStart(packets, number, {channels, slot});
    appendSlice(params, plan, (number - 1u) * AnalogBlockBytes, AnalogBlockBytes);
    params.push_back(0);
    return params;
}

Bytes analogHeadPacket(std::uint8_t packets, const HeadEntry& head) {
    Bytes params{packets, packets};
    params.resize(params.size() + HeadEntrySize);
    packHeadEntry(head, std::span(params).subspan(2).first<HeadEntrySize>());
    return params;
}

Bytes digitalEntryPacket(std::uint8_t packets, std::uint8_t number, std::uint8_t channels,
                         std::uint8_t slot, std::span<const std::uint8_t> plan) {
    Bytes params = packetStart(packets, number, {channels, slot});
    appendSlice(params, plan, (number - 1u) * DigitalBlockBytes, DigitalBlockBytes);
    return params;
}

Bytes userNamePacket(std::uint8_t packets, std::uint8_t number, std::uint8_t slot,
                     std::span<const std::uint8_t> names) {
    Bytes params = packetStart(packets, number, {slot});
    appendSlice(params, names, (number - 1u) * UserNameBytesPerPacket, UserNameBytesPerPacket);
    return params;
}

std::array<AnalogEntry, AnalogEntriesPerPacket> analogEntriesIn(const Reply& packet,
                                                                int blockNumber) {
    std::array<AnalogEntry, AnalogEntriesPerPacket> entries;
    const std::size_t start = blockStart(blockNumber);
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = unpackAnalogEntry(
            packet.slice(start + i * AnalogEntrySize, AnalogEntrySize).first<AnalogEntrySize>());
    return entries;
}

std::array<DigitalEntry, DigitalEntriesPerPacket> digitalEntriesIn(const Reply& packet,
                                                                   int blockNumber) {
    std::array<DigitalEntry, DigitalEntriesPerPacket> entries;
    const std::size_t start = blockStart(blockNumber);
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = unpackDigitalEntry(
            packet.slice(start + i * DigitalEntrySize, DigitalEntrySize).first<DigitalEntrySize>());
    return entries;
}

HeadEntry headEntryIn(const Reply& packet) {
    return unpackHeadEntry(packet.slice(HeadPos, HeadEntrySize).first<HeadEntrySize>());
}

std::array<Channellist, AnalogEntriesPerPacket>
DecodeAnalogBlock(const Reply& packet, int blockNumber, const CodePage& codePage) {
    std::array<Channellist, AnalogEntriesPerPacket> channels;
    const auto entries = analogEntriesIn(packet, blockNumber);
    for (std::size_t i = 0; i < entries.size(); ++i)
        channels[i] = analogChannelOf(entries[i], codePage);
    return channels;
}

std::array<ChannellistDigi, DigitalEntriesPerPacket>
DecodeDigitalBlock(const Reply& packet, int blockNumber, const CodePage& codePage) {
    std::array<ChannellistDigi, DigitalEntriesPerPacket> channels;
    const auto entries = digitalEntriesIn(packet, blockNumber);
    for (std::size_t i = 0; i < entries.size(); ++i)
        channels[i] = digitalChannelOf(entries[i], codePage);
    return channels;
}

} // namespace sondrel
