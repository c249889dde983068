// Channel plans for the plan transfer tests, and what they look like once read
// back (names padded to three characters; digital names with their fourth,
// zero character).
#pragma once

#include "simulated_meter.h"
#include "yield_hook.h"

#include <string>

namespace korvane::testing {

inline sondrel::SafeArray<sondrel::Channellist> analogPlan(int channels) {
    static const std::pair<const char*, float> types[] = {
        {"TV", 4.5f},   {"TV", 5.5f},   {"TV", 6.0f},   {"TV", 6.5f},
        {"DIGI", 4.5f}, {"DIGI", 5.5f}, {"DIGI", 6.0f}, {"DIGI", 6.5f}};
    sondrel::SafeArray<sondrel::Channellist> plan;
    plan.redim(1, channels);
    for (int i = 1; i <= channels; ++i) {
        auto& c = plan.at(i);
        c.ChannelName = i < 100 ? "S" + std::to_string(i) : std::to_string(i);
        c.freq = 45.0f + 4.25f * static_cast<float>(i);
        c.Type = types[i % 8].first;
        c.Audio1 = types[i % 8].second;
    }
    return plan;
}

inline sondrel::SafeArray<sondrel::Channellist>
analogReadBack(sondrel::SafeArray<sondrel::Channellist> plan) {
    for (auto& c : plan.items)
        c.ChannelName.insert(0, 3 - c.ChannelName.size(), ' ');
    return plan;
}

inline sondrel::SafeArray<sondrel::ChannellistDigi> digitalPlan(int channels) {
    static const char* types[] = {"TV", "DIGI", "SIGL", "DUAL"};
    static const char* modulations[] = {"QPSK",   "16QAM",  "32QAM", "64QAM",
                                        "128QAM", "256QAM", "COFDM"};
    static const char* rates[] = {"6.875", "6.9", "7", "0.5", "27.5"};
    sondrel::SafeArray<sondrel::ChannellistDigi> plan;
    plan.redim(1, channels);
    for (int i = 1; i <= channels; ++i) {
        auto& c = plan.at(i);
        c.ChannelName = "D" + std::to_string(i);
        c.Type = types[i % 4];
        c.ChannelNumber = i;
        c.ChannelOK = i % 3 == 0 ? sondrel::VariantFalse : sondrel::VariantTrue;
        c.TiltOK = i % 3 == 2 ? sondrel::VariantTrue : sondrel::VariantFalse;
        c.freq = 100.0f + 8.25f * static_cast<float>(i);
        c.Audio1 = i % 2 ? 5.5f : 6.5f;
        c.Audio2 = c.Type == "DUAL" ? 5.74f : 0.0f; // read back for DUAL only
        c.Memo = modulations[i % 7];
        c.Rate = rates[i % 5];
    }
    return plan;
}

inline sondrel::SafeArray<sondrel::ChannellistDigi>
digitalReadBack(sondrel::SafeArray<sondrel::ChannellistDigi> plan) {
    for (auto& c : plan.items) {
        c.ChannelName.insert(0, 3 - c.ChannelName.size(), ' ');
        c.ChannelName += '\0';
    }
    return plan;
}

inline sondrel::ChannelHead planHead() {
    sondrel::ChannelHead head;
    head.Fav1 = 3;
    head.Fav2 = 7;
    head.Fav3 = 11;
    head.Fav4 = 19;
    head.Fav5 = 42;
    head.Fav6 = 250;
    head.Span = 20;
    head.Un = 1;
    return head;
}

// Counts the library's yields to its caller while it lives.
class YieldCounter {
  public:
    YieldCounter() {
        sondrel::setYieldHook([](void* self) { ++static_cast<YieldCounter*>(self)->count; }, this);
    }
    ~YieldCounter() { sondrel::setYieldHook(nullptr, nullptr); }
    int count = 0;
};

} // namespace korvane::testing
