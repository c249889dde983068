// A survey checked against a limits profile: every channel's level (and C/N,
// MER, BER where the profile limits them) and every network-wide figure
// (largest difference between neighbours, spread across the plan, tilt) gets
// a verdict with the limit it was checked against. A reading that failed is
// never a pass: its check is "not measured", and a network-wide figure that
// misses a channel is "not measured" unless what was measured already fails.
#pragma once

#include "digital_quality.h"
#include "level_survey.h"
#include "survey_limits.h"

#include <optional>
#include <string>
#include <vector>

namespace sondrel::client {

enum class Verdict { Pass, Fail, NotMeasured };

enum class CheckKind {
    Level,              // a channel's level, in the profile's unit
    CarrierToNoise,     // an analogue channel's C/N, dB
    Mer,                // a digital channel's MER, dB
    Ber,                // a digital channel's bit-error ratio
    AdjacentDifference, // largest difference between neighbouring channels of one kind, dB
    Spread,             // highest minus lowest level of one kind, dB
    Tilt,               // dB per 100 MHz over every channel
};

struct CheckResult {
    CheckKind kind = CheckKind::Level;
    Verdict verdict = Verdict::NotMeasured;
    std::optional<double> value;    // what was measured; nullopt when it was not
    std::optional<double> min, max; // the limit: at least min, at most max
    // The channel checked, or the two a network-wide figure comes from: the
    // neighbours of an adjacent difference, the lowest and the highest level of
    // a spread, the lowest and the highest frequency measured of a tilt; 0: none.
    int channel = 0;
    int otherChannel = 0;
    bool digital = false; // the kind of channel the check concerns
    friend bool operator==(const CheckResult&, const CheckResult&) = default;
};

struct SurveyChecks {
    std::string unit;                  // the profile's unit, in which levels are given
    std::vector<CheckResult> channels; // per channel, in the survey's order
    std::vector<CheckResult> network;  // network-wide figures
    Verdict overall = Verdict::NotMeasured;
};

// `quality` holds the MER and BER readings when they were asked for; without
// them a profile's MER and BER limits are "not measured".
SurveyChecks checkSurvey(const Survey& survey, const LimitsProfile& profile,
                         const std::optional<std::vector<DigitalQualityReading>>& quality = {});

// The checks of one channel.
std::vector<const CheckResult*> checksOfChannel(const SurveyChecks& checks, int number);
// The network-wide figures that failed and that come from channel `number`.
std::vector<const CheckResult*> failedNetworkChecksOf(const SurveyChecks& checks, int number);
// A channel's verdict over all its checks: fail when one failed, not measured
// when one could not be made or the profile checks nothing on it, else pass.
Verdict verdictOfChannel(const SurveyChecks& checks, int number);

// "pass", "fail", "not measured"; "level", "C/N", ... as the command line and
// the history write them.
const char* verdictName(Verdict verdict);
const char* checkKindName(CheckKind kind);

} // namespace sondrel::client
