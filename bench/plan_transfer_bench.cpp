// Figures for whole plan transfers against a meter that answers at line speed
// (9600 baud): a 250-channel analogue plan written with CarryChannel and read
// with ReadChannel, and a 60-channel digital plan both ways.
#include "KorvaneConnection.h"
#include "bench_support.h"
#include "common/plan_codec_packets.h"

#include <cstdio>

using namespace korvane;
using namespace sondrel;

namespace {

constexpr double SecondsPerByte = 10 / 9600.0; // 10 bits a byte at 9600 baud

SafeArray<Channellist> analogPlan(int channels) {
    SafeArray<Channellist> plan;
    plan.redim(1, channels);
    for (int i = 1; i <= channels; ++i) {
        plan.at(i).ChannelName = std::to_string(i);
        plan.at(i).freq = 45.25f + 4.0f * static_cast<float>(i);
        plan.at(i).Type = "TV";
        plan.at(i).Audio1 = 5.5f;
    }
    return plan;
}

SafeArray<ChannellistDigi> digitalPlan(int channels) {
    SafeArray<ChannellistDigi> plan;
    plan.redim(1, channels);
    for (int i = 1; i <= channels; ++i) {
        plan.at(i).ChannelName = "C" + std::to_string(i);
        plan.at(i).Type = "DIGI";
        plan.at(i).ChannelNumber = i;
        plan.at(i).freq = 114.0f + 8.0f * static_cast<float>(i);
        plan.at(i).Memo = "256QAM";
        plan.at(i).Rate = "6.875";
    }
    return plan;
}

// Seconds the frames of a transfer spend on the line, both ways.
double lineSeconds(std::size_t bytes) {
    return static_cast<double>(bytes) * SecondsPerByte;
}

void report(const char* what, double seconds, std::size_t packets, double floor) {
    std::printf("%-34s %6.2f s, %2zu packets (floor %.2f s)\n", what, seconds, packets, floor);
}

} // namespace

int main() {
    bench::BenchMeter meter(/*pacing=*/true);
    auto* link = new KorvaneConnection();
    link->put_PortDevice(bench::BenchPort);

    const int analogChannels = 250;
    const std::size_t entryPackets = analogEntryPacketCount(analogChannels);
    const std::size_t analogPackets = entryPackets + 1;
    // Entry packets of 74 and 72 bytes and the 17-byte header, each way.
    const std::size_t planBytes = 74 + (entryPackets - 1) * 72 + 17;

    Variant plan = Variant::channels(analogPlan(analogChannels)), result;
    ChannelHead head;
    head.Span = 8;
    bench::Stopwatch write;
    link->CarryChannel(&plan, UserPlanA, &head, &result);
    const double writeSeconds = write.seconds();
    if (result.asI2() != 1) std::printf("CarryChannel failed\n");

    SafeArray<Channellist> received;
    bench::Stopwatch read;
    link->ReadChannel(UserPlanA, &received, &head, &result);
    const double readSeconds = read.seconds();
    if (result.asI2() != 1 || received.size() != analogChannels)
        std::printf("ReadChannel failed\n");

    const int digitalChannels = 60;
    const std::size_t digitalPackets = digitalPacketCount(digitalChannels);
    const std::size_t digitalBytes = 90 + (digitalPackets - 1) * 88;
    Variant digital = Variant::channelsDigi(digitalPlan(digitalChannels));
    bench::Stopwatch digitalWrite;
    link->CarryChannelDigi(&digital, UserPlanC, &result);
    const double digitalWriteSeconds = digitalWrite.seconds();
    if (result.asI2() != 1) std::printf("CarryChannelDigi failed\n");
    Variant digitalReceived;
    bench::Stopwatch digitalRead;
    link->ReadChannelDigi(UserPlanC, &digitalReceived, &result);
    const double digitalReadSeconds = digitalRead.seconds();
    if (result.asI2() != 1) std::printf("ReadChannelDigi failed\n");
    link->Release();

    // Writes wait for each 6-byte answer without a pause; reads and digital
    // writes pause 400 ms before every exchange.
    report("CarryChannel, 250 channels:", writeSeconds, analogPackets,
           lineSeconds(planBytes + analogPackets * 6));
    report("ReadChannel, 250 channels:", readSeconds, analogPackets,
           0.4 * static_cast<double>(analogPackets) +
               lineSeconds(planBytes + 7 + (analogPackets - 1) * 6));
    report("CarryChannelDigi, 60 channels:", digitalWriteSeconds, digitalPackets,
           0.4 * static_cast<double>(digitalPackets) +
               lineSeconds(digitalBytes + digitalPackets * 6));
    report("ReadChannelDigi, 60 channels:", digitalReadSeconds, digitalPackets,
           0.4 * static_cast<double>(digitalPackets) +
               lineSeconds(digitalBytes + 7 + (digitalPackets - 1) * 6));
    return 0;
}
