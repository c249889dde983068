// Simulated meter: the spectrum its input sees and what it measures there.
//
// Every channel of the active plan puts carriers into the spectrum:
//   "TV"   a video carrier at the channel frequency and a sound carrier Audio1
//          MHz above it (level audioBelowVideo dB lower);
//   "DUAL" the same with a second sound carrier at Audio2;
//   "SIGL" a single unmodulated carrier;
//   "DIGI" a flat block centred on the channel frequency, 8 MHz wide (or
//          1.15 x the symbol rate when the plan gives one), of channel power
//          digitalPower.
// Over all lies a noise floor (noiseFloor dBuV, with a fixed ripple of up to
// noiseRipple dB across frequency). Video carriers stand at videoLevel dBuV
// at 50 MHz and change by tiltPer100MHz per 100 MHz above it (falling, as at
// the end of a cable, when it is negative), each one up to
// levelSpread dB off that line; each carrier sits a fixed whole number of
// 10 kHz steps (at most maxOffsetKHz) beside its nominal frequency. The
// spreads and offsets are fixed functions of the channel frequency, so the
// same plan always gives the same spectrum.
//
// The meter reads the level through a Gaussian filter resolutionKHz wide at
// 3 dB, summing the power of everything within reach, in tenths of a dBuV.
// For a digital channel it also reports channel power, MER (from the block's
// height above the noise) and a pre-correction bit-error ratio from MER.
#pragma once

#include "level_offsets.h"
#include "level_wander.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvane::sim {

struct PlanMemory;

// A channel of the active plan as the signal model sees it.
struct ModelChannel {
    int number = 0;       // the number the meter knows it by (see channelsOfActivePlan)
    std::string type;     // "TV", "DUAL", "SIGL", "DIGI" (other types put nothing on the line)
    double mhz = 0;       // video carrier, single carrier, or digital centre
    double audio1Mhz = 0; // sound carriers above the video carrier; 0 for none
    double audio2Mhz = 0;
    double symbolRateMs = 0; // MS/s; 0 for an 8 MHz block
};

// The channels of the active plan slot. In a digital plan a channel is known
// by its own number; in an analogue plan by its place in the plan, from 1.
std::vector<ModelChannel> channelsOfActivePlan(const PlanMemory& plans);

// A digital channel measurement, in the units the meter sends.
struct DigitalQuality {
    double power = 0;             // channel power, dBuV
    double powerFromAverage = 0;  // power minus the average of the plan's digital channels, dB
    std::optional<double> mer;    // dB; nullopt when the receiver cannot lock
    std::optional<double> preBer; // bit-error ratio; nullopt when no errors were counted
};

struct SignalModel {
    double noiseFloor = 30.0;
    double noiseRipple = 0.6;
    double videoLevel = 84.0;
    double tiltPer100MHz = -0.5;
    double levelSpread = 1.5;
    double audioBelowVideo = 13.0;
    double digitalPower = 82.0;
    int maxOffsetKHz = 30;
    double resolutionKHz = 100.0;
    // The frequency the meter is tuned to, kHz.
    std::uint32_t tunedKHz = 48250;
    // Channels set off their usual level (a demonstration's out-of-limit channels).
    LevelOffsets levelOffsets;
    // Levels drifting over time (a demonstration's living trace; off by default).
    LevelWander wander;

    // Lowest and highest frequency the meter tunes to, kHz.
    static constexpr std::uint32_t LowestKHz = 5'000;
    static constexpr std::uint32_t HighestKHz = 870'000;

    // How far the channel's carriers sit from their nominal frequencies, kHz.
    int carrierOffsetKHz(const ModelChannel& channel) const;
    // The level of the channel's video (or single) carrier at its peak, dBuV.
    double carrierLevel(const ModelChannel& channel) const;
    // The noise floor with its ripple at mhz, dBuV.
    double noiseAt(double mhz) const;
    // The level the meter reads when tuned to mhz, dBuV.
    double levelAt(double mhz, std::span<const ModelChannel> channels) const;
    // Power and quality of a digital channel; nullopt for any other channel.
    std::optional<DigitalQuality> digitalQuality(const ModelChannel& channel,
                                                 std::span<const ModelChannel> channels) const;
};

void to_json(nlohmann::json& j, const SignalModel& model);
void from_json(const nlohmann::json& j, SignalModel& model);

} // namespace korvane::sim
