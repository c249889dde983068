// The simulator's side of the wire: splitting the byte stream into frames,
// building replies, and the fault rules tests script.
#include "command_table.h"
#include "faults.h"
#include "frame_reader.h"

#include <gtest/gtest.h>

using namespace korvane::sim;
using sondrel::Bytes;

TEST(FrameReader, FindsFramesAcrossChunksAfterStrayBytesAndFlagsBadChecksums) {
    FrameReader reader;
    const Bytes good = sondrel::buildFrame(Bytes{7, 0x28, 2});
    Bytes stream{0x00, 0x55, 0x13}; // noise, including a lone start byte
    stream.insert(stream.end(), {0x55, 0xAA, 0x01, 0x06, 0x09, 0x00}); // bad checksum
    stream.insert(stream.end(), good.begin(), good.end());
    reader.feed(std::span(stream).first(7));
    EXPECT_FALSE(reader.next());
    reader.feed(std::span(stream).subspan(7));
    auto first = reader.next();
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->checksumGood);
    auto second = reader.next();
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->checksumGood);
    EXPECT_EQ(second->command(), 0x28);
    EXPECT_EQ(Bytes(second->params().begin(), second->params().end()), Bytes{2});
    EXPECT_FALSE(reader.next());
}

TEST(FrameReader, ALengthBelowTheMinimumIsNotAFrame) {
    FrameReader reader;
    const Bytes good = sondrel::buildFrame(Bytes{6, 0x2B});
    Bytes stream{0x55, 0xAA, 0x01, 0x02};
    stream.insert(stream.end(), good.begin(), good.end());
    reader.feed(stream);
    auto frame = reader.next();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->bytes, good);
}

TEST(FrameReader, AStrayPartialHeaderIsForgottenAfterTheInterByteTimeout) {
    const auto start = FrameReader::Clock::now();
    const Bytes good = sondrel::buildFrame(Bytes{6, 0x2B});
    const Bytes stray{0x55, 0xAA, 0x01, 0xFF};

    FrameReader late;
    late.feed(stray, start);
    late.feed(good, start + FrameReader::InterByteTimeout + std::chrono::milliseconds(1));
    const auto frame = late.next();
    ASSERT_TRUE(frame) << "still waiting for the 255 bytes the stray header announced";
    EXPECT_EQ(frame->bytes, good);

    // Bytes within the timeout belong to the frame under way, as on a line.
    FrameReader prompt;
    prompt.feed(stray, start);
    prompt.feed(good, start + FrameReader::InterByteTimeout / 2);
    EXPECT_FALSE(prompt.next());
}

TEST(SimReply, RepliesCarryTheirDataFromPositionFiveAndAChecksum) {
    const Bytes reply = makeReply(0x27, 7, Bytes{3});
    EXPECT_EQ(reply, (Bytes{0x55, 0xAA, 0x01, 0x07, 0x27, 0x03, 0xCF}));
    EXPECT_TRUE(sondrel::checksumMatches(reply));
    EXPECT_THROW(makeReply(0x27, 7, Bytes{1, 2}), std::invalid_argument);
}

TEST(Faults, RulesParseAndBadOnesSayWhy) {
    const FaultRule r = parseFaultRule("0x66:truncate=10,after=2,times=1");
    EXPECT_EQ(r.command, 0x66);
    EXPECT_EQ(r.kind, FaultKind::Truncate);
    EXPECT_EQ(r.value, 10u);
    EXPECT_EQ(r.after, 2u);
    EXPECT_EQ(r.times, 1);
    EXPECT_FALSE(parseFaultRule("any:close").command);
    for (const char* bad : {"66", "66:", "zz:noreply", "66:explode", "66:truncate", "66:noreply=3",
                            "66:delay=abc", "66:badsum,when=2", "100:noreply"})
        EXPECT_THROW(parseFaultRule(bad), std::invalid_argument) << bad;
}

TEST(Faults, AfterAndTimesChooseWhichRepliesAreSpoiled) {
    FaultPlan plan;
    plan.add(parseFaultRule("66:noreply,after=1,times=2"));
    const Bytes reply = makeReply(0x66, 6);
    EXPECT_EQ(plan.apply(0x66, reply).reply, reply); // let through
    EXPECT_TRUE(plan.apply(0x66, reply).reply.empty());
    EXPECT_EQ(plan.apply(0x09, reply).reply, reply); // another command is untouched
    EXPECT_TRUE(plan.apply(0x66, reply).reply.empty());
    EXPECT_EQ(plan.apply(0x66, reply).reply, reply); // used up
}

TEST(Faults, EachKindSpoilsTheReplyItsOwnWay) {
    const Bytes reply = makeReply(0x09, 6);
    auto spoil = [&](const char* rule) {
        FaultPlan plan;
        plan.add(parseFaultRule(rule));
        return plan.apply(0x09, reply);
    };
    EXPECT_EQ(spoil("09:truncate=4").reply, Bytes(reply.begin(), reply.begin() + 4));
    EXPECT_FALSE(sondrel::checksumMatches(spoil("09:badsum").reply));
    const Bytes plain = spoil("09:plainsum").reply;
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < plain.size(); ++i)
        sum += plain[i];
    EXPECT_EQ(plain.back(), sum % 256);
    EXPECT_EQ(spoil("09:extra=3").reply.size(), 9u);
    const Bytes garbage = spoil("09:garbage=2").reply;
    EXPECT_EQ(Bytes(garbage.begin() + 2, garbage.end()), reply);
    EXPECT_EQ(spoil("09:delay=250").delayMs, 250u);
    EXPECT_TRUE(spoil("09:close").closeLine);
}
