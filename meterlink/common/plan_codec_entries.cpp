#include "plan_codec_entries.h"

#include "plan_codec_numbers.h"
#include "plan_codec_text.h"
#include "rounding.h"

#include <algorithm>
#include <string_view>

namespace sondrel {
namespace {

// Type code of an analogue entry: Type and Audio1 together.
struct AnalogType {
    std::uint8_t code;
    std::string_view type;
    float audio1;
};
constexpr std::array<AnalogType, 8> AnalogTypes{{
    {0x01, "TV", 4.5f},
    {0x02, "TV", 5.5f},
    {0x03, "TV", 6.0f},
    {0x04, "TV", 6.5f},
    {0x10, "DIGI", 4.5f},
    {0x20, "DIGI", 5.5f},
    {0x30, "DIGI", 6.0f},
    {0x40, "DIGI", 6.5f},
}};

// Digital type and modulation codes are the positions in these lists.
constexpr std::array<std::string_view, 4> DigitalTypes{"TV", "DIGI", "SIGL", "DUAL"};
constexpr std::uint8_t DualTypeCode = 3; // the only type that carries Audio2
constexpr std::array<std::string_view, 7> Modulations{"QPSK",   "16QAM",  "32QAM", "64QAM",
                                                      "128QAM", "256QAM", "COFDM"};

// Code of text in a list; 0 for text not in it.
template <std::size_t N>
std::uint8_t codeIn(const std::array<std::string_view, N>& texts, const std::string& text) {
    const auto it = std::find(texts.begin(), texts.end(), text);
    return it == texts.end() ? 0 : static_cast<std::uint8_t>(it - texts.begin());
}

// Text of a code in a list; empty for a code beyond it.
template <std::size_t N>
std::string textIn(const std::array<std::string_view, N>& texts, std::uint8_t code) {
    return code < N ? std::string(texts[code]) : std::string();
}

void putBigEndian(std::span<std::uint8_t> out, std::uint32_t value) {
    for (std::size_t i = out.size(); i-- > 0; value >>= 8)
        out[i] = static_cast<std::uint8_t>(value & 0xFF);
}

std::uint32_t bigEndian(std::span<const std::uint8_t> bytes) {
    std::uint32_t value = 0;
    for (std::uint8_t b : bytes)
        value = value << 8 | b;
    return value;
}

bool isTrue(VariantBool flag) {
    return flag != VariantFalse;
}

} // namespace

void packAnalogEntry(const AnalogEntry& entry, std::span<std::uint8_t, AnalogEntrySize> out) {
    std::copy(entry.name.begin(), entry.name.end(), out.begin());
    putBigEndian(out.subspan(3, 3), entry.freq);
    out[6] = entry.typeCode;
}

AnalogEntry unpackAnalogEntry(std::span<const std::uint8_t, AnalogEntrySize> bytes) {
    AnalogEntry entry;
    std::copy_n(bytes.begin(), 3, entry.name.begin());
    entry.freq = bigEndian(bytes.subspan(3, 3));
    entry.typeCode = bytes[6];
    return entry;
}

void packDigitalEntry(const DigitalEntry& entry, std::span<std::uint8_t, DigitalEntrySize> out) {
    out[0] = entry.typeCode;
    out[1] = entry.number;
    out[2] = entry.flags;
    putBigEndian(out.subspan(3, 4), entry.freq);
    putBigEndian(out.subspan(7, 2), entry.audio1);
    putBigEndian(out.subspan(9, 2), entry.audio2);
    out[11] = entry.modulation;
    std::copy(entry.name.begin(), entry.name.end(), out.begin() + 12);
    putBigEndian(out.subspan(16, 4), entry.rate);
}

DigitalEntry unpackDigitalEntry(std::span<const std::uint8_t, DigitalEntrySize> bytes) {
    DigitalEntry entry;
    entry.typeCode = bytes[0];
    entry.number = bytes[1];
    entry.flags = bytes[2];
    entry.freq = bigEndian(bytes.subspan(3, 4));
    entry.audio1 = static_cast<std::uint16_t>(bigEndian(bytes.subspan(7, 2)));
    entry.audio2 = static_cast<std::uint16_t>(bigEndian(bytes.subspan(9, 2)));
    entry.modulation = bytes[11];
    std::copy_n(bytes.begin() + 12, 4, entry.name.begin());
    entry.rate = bigEndian(bytes.subspan(16, 4));
    return entry;
}

void packHeadEntry(const HeadEntry& entry, std::span<std::uint8_t, HeadEntrySize> out) {
    std::copy(entry.favourites.begin(), entry.favourites.end(), out.begin());
    out[6] = entry.unit;
    putBigEndian(out.subspan(7, 2), entry.span);
}

HeadEntry unpackHeadEntry(std::span<const std::uint8_t, HeadEntrySize> bytes) {
    HeadEntry entry;
    std::copy_n(bytes.begin(), 6, entry.favourites.begin());
    entry.unit = bytes[6];
    entry.span = static_cast<std::uint16_t>(bigEndian(bytes.subspan(7, 2)));
    return entry;
}

void packUserNameEntry(const UserNameEntry& entry, std::span<std::uint8_t, UserNameEntrySize> out) {
    std::copy(entry.name.begin(), entry.name.end(), out.begin());
    out[5] = 0;
}

UserNameEntry unpackUserNameEntry(std::span<const std::uint8_t, UserNameEntrySize> bytes) {
    UserNameEntry entry;
    std::copy_n(bytes.begin(), 5, entry.name.begin());
    return entry;
}

AnalogEntry analogEntryOf(const Channellist& channel, const CodePage& codePage) {
    AnalogEntry entry;
    fillNameField(channel.ChannelName, entry.name, codePage);
    // The meter takes 0 for a blank in an analogue name.
    std::replace(entry.name.begin(), entry.name.end(), std::uint8_t{' '}, std::uint8_t{0});
    entry.freq = centiMhzOf(channel.freq, FrequencyFieldLimit, "freq");
    entry.typeCode = analogTypeCode(channel.Type, channel.Audio1);
    return entry;
}

std::uint8_t analogTypeCode(std::string_view type, float audio1) {
    for (const AnalogType& t : AnalogTypes)
        if (type == t.type && audio1 == t.audio1) return t.code;
    return 0;
}

Channellist analogChannelOf(const AnalogEntry& entry, const CodePage& codePage) {
    Channellist channel;
    std::array<std::uint8_t, 3> codes = entry.name;
    std::replace(codes.begin(), codes.end(), std::uint8_t{0}, std::uint8_t{' '});
    channel.ChannelName = nameOfCodes(codes, codePage);
    channel.freq = mhzOfCentiMhz(entry.freq);
    for (const AnalogType& t : AnalogTypes) {
        if (entry.typeCode != t.code) continue;
        channel.Type = t.type;
        channel.Audio1 = t.audio1;
    }
    return channel;
}

DigitalEntry digitalEntryOf(const ChannellistDigi& channel, const CodePage& codePage) {
    DigitalEntry entry;
    entry.typeCode = codeIn(DigitalTypes, channel.Type);
    if (channel.ChannelNumber < 0 || channel.ChannelNumber > 255)
        throw PlanValueDoesNotFit("ChannelNumber does not fit its field");
    entry.number = static_cast<std::uint8_t>(channel.ChannelNumber);
    if (isTrue(channel.ChannelOK))
        entry.flags = isTrue(channel.TiltOK) ? FlagChannelAndTiltOk : FlagChannelOk;
    entry.freq = centiMhzOf(channel.freq, FrequencyFieldLimit, "freq");
    entry.audio1 = static_cast<std::uint16_t>(centiMhzOf(channel.Audio1, WordFieldLimit, "Audio1"));
    entry.audio2 = static_cast<std::uint16_t>(centiMhzOf(channel.Audio2, WordFieldLimit, "Audio2"));
    entry.modulation = codeIn(Modulations, channel.Memo);
    fillNameField(channel.ChannelName, std::span(entry.name).first(DigitalNameBytesSent), codePage);
    entry.rate = rateUnitsOf(channel.Rate);
    return entry;
}

ChannellistDigi digitalChannelOf(const DigitalEntry& entry, const CodePage& codePage) {
    ChannellistDigi channel;
    channel.Type = textIn(DigitalTypes, entry.typeCode);
    channel.ChannelNumber = entry.number;
    // Only the two top bits count: 10 channel OK, 11 channel and tilt OK.
    switch (entry.flags >> 6) {
    case 2:
        channel.ChannelOK = VariantTrue;
        break;
    case 3:
        channel.ChannelOK = VariantTrue;
        channel.TiltOK = VariantTrue;
        break;
    default:
        break;
    }
    channel.freq = mhzOfCentiMhz(entry.freq);
    channel.Audio1 = mhzOfCentiMhz(entry.audio1);
    if (entry.typeCode == DualTypeCode) channel.Audio2 = mhzOfCentiMhz(entry.audio2);
    channel.Memo = textIn(Modulations, entry.modulation);
    // The three bytes the library sends decode as one text; the fourth follows
    // on its own, so a name the library sent ends in a character of code 0 and
    // the three bytes come back unchanged whatever they hold.
    const std::span<const std::uint8_t> name(entry.name);
    channel.ChannelName = nameOfCodes(name.first(DigitalNameBytesSent), codePage) +
                          nameOfCodes(name.subspan(DigitalNameBytesSent), codePage);
    channel.Rate = rateTextOf(entry.rate);
    return channel;
}

HeadEntry headEntryOf(const ChannelHead& head) {
    HeadEntry entry;
    entry.favourites = {head.Fav1, head.Fav2, head.Fav3, head.Fav4, head.Fav5, head.Fav6};
    entry.unit = head.Un;
    entry.span = static_cast<std::uint16_t>(wholeUnits(head.Span * 100, SpanFieldLimit, "Span"));
    return entry;
}

ChannelHead headOf(const HeadEntry& entry) {
    ChannelHead head;
    head.Fav1 = entry.favourites[0];
    head.Fav2 = entry.favourites[1];
    head.Fav3 = entry.favourites[2];
    head.Fav4 = entry.favourites[3];
    head.Fav5 = entry.favourites[4];
    head.Fav6 = entry.favourites[5];
    head.Un = entry.unit;
    head.Span = static_cast<std::int16_t>(roundHalfEven(entry.span / 100.0));
    return head;
}

UserNameEntry userNameEntryOf(const Channellist& channel, const CodePage& codePage) {
    const auto characters = charactersOf(channel.Memo);
    UserNameEntry entry;
    if (characters.size() < entry.name.size())
        throw PlanValueDoesNotFit("user name shorter than five characters: " + channel.Memo);
    for (std::size_t i = 0; i < entry.name.size(); ++i)
        entry.name[i] = characterCode(characters[i], codePage);
    return entry;
}

} // namespace sondrel
