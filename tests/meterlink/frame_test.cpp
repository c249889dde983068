// Frame layout and checksum, and the bounds-checked readers of reply bytes.
#include "frame.h"

#include <gtest/gtest.h>

using namespace sondrel;

TEST(Frame, CommandsWithoutAndWithParametersMatchTheMetersExamples) {
    const Bytes connect{6, 0x2B};
    EXPECT_EQ(buildFrame(connect), (Bytes{0x55, 0xAA, 0x01, 0x06, 0x2B, 0xCF}));
    const Bytes selectPlan{7, 0x28, 0};
    EXPECT_EQ(buildFrame(selectPlan), (Bytes{0x55, 0xAA, 0x01, 0x07, 0x28, 0x00, 0xD1}));
    EXPECT_EQ(commandBuffer(0x28, Bytes{0}), selectPlan);
}

TEST(Frame, EveryFrameSumsToZeroAndExtraBufferElementsAreIgnored) {
    // A buffer may be longer than its frame (arrays sized generously by callers).
    const Bytes buffer{8, 0x24, 0x00, 0x0A, 0x77, 0x77};
    const Bytes frame = buildFrame(buffer);
    ASSERT_EQ(frame.size(), 8u);
    EXPECT_EQ(frame, (Bytes{0x55, 0xAA, 0x01, 0x08, 0x24, 0x00, 0x0A, 0xCA}));
    unsigned sum = 0;
    for (auto b : frame)
        sum += b;
    EXPECT_EQ(sum % 256, 0u);
    EXPECT_TRUE(checksumMatches(frame));
}

TEST(Frame, ChecksumOfASumThatIsAMultipleOf256IsZero) {
    EXPECT_EQ(frameChecksum(Bytes{0x80, 0x80}), 0);
    EXPECT_EQ(frameChecksum(Bytes{}), 0);
    EXPECT_EQ(frameChecksum(Bytes{0x01}), 0xFF);
}

TEST(Frame, BuffersTooShortForTheirLengthAreRefused) {
    EXPECT_THROW(buildFrame(Bytes{}), std::invalid_argument);
    EXPECT_THROW(buildFrame(Bytes{5, 0x2B}), std::invalid_argument);       // below the minimum
    EXPECT_THROW(buildFrame(Bytes{9, 0x02, 0x00}), std::invalid_argument); // needs 5 elements
}

TEST(Reply, ReadersReturnBigEndianFieldsAndNeverReadPastTheEnd) {
    const Reply reply(Bytes{0, 1, 2, 3, 4, 0x01, 0x86, 0xA0, 0xFF});
    EXPECT_EQ(reply.byte(5), 0x01);
    EXPECT_EQ(reply.u16be(5), 0x0186);
    EXPECT_EQ(reply.u24be(5), 100000u);
    EXPECT_EQ(reply.u32be(5), 0x0186A0FFu);
    EXPECT_EQ(reply.slice(6, 3).size(), 3u);
    EXPECT_THROW(reply.byte(9), ReplyTooShort);
    EXPECT_THROW(reply.u16be(8), ReplyTooShort);
    EXPECT_THROW(reply.u32be(6), ReplyTooShort);
    EXPECT_THROW(reply.slice(7, 3), ReplyTooShort);
    EXPECT_THROW(Reply().byte(0), ReplyTooShort);
}
