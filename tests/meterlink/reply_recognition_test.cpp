// The library takes only the meter's reply to the very command it sent: stray
// bytes, a late reply to another command, a rotated reply and the echo of a
// bridged cable are never taken as an answer. Against the simulated meter and
// a scripted peer, both over real pseudo-terminals; also the checksum-only
// escape, the failure record, the confirmed tuning and two threads on one object.
#include "last_failure.h"
#include "reply_check.h"
#include "scripted_peer.h"
#include "simulated_meter.h"
#include "yield_hook.h"

#include <thread>

using namespace korvane::testing;
using korvane::sim::parseFaultRule;
using sondrel::Bytes;
using sondrel::FailureKind;
using sondrel::Variant;

namespace {

constexpr std::uint8_t CmdTune = 0x02;
constexpr std::uint8_t CmdSetupVolume = 0x1A;
constexpr std::uint8_t CmdReadShutdown = 0x39;

// Sets SONDREL_REPLY_CHECK for the life of the object.
class ReplyCheckSetting {
  public:
    explicit ReplyCheckSetting(const char* value) {
        ::setenv(sondrel::ReplyCheckVariable, value, 1);
    }
    ~ReplyCheckSetting() { ::unsetenv(sondrel::ReplyCheckVariable); }
};

FailureKind lastKind() {
    return sondrel::lastFailure().kind;
}

} // namespace

using ReplyRecognitionTest = SimulatedMeterTest;

TEST_F(ReplyRecognitionTest, ALateReplyToAnotherCommandIsNeverTheNextOnesAnswer) {
    // The volume's answer comes after the library gave up on it, just after the
    // switch-off read went out: the meter's own switch-off setting must come back.
    meter().faults().add(parseFaultRule("1A:delay=2200,times=1"));
    std::uint8_t volume = 3;
    std::int16_t result = -1;
    link().SetupSLMVolume(&volume, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(lastKind(), FailureKind::NoAnswer);
    std::string shutdown = "untouched";
    link().ReadShutdownUnit(&shutdown, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shutdown, "Always ON");
    EXPECT_EQ(lastKind(), FailureKind::None);
}

TEST_F(ReplyRecognitionTest, StrayBytesBeforeAReplyAreSkipped) {
    // One stray byte before the model's reply; then three.
    meter().faults().add(parseFaultRule("50:garbage=1,times=1"));
    std::string model;
    link().SLMType(&model);
    EXPECT_EQ(model, "2000Q");
    meter().faults().clear();
    meter().faults().add(parseFaultRule("50:garbage=3,times=1"));
    link().SLMType(&model);
    EXPECT_EQ(model, "2000Q");

    // A digital power reading behind stray bytes is the channel's own.
    float clean = 0, cleanpj = 0;
    Variant result;
    link().ReadPowerDigi(49, &clean, &cleanpj, &result);
    ASSERT_EQ(result.asI2(), 1);
    meter().faults().add(parseFaultRule("57:garbage=3,times=1"));
    float power = -1, powerpj = -1;
    link().ReadPowerDigi(49, &power, &powerpj, &result);
    EXPECT_EQ(result.asI2(), 1);
    EXPECT_FLOAT_EQ(power, clean);
    EXPECT_FLOAT_EQ(powerpj, cleanpj);
}

TEST_F(ReplyRecognitionTest, ALevelCountsOnlyWhereTheMeterConfirmedTheTuning) {
    // The meter tunes no higher than 870 MHz and says so.
    Variant level = Variant::r8(-1);
    Variant result;
    link().GetLevelByFrequence(Variant::r8(900), &level, &result);
    EXPECT_EQ(result.asI2(), 0);
    EXPECT_DOUBLE_EQ(level.asR8(), -1);
    EXPECT_EQ(lastKind(), FailureKind::WrongAnswer);

    // An unanswered tuning gives no level either.
    meter().faults().add(parseFaultRule("02:noreply,times=1"));
    link().GetLevelByFrequence(Variant::r8(100), &level, &result);
    EXPECT_EQ(result.asI2(), 0);
    EXPECT_DOUBLE_EQ(level.asR8(), -1);
    EXPECT_EQ(lastKind(), FailureKind::NoAnswer);

    // Where the meter follows, the level is taken.
    link().GetLevelByFrequence(Variant::r8(100), &level, &result);
    EXPECT_EQ(result.asI2(), 1);
    EXPECT_NE(level.asR8(), -1);
}

TEST_F(ReplyRecognitionTest, TwoThreadsOnOneObjectOrOneLineEachGetTheirOwnAnswers) {
    meter().withState([](korvane::sim::MeterState& s) {
        s.settings.volume = 9;
        s.settings.temperatureUnit = 1;
    });
    // One object from two threads; then two objects that share this thread's
    // serial control, each from a thread of its own.
    ConnectionHandle second = makeConnection();
    for (sondrel::KorvaneConnection* other : {&link(), second.get()}) {
        constexpr int Rounds = 5;
        int volumeRight = 0, unitRight = 0;
        std::thread volumes([&] {
            for (int i = 0; i < Rounds; ++i) {
                std::uint8_t volume = 0;
                std::int16_t result = 0;
                link().ReadSLMVolume(&volume, &result);
                volumeRight += result == 1 && volume == 9;
            }
        });
        std::thread units([&] {
            for (int i = 0; i < Rounds; ++i) {
                std::string unit;
                std::int16_t result = 0;
                other->ReadTemperatureUnit(&unit, &result);
                unitRight += result == 1 && unit == "F";
            }
        });
        volumes.join();
        units.join();
        EXPECT_EQ(volumeRight, Rounds);
        EXPECT_EQ(unitRight, Rounds);
    }
}

TEST_F(ReplyRecognitionTest, AStoppedTransferIsRecordedAsCancelled) {
    const auto stopAtOnce = [](void*, int, int) { return 0; };
    sondrel::setTransferObserver(stopAtOnce, nullptr);
    sondrel::SafeArray<sondrel::Channellist> plan;
    sondrel::ChannelHead head;
    Variant result;
    link().ReadChannel(sondrel::UserPlanA, &plan, &head, &result);
    sondrel::setTransferObserver(nullptr, nullptr);
    EXPECT_EQ(result.asI2(), 0);
    EXPECT_EQ(lastKind(), FailureKind::Cancelled);
    link().ReadChannel(sondrel::UserPlanA, &plan, &head, &result);
    EXPECT_EQ(result.asI2(), 1);
    EXPECT_EQ(lastKind(), FailureKind::None);
}

// The library on a port whose other end a test scripts.
class ScriptedPeerTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("SONDREL_PORTS", portsFolder_.str().c_str(), 1); }
    void TearDown() override {
        connection_.reset();
        peer_.reset();
        ::unsetenv("SONDREL_PORTS");
    }
    sondrel::KorvaneConnection& answeredBy(ScriptedPeer::Script script) {
        peer_ =
            std::make_unique<ScriptedPeer>(SimulatedPort, portsFolder_.str(), std::move(script));
        connection_ = makeConnection();
        connection_->put_PortDevice(SimulatedPort);
        return *connection_;
    }

    TempDir portsFolder_;
    std::unique_ptr<ScriptedPeer> peer_;
    ConnectionHandle connection_;
};

TEST_F(ScriptedPeerTest, ABridgedCableIsNoMeter) {
    // TX bridged to RX: every frame comes straight back.
    auto& link = answeredBy([](const Bytes& frame) { return frame; });
    std::uint8_t file = 3;
    std::int16_t result = -1;
    link.DeleteFile(&file, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(lastKind(), FailureKind::WrongAnswer);
    EXPECT_NE(sondrel::lastFailure().text.find("55 AA 01 07 29 03 CD"), std::string::npos)
        << sondrel::lastFailure().text;

    sondrel::SafeArray<sondrel::Channellist> channels;
    channels.redim(1, 2);
    for (int i = 1; i <= 2; ++i) {
        channels.at(i).ChannelName = "C" + std::to_string(i);
        channels.at(i).freq = 100.0f * static_cast<float>(i);
        channels.at(i).Type = "TV";
        channels.at(i).Audio1 = 5.5f;
    }
    Variant plan = Variant::channels(channels);
    sondrel::ChannelHead head;
    Variant sent;
    link.CarryChannel(&plan, sondrel::UserPlanA, &head, &sent);
    EXPECT_EQ(sent.asI2(), 0);
    EXPECT_EQ(lastKind(), FailureKind::WrongAnswer);
    EXPECT_EQ(peer_->frames().size(), 2u) << "nothing more after the first packet's echo";

    // Where the meter's answer is the command itself, the echo passes: the
    // two cannot be told apart.
    std::uint8_t volume = 4;
    link.SetupSLMVolume(&volume, &result);
    EXPECT_EQ(result, 1);
}

TEST_F(ScriptedPeerTest, ALateReplyBeforeTheAnswerIsSkipped) {
    // Each switch-off read is answered by a volume reply and then its own.
    auto& link = answeredBy([](const Bytes& frame) {
        if (frame[4] != CmdReadShutdown) return Bytes{};
        const std::uint8_t ten[] = {3};
        const std::uint8_t five[] = {2};
        Bytes answer = replyFrame(CmdSetupVolume, 7, ten);
        const Bytes own = replyFrame(CmdReadShutdown, 7, five);
        answer.insert(answer.end(), own.begin(), own.end());
        return answer;
    });
    std::string shutdown;
    std::int16_t result = -1;
    link.ReadShutdownUnit(&shutdown, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shutdown, "5 min");
}

TEST_F(ScriptedPeerTest, ARotatedReplyIsRefusedUnlessOnlyTheChecksumIsChecked) {
    // A rotation keeps the sum of a frame, so its checksum still holds.
    auto& link = answeredBy([](const Bytes& frame) {
        const std::uint8_t code[] = {3};
        return frame[4] == CmdReadShutdown ? rotated(replyFrame(CmdReadShutdown, 7, code), 2)
                                           : Bytes{};
    });
    std::string shutdown = "untouched";
    std::int16_t result = -1;
    link.ReadShutdownUnit(&shutdown, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(shutdown, "untouched");
    EXPECT_EQ(lastKind(), FailureKind::WrongAnswer);

    // The escape for a meter whose replies carry another header: the first
    // bytes that came, by their checksum alone.
    const ReplyCheckSetting checksumOnly("checksum");
    link.ReadShutdownUnit(&shutdown, &result);
    EXPECT_EQ(result, 1);
}

TEST_F(ScriptedPeerTest, AnUnconfirmedTuningGivesNoLevel) {
    // The meter reports itself tuned 20 kHz beside the frequency asked for.
    auto& link = answeredBy([](const Bytes& frame) {
        if (frame[4] == CmdTune) {
            const std::uint32_t khz =
                (std::uint32_t{frame[5]} << 16 | frame[6] << 8 | frame[7]) + 20;
            const std::uint8_t data[] = {static_cast<std::uint8_t>(khz >> 16),
                                         static_cast<std::uint8_t>(khz >> 8),
                                         static_cast<std::uint8_t>(khz)};
            return replyFrame(CmdTune, 9, data);
        }
        const std::uint8_t level[] = {0x02, 0x9A};
        return replyFrame(frame[4], 12, level);
    });
    Variant level = Variant::r8(-1);
    Variant result;
    link.GetLevelByFrequence(Variant::r8(100), &level, &result);
    EXPECT_EQ(result.asI2(), 0);
    EXPECT_DOUBLE_EQ(level.asR8(), -1);
    EXPECT_EQ(peer_->frames().size(), 1u) << "no level read after a tuning not confirmed";
}
