#include "survey_comparison.h"

#include "survey_limits.h"

#include <cmath>

namespace sondrel::client {
namespace {

bool sameChannel(const SurveyChannel& a, const SurveyChannel& b) {
    return a.type == b.type && std::llround(a.mhz * 100) == std::llround(b.mhz * 100);
}

const SurveyResult* find(const Survey& survey, const SurveyChannel& channel) {
    for (const SurveyResult& r : survey.results)
        if (sameChannel(r.channel, channel)) return &r;
    return nullptr;
}

std::optional<double> tiltOf(const Survey& survey) {
    const auto fit = fitTilt(survey.results);
    if (!fit) return std::nullopt;
    return std::round(fit->dbPer100MHz * 100.0) / 100.0;
}

} // namespace

SurveyComparison compareSurveys(const Survey& earlier, const Survey& later, double thresholdDb) {
    SurveyComparison comparison;
    comparison.threshold = thresholdDb;
    comparison.tiltBefore = tiltOf(earlier);
    comparison.tiltAfter = tiltOf(later);
    const auto add = [&](const SurveyChannel& channel, const SurveyResult* before,
                         const SurveyResult* after) {
        ChannelChange change{channel, {}, {}, {}, false};
        if (before && before->level)
            change.before = convertLevel(*before->level, earlier.unit, later.unit);
        if (after) change.after = after->level;
        if (change.before && change.after) {
            change.change = std::round((*change.after - *change.before) * 10.0) / 10.0;
            change.flagged = std::fabs(*change.change) > thresholdDb + 1e-9;
        } else {
            // Measured once and not the other time: that is a change worth a look.
            change.flagged = change.before.has_value() != change.after.has_value();
        }
        comparison.flagged += change.flagged ? 1 : 0;
        comparison.channels.push_back(change);
    };
    for (const SurveyResult& r : later.results)
        add(r.channel, find(earlier, r.channel), &r);
    for (const SurveyResult& r : earlier.results)
        if (!find(later, r.channel)) add(r.channel, &r, nullptr);
    return comparison;
}

} // namespace sondrel::client
