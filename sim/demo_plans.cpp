#include "demo_plans.h"

#include <string>

namespace korvane::sim {
namespace {

using sondrel::Channellist;
using sondrel::ChannellistDigi;

// The demonstration names are plain ASCII, the same in every code page.
const sondrel::CodePage& demoCodePage() {
    static const sondrel::CodePage codePage("WINDOWS-1252");
    return codePage;
}

// Channels prefix+first .. prefix+last, `spacing` MHz apart from `firstMhz`.
void addBand(std::vector<sondrel::AnalogEntry>& plan, const std::string& prefix, int first,
             int last, float firstMhz, float spacing, const std::string& type) {
    for (int number = first; number <= last; ++number) {
        Channellist channel;
        channel.ChannelName = prefix + std::to_string(number);
        channel.freq = firstMhz + spacing * static_cast<float>(number - first);
        channel.Type = type;
        channel.Audio1 = 5.5f;
        plan.push_back(sondrel::analogEntryOf(channel, demoCodePage()));
    }
}

AnalogPlan cablePlan() {
    AnalogPlan plan;
    addBand(plan.channels, "E", 2, 4, 48.25f, 7.0f, "TV");
    addBand(plan.channels, "S", 1, 10, 105.25f, 7.0f, "TV");
    addBand(plan.channels, "E", 5, 12, 175.25f, 7.0f, "TV");
    addBand(plan.channels, "S", 11, 20, 231.25f, 7.0f, "TV");
    addBand(plan.channels, "S", 21, 37, 303.25f, 8.0f, "TV");
    addBand(plan.channels, "S", 38, 41, 439.25f, 8.0f, "DIGI");
    addBand(plan.channels, "E", 21, 24, 471.25f, 8.0f, "TV");
    addBand(plan.channels, "E", 25, 28, 503.25f, 8.0f, "DIGI");
    sondrel::ChannelHead head;
    head.Fav1 = 1;
    head.Fav2 = 4;
    head.Fav3 = 14;
    head.Fav4 = 22;
    head.Fav5 = 43;
    head.Fav6 = 60;
    head.Un = 1; // dBuV, as the editor writes it
    head.Span = 8;
    plan.head = sondrel::headEntryOf(head);
    return plan;
}

ChannellistDigi digitalChannel(const std::string& name, const std::string& type, int number,
                               float mhz, const std::string& modulation, const std::string& rate) {
    ChannellistDigi channel;
    channel.ChannelName = name;
    channel.Type = type;
    channel.ChannelNumber = number;
    channel.freq = mhz;
    channel.Memo = modulation;
    channel.Rate = rate;
    channel.ChannelOK = sondrel::VariantTrue;
    return channel;
}

DigitalPlan digitalPlan() {
    std::vector<ChannellistDigi> channels;
    ChannellistDigi pal = digitalChannel("E5", "TV", 5, 175.25f, "", "0");
    pal.Audio1 = 5.5f;
    pal.TiltOK = sondrel::VariantTrue; // the low tilt pilot
    channels.push_back(pal);
    ChannellistDigi dual = digitalChannel("E12", "DUAL", 12, 224.25f, "", "0");
    dual.Audio1 = 5.5f;
    dual.Audio2 = 5.74f;
    channels.push_back(dual);
    for (int number = 21; number <= 36; ++number) {
        const bool qam64 = number >= 33;
        channels.push_back(digitalChannel("C" + std::to_string(number), "DIGI", number,
                                          474.0f + 8.0f * static_cast<float>(number - 21),
                                          qam64 ? "64QAM" : "256QAM", qam64 ? "6.9" : "6.875"));
    }
    channels.back().TiltOK = sondrel::VariantTrue; // the high tilt pilot
    DigitalPlan plan;
    for (const auto& channel : channels)
        plan.channels.push_back(sondrel::digitalEntryOf(channel, demoCodePage()));
    return plan;
}

} // namespace

std::array<PlanSlot, PlanSlotCount> demoPlanSlots() {
    std::array<PlanSlot, PlanSlotCount> slots;
    slots[0].plan = cablePlan();
    slots[2].plan = digitalPlan();
    return slots;
}

} // namespace korvane::sim
