// A survey compared with an earlier one of the same site: each channel's
// change of level, flagged when it moved more than a threshold or could be
// measured in one survey and not in the other.
#pragma once

#include "level_survey.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sondrel::client {

inline constexpr double DefaultChangeThresholdDb = 2.0;

struct ChannelChange {
    SurveyChannel channel;        // as in the later survey (the earlier one when only there)
    std::optional<double> before; // level in the earlier survey; nullopt: failed or absent
    std::optional<double> after;
    std::optional<double> change; // after minus before, when both were measured
    bool flagged = false;
};

struct SurveyComparison {
    double threshold = DefaultChangeThresholdDb;
    std::vector<ChannelChange> channels; // in the later survey's order, then channels gone
    std::optional<double> tiltBefore, tiltAfter;
    int flagged = 0;
};

// Channels are matched by type and frequency (to 10 kHz); levels are compared
// in the later survey's unit.
SurveyComparison compareSurveys(const Survey& earlier, const Survey& later,
                                double thresholdDb = DefaultChangeThresholdDb);

} // namespace sondrel::client
