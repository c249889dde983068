// The exchange routines against the simulated meter over a pseudo-terminal:
// results, reply hand-back, waiting limits and the retry rules.
#include "frame_exchange.h"
#include "simulated_meter.h"

#include <chrono>

using namespace korvane::testing;
using korvane::sim::makeReply;
using korvane::sim::parseFaultRule;
using korvane::sim::ReceivedFrame;
using sondrel::Bytes;
using sondrel::FrameExchange;
using sondrel::Reply;
using sondrel::SerialLink;

namespace {

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

const Bytes closeCommand{6, 0x09};
const Bytes typeCommand{6, 0x50};

} // namespace

// Talks to the meter through its own serial control instead of a connection object.
class ExchangeTest : public SimulatedMeterTest {
  protected:
    void SetUp() override {
        SimulatedMeterTest::SetUp();
        connection_.reset(); // free the port for this test's own control
        serial_.setCommPort(SimulatedPort);
        serial_.setInBufferSize(sondrel::SerialInBufferSize);
    }
    void TearDown() override {
        serial_.setPortOpen(false);
        SimulatedMeterTest::TearDown();
    }
    // The meter answers 0x50 with these exact bytes.
    void answerTypeWith(Bytes reply) {
        meter().setHandler(0x50, [reply](const ReceivedFrame&) { return reply; });
    }

    SerialLink serial_;
    FrameExchange exchange_{serial_};
};

TEST_F(ExchangeTest, ExchangeHandsBackAGoodReplyAfterItsPause) {
    Reply reply;
    const auto start = Clock::now();
    EXPECT_EQ(exchange_.Exchange(6, closeCommand, reply), 1);
    EXPECT_GE(secondsSince(start), 0.4);
    EXPECT_LT(secondsSince(start), 1.0) << "the wait ends as soon as the reply is there";
    EXPECT_EQ(reply.bytes(), makeReply(0x09, 6));
}

TEST_F(ExchangeTest, ExchangeAcceptsALongerReplyAndChecksOnlyByteNMinus1) {
    meter().faults().add(parseFaultRule("09:extra=5"));
    Reply reply;
    EXPECT_EQ(exchange_.Exchange(6, closeCommand, reply), 1);
    EXPECT_EQ(reply.size(), 11u);
}

TEST_F(ExchangeTest, ExchangeRefusesAWrongChecksumButStillHandsTheReplyBack) {
    meter().faults().add(parseFaultRule("09:badsum"));
    Reply reply;
    EXPECT_EQ(exchange_.Exchange(6, closeCommand, reply), 0);
    EXPECT_EQ(reply.size(), 6u);
}

TEST_F(ExchangeTest, ExchangeFailsOnAShortOrMissingReplyAfterOneToTwoSeconds) {
    meter().faults().add(parseFaultRule("09:truncate=5,times=1"));
    meter().faults().add(parseFaultRule("09:noreply"));
    for (const char* what : {"short reply", "no reply"}) {
        Reply reply;
        const double cpuBefore = processCpuSeconds();
        const auto start = Clock::now();
        EXPECT_EQ(exchange_.Exchange(6, closeCommand, reply), 0) << what;
        const double waited = secondsSince(start) - 0.4; // less the pause before sending
        EXPECT_GE(waited, 1.0) << what;
        EXPECT_LE(waited, 2.0) << what;
        EXPECT_TRUE(reply.empty()) << what;
        // The wait sleeps in the port; it must not burn a core while nothing comes.
        const double cpu = processCpuSeconds() - cpuBefore;
        EXPECT_LT(cpu / secondsSince(start), 0.05) << what << ": " << cpu << " s of processor";
    }
}

TEST_F(ExchangeTest, EveryRoutineFailsAtOnceWhenThePortCannotBeOpened) {
    serial_.setCommPort(15);
    Reply reply;
    std::int16_t timedOut = 0;
    const auto start = Clock::now();
    EXPECT_EQ(exchange_.Exchange(6, closeCommand, reply), 0);
    EXPECT_EQ(exchange_.SendAndWait(6, closeCommand), 0);
    EXPECT_EQ(exchange_.ExchangeWithRetry(11, typeCommand, reply, timedOut), std::nullopt);
    EXPECT_EQ(timedOut, 1);
    EXPECT_LT(secondsSince(start), 0.5);
    EXPECT_TRUE(meter().wireLog().framesToMeter().empty());
}

TEST_F(ExchangeTest, SendAndWaitLeavesTheReplyBufferedForTheCaller) {
    const auto start = Clock::now();
    EXPECT_EQ(exchange_.SendAndWait(6, Bytes{6, 0x2B}), 1);
    EXPECT_LT(secondsSince(start), 0.5);
    EXPECT_EQ(serial_.inBufferCount(), 6u);
    // The next routine starts by clearing it, so it never reaches a later command.
    Reply reply;
    EXPECT_EQ(exchange_.Exchange(6, closeCommand, reply), 1);
    EXPECT_EQ(reply.bytes(), makeReply(0x09, 6));
}

TEST_F(ExchangeTest, SendAndWaitReportsDoneWhenNothingAnswers) {
    meter().faults().add(parseFaultRule("any:noreply"));
    const auto start = Clock::now();
    EXPECT_EQ(exchange_.SendAndWait(6, Bytes{6, 0x0A}), 1);
    EXPECT_GE(secondsSince(start), 1.0);
    EXPECT_LE(secondsSince(start), 2.0);
}

TEST_F(ExchangeTest, RetryTakesAGoodReplyAndClearsTimedOut) {
    answerTypeWith(makeReply(0x50, 11, Bytes{0x07, 0xD0, 0x01}));
    Reply reply;
    std::int16_t timedOut = 1;
    EXPECT_EQ(exchange_.ExchangeWithRetry(11, typeCommand, reply, timedOut), 1);
    EXPECT_EQ(timedOut, 0);
    EXPECT_EQ(reply.byte(6), 0xD0);
}

TEST_F(ExchangeTest, RetryGivesUpEmptyAfterThreeToFourSecondsOfSilence) {
    meter().faults().add(parseFaultRule("50:noreply"));
    answerTypeWith(makeReply(0x50, 11));
    Reply reply;
    std::int16_t timedOut = 0;
    const auto start = Clock::now();
    EXPECT_EQ(exchange_.ExchangeWithRetry(11, typeCommand, reply, timedOut), std::nullopt);
    EXPECT_EQ(timedOut, 1);
    EXPECT_GE(secondsSince(start), 3.0);
    EXPECT_LE(secondsSince(start), 4.0);
    EXPECT_EQ(meter().wireLog().framesToMeter().size(), 1u) << "a silent meter is not asked again";
}

TEST_F(ExchangeTest, RetryResendsOnBadRepliesAndStopsAfterTheEleventh) {
    answerTypeWith(makeReply(0x50, 11));
    meter().faults().add(parseFaultRule("50:badsum"));
    Reply reply;
    std::int16_t timedOut = 5;
    EXPECT_EQ(exchange_.ExchangeWithRetry(11, typeCommand, reply, timedOut), 0);
    EXPECT_EQ(timedOut, 5) << "a checksum failure is not a time-out";
    EXPECT_EQ(meter().wireLog().framesToMeter().size(), 11u);
}

TEST_F(ExchangeTest, RetryTakesThePlainSumExceptOnTheEleventhAttempt) {
    answerTypeWith(makeReply(0x50, 11));
    Reply reply;
    std::int16_t timedOut = 0;

    meter().faults().add(parseFaultRule("50:plainsum,times=1"));
    EXPECT_EQ(exchange_.ExchangeWithRetry(11, typeCommand, reply, timedOut), 1);
    EXPECT_EQ(meter().wireLog().framesToMeter().size(), 1u);

    meter().faults().clear();
    meter().wireLog().clear();
    meter().faults().add(parseFaultRule("50:badsum,times=10"));
    meter().faults().add(parseFaultRule("50:plainsum"));
    EXPECT_EQ(exchange_.ExchangeWithRetry(11, typeCommand, reply, timedOut), 0);
    EXPECT_EQ(meter().wireLog().framesToMeter().size(), 11u);

    meter().faults().clear();
    meter().wireLog().clear();
    meter().faults().add(parseFaultRule("50:badsum,times=10"));
    EXPECT_EQ(exchange_.ExchangeWithRetry(11, typeCommand, reply, timedOut), 1)
        << "the true checksum is still good on the last attempt";
}

TEST_F(ExchangeTest, RetryMatchesASumThatIsAMultipleOf256WithALastByteOfZero) {
    // 55 + AA + 01 + 0B + 50 + A5 = 0x200: bytes 0..9 sum to a multiple of 256.
    Bytes reply{0x55, 0xAA, 0x01, 0x0B, 0x50, 0xA5, 0, 0, 0, 0, 0};
    answerTypeWith(reply);
    Reply got;
    std::int16_t timedOut = 1;
    EXPECT_EQ(exchange_.ExchangeWithRetry(11, typeCommand, got, timedOut), 1);
    EXPECT_EQ(timedOut, 0);
}

TEST_F(ExchangeTest, TheMeterIgnoresAFrameWithABadChecksumAndTheLogSaysSo) {
    serial_.setPortOpen(true);
    serial_.output(Bytes{0x55, 0xAA, 0x01, 0x06, 0x09, 0x00});
    Reply reply;
    EXPECT_EQ(exchange_.Exchange(6, closeCommand, reply), 1);
    const auto entries = meter().wireLog().entries();
    ASSERT_EQ(entries.size(), 3u); // bad frame, good frame, one reply
    EXPECT_FALSE(entries[0].checksumGood);
    EXPECT_TRUE(entries[1].checksumGood);
    EXPECT_EQ(entries[2].direction, korvane::sim::Direction::FromMeter);
}

TEST_F(ExchangeTest, AReplyArrivingDuringThePauseNeverReachesTheNextCommand) {
    // The answer to the connect frame comes after SendAndWait gave up on it,
    // while Exchange pauses before sending its own frame.
    meter().faults().add(parseFaultRule("2b:delay=1700"));
    EXPECT_EQ(exchange_.SendAndWait(6, Bytes{6, 0x2B}), 1);
    Reply reply;
    EXPECT_EQ(exchange_.Exchange(6, closeCommand, reply), 1);
    EXPECT_EQ(reply.bytes(), makeReply(0x09, 6));
}
