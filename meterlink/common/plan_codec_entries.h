// The entries of a channel plan as they travel: one encoder and one decoder per
// format. Each format has its wire fields (a struct holding exactly what the
// bytes hold, which the meter simulator stores), their packing into bytes, and
// the conversion between the fields and the records of the interface.
#pragma once

#include "platform/codepage.h"
#include "sondrel_types.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace sondrel {

inline constexpr std::size_t AnalogEntrySize = 7;
inline constexpr std::size_t DigitalEntrySize = 20;
inline constexpr std::size_t HeadEntrySize = 9;
inline constexpr std::size_t UserNameEntrySize = 6;

// Analogue channel: name codes (a space travels as 0), frequency in 0.01 MHz
// (24 bits), type code (Type and Audio1 together).
struct AnalogEntry {
    std::array<std::uint8_t, 3> name{};
    std::uint32_t freq = 0;
    std::uint8_t typeCode = 0;
    friend bool operator==(const AnalogEntry&, const AnalogEntry&) = default;
};

// Digital channel. Names take the first three bytes of the four; the fourth
// is 0 when the library sends it.
inline constexpr std::size_t DigitalNameBytesSent = 3;
struct DigitalEntry {
    std::uint8_t typeCode = 0;
    std::uint8_t number = 0;
    std::uint8_t flags = 0;
    std::uint32_t freq = 0;   // 0.01 MHz
    std::uint16_t audio1 = 0; // 0.01 MHz
    std::uint16_t audio2 = 0; // 0.01 MHz
    std::uint8_t modulation = 0;
    std::array<std::uint8_t, 4> name{};
    std::uint32_t rate = 0; // 0.001 MS/s
    friend bool operator==(const DigitalEntry&, const DigitalEntry&) = default;
};

// Plan header: six favourite channels, level unit, span in 0.01 MHz.
struct HeadEntry {
    std::array<std::uint8_t, 6> favourites{};
    std::uint8_t unit = 0;
    std::uint16_t span = 0;
    friend bool operator==(const HeadEntry&, const HeadEntry&) = default;
};

// User name of one channel: five character codes (a 0 follows on the wire).
struct UserNameEntry {
    std::array<std::uint8_t, 5> name{};
    friend bool operator==(const UserNameEntry&, const UserNameEntry&) = default;
};

// Digital flags byte.
inline constexpr std::uint8_t FlagChannelOk = 0x80;
inline constexpr std::uint8_t FlagChannelAndTiltOk = 0xC0;

// Fields <-> bytes.
void packAnalogEntry(const AnalogEntry& entry, std::span<std::uint8_t, AnalogEntrySize> out);
AnalogEntry unpackAnalogEntry(std::span<const std::uint8_t, AnalogEntrySize> bytes);
void packDigitalEntry(const DigitalEntry& entry, std::span<std::uint8_t, DigitalEntrySize> out);
DigitalEntry unpackDigitalEntry(std::span<const std::uint8_t, DigitalEntrySize> bytes);
void packHeadEntry(const HeadEntry& entry, std::span<std::uint8_t, HeadEntrySize> out);
HeadEntry unpackHeadEntry(std::span<const std::uint8_t, HeadEntrySize> bytes);
void packUserNameEntry(const UserNameEntry& entry, std::span<std::uint8_t, UserNameEntrySize> out);
UserNameEntry unpackUserNameEntry(std::span<const std::uint8_t, UserNameEntrySize> bytes);

// Records -> fields. Each throws PlanValueDoesNotFit on a value its field cannot
// hold (frequency of 1310.72 MHz or more, a name character without a code, a
// user name character without a one-byte code, a channel number above 255, a
// span outside 0..327 MHz, a non-numeric rate, a user name shorter than five
// characters).
AnalogEntry analogEntryOf(const Channellist& channel, const CodePage& codePage);
// The type code of an analogue channel's Type and Audio1; 0 when the pair has none.
std::uint8_t analogTypeCode(std::string_view type, float audio1);
DigitalEntry digitalEntryOf(const ChannellistDigi& channel, const CodePage& codePage);
HeadEntry headEntryOf(const ChannelHead& head);
UserNameEntry userNameEntryOf(const Channellist& channel, const CodePage& codePage);

// Fields -> records; fields the format does not carry keep their defaults.
Channellist analogChannelOf(const AnalogEntry& entry, const CodePage& codePage);
ChannellistDigi digitalChannelOf(const DigitalEntry& entry, const CodePage& codePage);
ChannelHead headOf(const HeadEntry& entry);

} // namespace sondrel
