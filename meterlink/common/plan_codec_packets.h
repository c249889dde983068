// The packets that carry a channel plan. A plan travels the same way in both
// directions: the packets the library sends with command 0x67 and the replies
// the meter gives to 0x66 share one layout, counted from the frame's first byte:
//   5 packet count P, 6 packet number k, then for packet 1: 7 channel count n,
//   8 slot, entries from 9; for later packets entries from 7.
// User-name packets (0x71) hold 5 P, 6 k, then for packet 1: 7 slot, names from
// 8; for later packets names from 7.
#pragma once

#include "frame.h"
#include "plan_codec_entries.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace sondrel {

inline constexpr std::uint8_t CmdReadPlan = 0x66;
inline constexpr std::uint8_t CmdCarryPlan = 0x67;
inline constexpr std::uint8_t CmdCarryUserNames = 0x71;
inline constexpr std::uint8_t CmdReadPlanNumber = 0x27;
inline constexpr std::uint8_t CmdSelectPlan = 0x28;

inline constexpr std::size_t AnalogEntriesPerPacket = 9;
inline constexpr std::size_t DigitalEntriesPerPacket = 4;
inline constexpr std::size_t UserNameBytesPerPacket = 64;
inline constexpr std::size_t MaxPlanChannels = 255;

// Frame lengths of the plan packets (commands and replies alike).
inline constexpr std::uint8_t AnalogFirstPacketLength = 74;
inline constexpr std::uint8_t AnalogNextPacketLength = 72;
inline constexpr std::uint8_t HeadPacketLength = 17;
inline constexpr std::uint8_t DigitalFirstPacketLength = 90;
inline constexpr std::uint8_t DigitalNextPacketLength = 88;
inline constexpr std::uint8_t UserNameFirstPacketLength = 73;
inline constexpr std::uint8_t UserNameNextPacketLength = 72;
inline constexpr std::uint8_t PlanAnswerLength = 6;      // the meter's answer to a sent packet
inline constexpr std::uint8_t PlanNumberReplyLength = 7; // 0x27 and 0x28

// Positions in a plan packet.
inline constexpr std::size_t PacketCountPos = 5;
inline constexpr std::size_t PacketNumberPos = 6;
inline constexpr std::size_t ChannelCountPos = 7;
inline constexpr std::size_t SlotPos = 8;
inline constexpr std::size_t UserNameSlotPos = 7;
inline constexpr std::size_t HeadPos = 7;
inline constexpr std::size_t PlanNumberPos = 5;

// Where the entries of a block start: block number 1 carries the channel count
// and slot in front of them.
std::size_t blockStart(int blockNumber);
std::size_t userNameBlockStart(int blockNumber);

// Packets that carry n channels: ceiling(n / 9) analogue entry packets (a header
// packet follows them), ceiling(n / 4) digital packets, and one user-name packet
// per started 64 bytes of 6 * n.
std::size_t analogEntryPacketCount(std::size_t channels);
std::size_t digitalPacketCount(std::size_t channels);
std::size_t userNamePacketCount(std::size_t channels);

// The bytes of whole plans, E[1] being element 0: 7 (analogue) or 20 (digital)
// bytes per channel from the array's index 1 to its upper bound, each entry at
// the place its index gives. Throw PlanValueDoesNotFit on a value that does not
// fit, or an element below index 1.
Bytes EncodeAnalogPlan(const SafeArray<Channellist>& plan, const CodePage& codePage);
Bytes EncodeDigitalPlan(const SafeArray<ChannellistDigi>& plan, const CodePage& codePage);
// Six bytes per element in array order (five name codes and 0), then one 0.
Bytes encodeUserNames(const SafeArray<Channellist>& plan, const CodePage& codePage);

// Parameters (what follows the command byte) of packet k of P. Each slices its
// part of the plan bytes out of `plan`, bytes beyond its end going as 0.
Bytes analogEntryPacket(std::uint8_t packets, std::uint8_t number, std::uint8_t channels,
                        std::uint8_t slot, std::span<const std::uint8_t> plan);
Bytes analogHeadPacket(std::uint8_t packets, const HeadEntry& head);
Bytes digitalEntryPacket(std::uint8_t packets, std::uint8_t number, std::uint8_t channels,
                         std::uint8_t slot, std::span<const std::uint8_t> plan);
Bytes userNamePacket(std::uint8_t packets, std::uint8_t number, std::uint8_t slot,
                     std::span<const std::uint8_t> names);

// The entries of one block of a packet, raw and as records.
std::array<AnalogEntry, AnalogEntriesPerPacket> analogEntriesIn(const Reply& packet,
                                                                int blockNumber);
std::array<DigitalEntry, DigitalEntriesPerPacket> digitalEntriesIn(const Reply& packet,
                                                                   int blockNumber);
HeadEntry headEntryIn(const Reply& packet);

std::array<Channellist, AnalogEntriesPerPacket>
DecodeAnalogBlock(const Reply& packet, int blockNumber, const CodePage& codePage);
std::array<ChannellistDigi, DigitalEntriesPerPacket>
DecodeDigitalBlock(const Reply& packet, int blockNumber, const CodePage& codePage);

} // namespace sondrel
