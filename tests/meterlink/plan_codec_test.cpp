// The plan entry encoders and decoders at their edges: names and their code
// page, 24-bit frequencies, type codes, the header span, digital flags,
// modulations, symbol rates, user names, and the packet layouts and counts.
#include "common/plan_codec_numbers.h"
#include "common/plan_codec_packets.h"
#include "last_failure.h"

#include <gtest/gtest.h>

using namespace sondrel;

namespace {

const CodePage Latin("WINDOWS-1252");
const CodePage Chinese("GBK");

Bytes analogBytes(const Channellist& channel, const CodePage& codePage = Latin) {
    Bytes out(AnalogEntrySize);
    packAnalogEntry(analogEntryOf(channel, codePage), std::span(out).first<AnalogEntrySize>());
    return out;
}

Channellist analogChannel(const std::string& name, float freq, const std::string& type = "TV",
                          float audio1 = 6.5f) {
    Channellist c;
    c.ChannelName = name;
    c.freq = freq;
    c.Type = type;
    c.Audio1 = audio1;
    return c;
}

Channellist analogRead(const Bytes& bytes, const CodePage& codePage = Latin) {
    return analogChannelOf(unpackAnalogEntry(std::span(bytes).first<AnalogEntrySize>()), codePage);
}

ChannellistDigi digitalChannel() {
    ChannellistDigi c;
    c.Type = "DUAL";
    c.ChannelNumber = 12;
    c.ChannelOK = VariantTrue;
    c.freq = 224.25f;
    c.Audio1 = 5.5f;
    c.Audio2 = 5.74f;
    c.Memo = "64QAM";
    c.ChannelName = "C2";
    c.Rate = "6.875";
    return c;
}

Bytes digitalBytes(const ChannellistDigi& channel) {
    Bytes out(DigitalEntrySize);
    packDigitalEntry(digitalEntryOf(channel, Latin), std::span(out).first<DigitalEntrySize>());
    return out;
}

ChannellistDigi digitalRead(const Bytes& bytes) {
    return digitalChannelOf(unpackDigitalEntry(std::span(bytes).first<DigitalEntrySize>()), Latin);
}

Bytes headBytes(std::int16_t span) {
    ChannelHead head;
    head.Fav1 = 1;
    head.Fav6 = 6;
    head.Un = 2;
    head.Span = span;
    Bytes out(HeadEntrySize);
    packHeadEntry(headEntryOf(head), std::span(out).first<HeadEntrySize>());
    return out;
}

} // namespace

TEST(AnalogEntry, ShortNamesGetBlanksInFrontAndBlanksTravelAsZero) {
    EXPECT_EQ(analogBytes(analogChannel("S1", 55.25f)),
              (Bytes{0x00, 0x53, 0x31, 0x00, 0x15, 0x95, 0x04}));
    EXPECT_EQ(analogRead(Bytes{0x00, 0x53, 0x31, 0x00, 0x15, 0x95, 0x04}).ChannelName, " S1");
    // Only the first three characters go; a blank inside travels as 0 too.
    const Bytes blankInside = analogBytes(analogChannel("E 5x", 1));
    EXPECT_EQ(Bytes(blankInside.begin(), blankInside.begin() + 3), (Bytes{0x45, 0x00, 0x35}));
    EXPECT_EQ(analogRead(Bytes{0x45, 0x00, 0x35, 0, 0, 0, 0}).ChannelName, "E 5");
    EXPECT_EQ(analogRead(Bytes{0, 0, 0, 0, 0, 0, 0}).ChannelName, "   ");
}

TEST(AnalogEntry, NamesTravelAsTheBytesOfTheirTextInTheCodePage) {
    const Bytes accented = analogBytes(analogChannel("é1", 100), Latin);
    EXPECT_EQ(accented[1], 0xE9);
    EXPECT_EQ(analogRead(accented, Latin).ChannelName, " é1");
    // A double-byte GBK character takes two of the three bytes, both ways.
    const Bytes chinese = analogBytes(analogChannel("中A", 100), Chinese);
    EXPECT_EQ(Bytes(chinese.begin(), chinese.begin() + 3), (Bytes{0xD6, 0xD0, 0x41}));
    EXPECT_EQ(analogRead(Bytes{0xD6, 0xD0, 0x41, 0, 0, 0, 0}, Chinese).ChannelName, "中A");
    EXPECT_EQ(analogRead(Bytes{0x41, 0xC6, 0xB5, 0, 0, 0, 0}, Chinese).ChannelName, "A频");
    // What does not fit whole is cut, and the blank goes in front.
    const Bytes cut = analogBytes(analogChannel("AB频", 100), Chinese);
    EXPECT_EQ(Bytes(cut.begin(), cut.begin() + 3), (Bytes{0x00, 0x41, 0x42}));
}

TEST(AnalogEntry, ReceivedNameBytesComeBackUnchangedWhateverTheyHold) {
    for (const Bytes& name :
         {Bytes{0xD6, 0x41, 0xD0}, Bytes{0x41, 0x42, 0xD6}, Bytes{0x81, 0xFF, 0x80},
          Bytes{0xFE, 0xFE, 0xFE}, Bytes{0xD6, 0xD0, 0x81}}) {
        Bytes entry(name);
        entry.insert(entry.end(), {0, 0x15, 0x95, 0x04});
        EXPECT_EQ(analogBytes(analogRead(entry, Chinese), Chinese), entry)
            << int(name[0]) << " " << int(name[1]) << " " << int(name[2]);
    }
}

TEST(AnalogEntry, ACharacterWithoutACodeFailsAndSaysWhichOne) {
    struct Case {
        const char* name;
        const CodePage& codePage;
        const char* character;
    };
    const Case cases[] = {{"频1", Latin, "频"}, {"Aب", Chinese, "ب"}, {"xΩ", Latin, "Ω"}};
    for (const Case& c : cases) {
        clearLastFailure();
        EXPECT_THROW(analogBytes(analogChannel(c.name, 100), c.codePage), PlanValueDoesNotFit);
        const Failure failure = lastFailure();
        EXPECT_EQ(failure.kind, FailureKind::CodePage) << c.name;
        EXPECT_NE(failure.text.find(std::string("\"") + c.character + "\""), std::string::npos)
            << failure.text;
    }
    clearLastFailure();
    EXPECT_THROW(analogBytes(analogChannel("\xFF\x41", 100), Latin), PlanValueDoesNotFit);
}

TEST(AnalogEntry, FrequenciesTakeThreeBytesAndStopBelow1310_72MHz) {
    const auto freqBytes = [](float mhz) {
        const Bytes b = analogBytes(analogChannel("A", mhz));
        return Bytes(b.begin() + 3, b.begin() + 6);
    };
    EXPECT_EQ(freqBytes(655.25f), (Bytes{0x00, 0xFF, 0xF5}));
    EXPECT_EQ(freqBytes(655.36f), (Bytes{0x01, 0x00, 0x00}));
    EXPECT_EQ(freqBytes(1000.0f), (Bytes{0x01, 0x86, 0xA0}));
    EXPECT_EQ(freqBytes(1310.71f), (Bytes{0x01, 0xFF, 0xFF}));
    EXPECT_THROW(freqBytes(1310.72f), PlanValueDoesNotFit);
    EXPECT_THROW(freqBytes(-0.01f), PlanValueDoesNotFit);
    EXPECT_FLOAT_EQ(analogRead(Bytes{0, 0, 0, 0x01, 0xFF, 0xFF, 0}).freq, 1310.71f);
    EXPECT_FLOAT_EQ(analogRead(Bytes{0, 0, 0, 0x00, 0xFF, 0xF5, 0}).freq, 655.25f);
}

TEST(AnalogEntry, TypeCodesCombineTypeAndAudioBothWays) {
    struct Case {
        std::string type;
        float audio1;
        std::uint8_t code;
    };
    const Case known[] = {{"TV", 4.5f, 0x01},   {"TV", 5.5f, 0x02},   {"TV", 6.0f, 0x03},
                          {"TV", 6.5f, 0x04},   {"DIGI", 4.5f, 0x10}, {"DIGI", 5.5f, 0x20},
                          {"DIGI", 6.0f, 0x30}, {"DIGI", 6.5f, 0x40}};
    for (const Case& c : known) {
        EXPECT_EQ(analogBytes(analogChannel("A", 100, c.type, c.audio1))[6], c.code) << c.type;
        const Channellist back = analogRead(Bytes{0, 0, 0, 0, 0, 0, c.code});
        EXPECT_EQ(back.Type, c.type);
        EXPECT_EQ(back.Audio1, c.audio1);
    }
    EXPECT_EQ(analogBytes(analogChannel("A", 100, "TV", 5.0f))[6], 0);
    EXPECT_EQ(analogBytes(analogChannel("A", 100, "tv", 4.5f))[6], 0);
    EXPECT_EQ(analogBytes(analogChannel("A", 100, "SIGL", 4.5f))[6], 0);
    const Channellist unknown = analogRead(Bytes{0, 0, 0, 0, 0, 0, 0x05});
    EXPECT_EQ(unknown.Type, "");
    EXPECT_EQ(unknown.Audio1, 0.0f);
}

TEST(HeadEntry, SpanTravelsTimesHundredAndComesBackRoundedHalvesToEven) {
    EXPECT_EQ(headBytes(20), (Bytes{1, 0, 0, 0, 0, 6, 2, 0x07, 0xD0}));
    EXPECT_EQ(headBytes(327), (Bytes{1, 0, 0, 0, 0, 6, 2, 0x7F, 0xBC}));
    EXPECT_THROW(headBytes(328), PlanValueDoesNotFit);
    EXPECT_THROW(headBytes(-1), PlanValueDoesNotFit);
    const auto spanOf = [](std::uint16_t wire) {
        HeadEntry entry;
        entry.span = wire;
        return headOf(entry).Span;
    };
    EXPECT_EQ(spanOf(2000), 20);
    EXPECT_EQ(spanOf(250), 2);
    EXPECT_EQ(spanOf(350), 4);
    EXPECT_EQ(spanOf(251), 3);
    EXPECT_EQ(spanOf(65535), 655);
}

TEST(DigitalEntry, AllFieldsAtTheirOffsets) {
    EXPECT_EQ(digitalBytes(digitalChannel()),
              (Bytes{3,    12, 0x80, 0,    0,    0x57, 0x99, 0x02, 0x26, 0x02,
                     0x3E, 3,  0x20, 0x43, 0x32, 0x00, 0,    0,    0x1A, 0xDB}));
    const ChannellistDigi back = digitalRead(digitalBytes(digitalChannel()));
    ChannellistDigi expected = digitalChannel();
    expected.ChannelName = std::string(" C2") + '\0'; // all four name bytes come back
    EXPECT_EQ(back, expected);
}

TEST(DigitalEntry, Audio2ComesBackOnlyForDualChannels) {
    ChannellistDigi channel = digitalChannel();
    channel.Type = "DIGI";
    const Bytes bytes = digitalBytes(channel);
    EXPECT_EQ(bytes[9], 0x02); // sent whatever the type
    EXPECT_EQ(digitalRead(bytes).Audio2, 0.0f);
    channel.Audio2 = 655.36f;
    EXPECT_THROW(digitalBytes(channel), PlanValueDoesNotFit);
}

TEST(DigitalEntry, TypeTextsBothWays) {
    ChannellistDigi channel = digitalChannel();
    const std::string types[] = {"TV", "DIGI", "SIGL", "DUAL"};
    for (std::uint8_t code = 0; code < 4; ++code) {
        channel.Type = types[code];
        Bytes bytes = digitalBytes(channel);
        EXPECT_EQ(bytes[0], code);
        EXPECT_EQ(digitalRead(bytes).Type, types[code]);
    }
    channel.Type = "FM";
    Bytes bytes = digitalBytes(channel);
    EXPECT_EQ(bytes[0], 0);
    bytes[0] = 4;
    EXPECT_EQ(digitalRead(bytes).Type, "");
}

TEST(DigitalEntry, FlagsFromChannelAndTiltAndBackFromTheTopTwoBits) {
    ChannellistDigi channel = digitalChannel();
    const auto flagsOf = [&](VariantBool ok, VariantBool tilt) {
        channel.ChannelOK = ok;
        channel.TiltOK = tilt;
        return digitalBytes(channel)[2];
    };
    EXPECT_EQ(flagsOf(VariantTrue, VariantFalse), 0x80);
    EXPECT_EQ(flagsOf(VariantTrue, VariantTrue), 0xC0);
    EXPECT_EQ(flagsOf(VariantFalse, VariantTrue), 0x00);
    EXPECT_EQ(flagsOf(VariantFalse, VariantFalse), 0x00);

    Bytes bytes = digitalBytes(digitalChannel());
    const auto readFlags = [&](std::uint8_t flags) {
        bytes[2] = flags;
        const ChannellistDigi c = digitalRead(bytes);
        return std::pair{c.ChannelOK, c.TiltOK};
    };
    EXPECT_EQ(readFlags(0x80), std::pair(VariantTrue, VariantFalse));
    EXPECT_EQ(readFlags(0xBF), std::pair(VariantTrue, VariantFalse));
    EXPECT_EQ(readFlags(0xC0), std::pair(VariantTrue, VariantTrue));
    EXPECT_EQ(readFlags(0xFF), std::pair(VariantTrue, VariantTrue));
    EXPECT_EQ(readFlags(0x40), std::pair(VariantFalse, VariantFalse));
    EXPECT_EQ(readFlags(0x3F), std::pair(VariantFalse, VariantFalse));
}

TEST(DigitalEntry, ModulationTextsTravelInMemo) {
    ChannellistDigi channel = digitalChannel();
    const std::string texts[] = {"QPSK", "16QAM", "32QAM", "64QAM", "128QAM", "256QAM", "COFDM"};
    for (std::uint8_t code = 0; code < 7; ++code) {
        channel.Memo = texts[code];
        const Bytes bytes = digitalBytes(channel);
        EXPECT_EQ(bytes[11], code);
        EXPECT_EQ(digitalRead(bytes).Memo, texts[code]);
    }
    channel.Memo = "8PSK";
    Bytes bytes = digitalBytes(channel);
    EXPECT_EQ(bytes[11], 0);
    bytes[11] = 7;
    EXPECT_EQ(digitalRead(bytes).Memo, "");
}

TEST(DigitalEntry, NameBlanksAreSentUnchangedAndNumberMustFitAByte) {
    ChannellistDigi channel = digitalChannel();
    channel.ChannelName = "";
    const Bytes blankName = digitalBytes(channel);
    EXPECT_EQ(Bytes(blankName.begin() + 12, blankName.begin() + 16), (Bytes{0x20, 0x20, 0x20, 0}));
    channel.ChannelNumber = 255;
    EXPECT_EQ(digitalBytes(channel)[1], 255);
    channel.ChannelNumber = 256;
    EXPECT_THROW(digitalBytes(channel), PlanValueDoesNotFit);
    channel.ChannelNumber = -1;
    EXPECT_THROW(digitalBytes(channel), PlanValueDoesNotFit);
}

TEST(DigitalEntry, NamesDecodeAsOneTextAndTheirThreeBytesGoBackUnchanged) {
    const auto nameBytes = [](const ChannellistDigi& c) {
        Bytes out(DigitalEntrySize);
        packDigitalEntry(digitalEntryOf(c, Chinese), std::span(out).first<DigitalEntrySize>());
        return out;
    };
    ChannellistDigi channel = digitalChannel();
    channel.ChannelName = "中A";
    Bytes bytes = nameBytes(channel);
    EXPECT_EQ(Bytes(bytes.begin() + 12, bytes.begin() + 16), (Bytes{0xD6, 0xD0, 0x41, 0}));
    const auto read = [](const Bytes& b) {
        return digitalChannelOf(unpackDigitalEntry(std::span(b).first<DigitalEntrySize>()),
                                Chinese);
    };
    EXPECT_EQ(read(bytes).ChannelName, std::string("中A\0", 5));
    for (const Bytes& name :
         {Bytes{0x41, 0xD6, 0xD0}, Bytes{0xD6, 0x41, 0xFF}, Bytes{0x41, 0x42, 0xD6}}) {
        std::copy(name.begin(), name.end(), bytes.begin() + 12);
        EXPECT_EQ(nameBytes(read(bytes)), bytes) << int(name[0]) << " " << int(name[1]);
    }
}

TEST(Rate, TextInMegasymbolsToThousandthsAndBack) {
    EXPECT_EQ(rateUnitsOf("6.875"), 6875u);
    EXPECT_EQ(rateUnitsOf(" 6.9 "), 6900u);
    EXPECT_EQ(rateUnitsOf("131.071"), 131071u);
    for (const char* bad : {"", "  ", "abc", "6,875", "6.8x", "-1", "131.072", "inf", "nan"})
        EXPECT_THROW(rateUnitsOf(bad), PlanValueDoesNotFit) << '"' << bad << '"';
    EXPECT_EQ(rateTextOf(6875), "6.875");
    EXPECT_EQ(rateTextOf(6900), "6.9");
    EXPECT_EQ(rateTextOf(7000), "7");
    EXPECT_EQ(rateTextOf(500), "0.5");
    EXPECT_EQ(rateTextOf(5), "0.005");
    EXPECT_EQ(rateTextOf(0), "0");
}

TEST(ScaledValues, HalvesGoToTheEvenUnit) {
    EXPECT_EQ(centiMhzOf(0.125f, WordFieldLimit, "Audio1"), 12u);
    EXPECT_EQ(centiMhzOf(0.375f, WordFieldLimit, "Audio1"), 38u);
    EXPECT_EQ(centiMhzOf(655.35f, WordFieldLimit, "Audio1"), 65535u);
    EXPECT_THROW(centiMhzOf(655.36f, WordFieldLimit, "Audio1"), PlanValueDoesNotFit);
}

TEST(UserNames, FiveCharactersAndAZeroPerChannel) {
    SafeArray<Channellist> plan;
    plan.redim(1, 2);
    plan.at(1).Memo = "ABCDEFG";
    plan.at(2).Memo = "vwxyz";
    EXPECT_EQ(encodeUserNames(plan, Latin),
              (Bytes{'A', 'B', 'C', 'D', 'E', 0, 'v', 'w', 'x', 'y', 'z', 0, 0}));
    plan.at(2).Memo = "WXYZ";
    EXPECT_THROW(encodeUserNames(plan, Latin), PlanValueDoesNotFit);
    plan.at(2).Memo = "频道频道频";
    EXPECT_THROW(encodeUserNames(plan, Chinese), PlanValueDoesNotFit);
}

TEST(PlanPackets, CountsOfEntryAndNamePackets) {
    const std::pair<std::size_t, std::size_t> analog[] = {{4, 1},  {9, 1},    {10, 2},
                                                          {14, 2}, {250, 28}, {255, 29}};
    for (auto [channels, packets] : analog)
        EXPECT_EQ(analogEntryPacketCount(channels), packets) << channels;
    EXPECT_EQ(digitalPacketCount(4), 1u);
    EXPECT_EQ(digitalPacketCount(6), 2u);
    EXPECT_EQ(digitalPacketCount(60), 15u);
    EXPECT_EQ(userNamePacketCount(10), 1u); // 60 bytes
    EXPECT_EQ(userNamePacketCount(11), 2u); // 66 bytes
    EXPECT_EQ(userNamePacketCount(255), 24u);
}

TEST(PlanPackets, EntryPacketsSliceThePlanAndPadWithZeros) {
    SafeArray<Channellist> plan;
    plan.redim(1, 4);
    for (int i = 1; i <= 4; ++i)
        plan.at(i) = analogChannel("A" + std::to_string(i), 100.0f + i);
    const Bytes entries = EncodeAnalogPlan(plan, Latin);
    ASSERT_EQ(entries.size(), 28u);
    const Bytes first = analogEntryPacket(2, 1, 4, 3, entries);
    ASSERT_EQ(first.size(), 68u); // frame of 74
    EXPECT_EQ(Bytes(first.begin(), first.begin() + 4), (Bytes{2, 1, 4, 3}));
    EXPECT_EQ(Bytes(first.begin() + 4, first.begin() + 32), entries);
    EXPECT_TRUE(std::all_of(first.begin() + 32, first.end(), [](auto b) { return b == 0; }));

    const Bytes later = digitalEntryPacket(2, 2, 6, 0, Bytes(120, 0xAB));
    ASSERT_EQ(later.size(), 82u); // frame of 88
    EXPECT_EQ(std::count(later.begin() + 2, later.end(), 0xAB), 40);
    EXPECT_EQ(std::count(later.begin() + 42, later.end(), 0), 40);

    const Bytes names = userNamePacket(2, 2, 0, Bytes(67, 0x41));
    ASSERT_EQ(names.size(), 66u); // frame of 72
    EXPECT_EQ(std::count(names.begin() + 2, names.end(), 0x41), 3);

    HeadEntry head;
    head.span = 800;
    EXPECT_EQ(analogHeadPacket(3, head), (Bytes{3, 3, 0, 0, 0, 0, 0, 0, 0, 0x03, 0x20}));
}

TEST(PlanPackets, PlanArraysAreIndexedFromOne) {
    SafeArray<Channellist> plan;
    plan.redim(2, 3); // no element 1: its place stays zero
    plan.at(2) = analogChannel("B", 100.0f);
    plan.at(3) = analogChannel("C", 200.0f);
    const Bytes entries = EncodeAnalogPlan(plan, Latin);
    ASSERT_EQ(entries.size(), 21u);
    EXPECT_TRUE(std::all_of(entries.begin(), entries.begin() + 7, [](auto b) { return b == 0; }));
    EXPECT_EQ(entries[9], 'B');
    plan.redim(0, 3);
    EXPECT_THROW(EncodeAnalogPlan(plan, Latin), PlanValueDoesNotFit);
}

TEST(PlanPackets, BlocksStartAfterTheFirstPacketsCountAndSlot) {
    Bytes first(74, 0);
    Bytes later(72, 0);
    first[9] = 0x41;
    later[7] = 0x42;
    EXPECT_EQ(DecodeAnalogBlock(Reply(first), 1, Latin)[0].ChannelName, "A  ");
    EXPECT_EQ(DecodeAnalogBlock(Reply(later), 2, Latin)[0].ChannelName, "B  ");
    // A short packet cannot be read past its end.
    EXPECT_THROW(DecodeAnalogBlock(Reply(Bytes(69, 0)), 2, Latin), ReplyTooShort);
    EXPECT_THROW(DecodeDigitalBlock(Reply(Bytes(88, 0)), 1, Latin), ReplyTooShort);
}
