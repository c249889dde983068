#include "survey_checks.h"

#include <algorithm>
#include <cmath>

namespace sondrel::client {
namespace {

// Figures are compared in tenths, as the meter reads them: 3.0000001 is 3.0.
double tenths(double value) {
    return std::round(value * 10.0) / 10.0;
}

Verdict within(double value, const std::optional<double>& min, const std::optional<double>& max) {
    if (min && value < *min - 1e-9) return Verdict::Fail;
    if (max && value > *max + 1e-9) return Verdict::Fail;
    return Verdict::Pass;
}

CheckResult measured(CheckKind kind, const SurveyChannel& channel, std::optional<double> value,
                     std::optional<double> min, std::optional<double> max) {
    CheckResult check{kind, Verdict::NotMeasured, value, min,
                      max,  channel.number,       0,     isDigital(channel)};
    if (value) check.verdict = within(*value, min, max);
    return check;
}

void checkChannel(const SurveyResult& r, const LimitsProfile& profile, const std::string& unit,
                  const std::optional<std::vector<DigitalQualityReading>>& quality,
                  std::vector<CheckResult>& out) {
    const bool digital = isDigital(r.channel);
    const KindLimits& limits = digital ? profile.digital : profile.analogue;
    if (limits.minLevel || limits.maxLevel) {
        std::optional<double> level;
        if (r.level) level = tenths(convertLevel(*r.level, unit, profile.unit));
        out.push_back(
            measured(CheckKind::Level, r.channel, level, limits.minLevel, limits.maxLevel));
    }
    if (!digital && limits.minCn) {
        std::optional<double> cn;
        if (r.cn) cn = *r.cn;
        out.push_back(measured(CheckKind::CarrierToNoise, r.channel, cn, limits.minCn, {}));
    }
    if (!digital) return;
    const DigitalQualityReading* reading =
        quality ? qualityOf(*quality, r.channel.number) : nullptr;
    const bool usable = reading && !reading->failed;
    if (limits.minMer)
        out.push_back(measured(CheckKind::Mer, r.channel, usable ? reading->mer : std::nullopt,
                               limits.minMer, {}));
    if (limits.maxBer)
        out.push_back(measured(CheckKind::Ber, r.channel, usable ? reading->ber : std::nullopt, {},
                               limits.maxBer));
}

// A network-wide figure over `levels` (every channel of one kind, nullopt
// where it failed): fail when what was measured already exceeds the limit,
// not measured when a channel is missing, else pass.
CheckResult figure(CheckKind kind, bool digital, std::optional<double> value, double max,
                   bool complete) {
    CheckResult check{kind, Verdict::NotMeasured, value, std::nullopt, max, 0, 0, digital};
    if (value && within(*value, {}, max) == Verdict::Fail)
        check.verdict = Verdict::Fail;
    else if (value && complete)
        check.verdict = Verdict::Pass;
    return check;
}

struct KindLevels {
    std::vector<const SurveyResult*> channels; // in frequency order
    bool complete = true;
};

void checkKind(const KindLevels& kind, bool digital, const Survey& survey,
               const LimitsProfile& profile, double highestMhz, std::vector<CheckResult>& out) {
    if (kind.channels.size() < 2) return; // no neighbours, no spread
    const auto levelOf = [&](const SurveyResult* r) {
        return convertLevel(*r->level, survey.unit, profile.unit);
    };
    if (profile.maxAdjacentDifference) {
        std::optional<double> largest;
        int first = 0, second = 0;
        for (std::size_t i = 1; i < kind.channels.size(); ++i) {
            const SurveyResult* a = kind.channels[i - 1];
            const SurveyResult* b = kind.channels[i];
            if (!a->level || !b->level) continue; // a gap is no neighbour
            const double difference = tenths(std::fabs(levelOf(b) - levelOf(a)));
            if (!largest || difference > *largest)
                largest = difference, first = a->channel.number, second = b->channel.number;
        }
        CheckResult check = figure(CheckKind::AdjacentDifference, digital, largest,
                                   *profile.maxAdjacentDifference, kind.complete);
        check.channel = first;
        check.otherChannel = second;
        out.push_back(check);
    }
    if (profile.spread) {
        const SurveyResult *lowest = nullptr, *highest = nullptr;
        for (const SurveyResult* r : kind.channels) {
            if (!r->level) continue;
            if (!lowest || *r->level < *lowest->level) lowest = r;
            if (!highest || *r->level > *highest->level) highest = r;
        }
        std::optional<double> spread;
        if (lowest) spread = tenths(levelOf(highest) - levelOf(lowest));
        CheckResult check = figure(CheckKind::Spread, digital, spread,
                                   profile.spread->allowedFor(highestMhz), kind.complete);
        if (lowest)
            check.channel = lowest->channel.number, check.otherChannel = highest->channel.number;
        out.push_back(check);
    }
}

} // namespace

SurveyChecks checkSurvey(const Survey& survey, const LimitsProfile& profile,
                         const std::optional<std::vector<DigitalQualityReading>>& quality) {
    SurveyChecks checks;
    checks.unit = profile.unit;
    KindLevels analogue, digital;
    double highestMhz = 0;
    for (const SurveyResult& r : survey.results) {
        checkChannel(r, profile, survey.unit, quality, checks.channels);
        KindLevels& kind = isDigital(r.channel) ? digital : analogue;
        kind.channels.push_back(&r);
        kind.complete = kind.complete && r.level.has_value();
        highestMhz = std::max(highestMhz, r.channel.mhz);
    }
    // A stopped survey did not reach every channel of either kind.
    if (survey.stopped) analogue.complete = digital.complete = false;
    checkKind(analogue, false, survey, profile, highestMhz, checks.network);
    checkKind(digital, true, survey, profile, highestMhz, checks.network);
    if (profile.tilt) {
        const auto fit = fitTilt(survey.results);
        std::optional<double> tilt;
        if (fit) tilt = std::round(fit->dbPer100MHz * 100.0) / 100.0;
        CheckResult check{CheckKind::Tilt,
                          Verdict::NotMeasured,
                          tilt,
                          profile.tilt->min,
                          profile.tilt->max,
                          0,
                          0,
                          false};
        if (fit) {
            // The ends of the band the line was fitted over.
            const SurveyResult *lowest = nullptr, *highest = nullptr;
            for (const SurveyResult& r : survey.results) {
                if (!r.level) continue;
                if (!lowest || r.channel.mhz < lowest->channel.mhz) lowest = &r;
                if (!highest || r.channel.mhz > highest->channel.mhz) highest = &r;
            }
            check.channel = lowest->channel.number;
            check.otherChannel = highest->channel.number;
        }
        // A fit that misses a channel may lean either way: only a complete one is judged.
        if (tilt && analogue.complete && digital.complete)
            check.verdict = within(*tilt, profile.tilt->min, profile.tilt->max);
        checks.network.push_back(check);
    }

    const auto any = [&](Verdict v) {
        const auto is = [v](const CheckResult& c) { return c.verdict == v; };
        return std::any_of(checks.channels.begin(), checks.channels.end(), is) ||
               std::any_of(checks.network.begin(), checks.network.end(), is);
    };
    checks.overall = any(Verdict::Fail)                                    ? Verdict::Fail
                     : any(Verdict::NotMeasured) || survey.results.empty() ? Verdict::NotMeasured
                                                                           : Verdict::Pass;
    return checks;
}

std::vector<const CheckResult*> checksOfChannel(const SurveyChecks& checks, int number) {
    std::vector<const CheckResult*> found;
    for (const CheckResult& c : checks.channels)
        if (c.channel == number) found.push_back(&c);
    return found;
}

std::vector<const CheckResult*> failedNetworkChecksOf(const SurveyChecks& checks, int number) {
    std::vector<const CheckResult*> found;
    for (const CheckResult& c : checks.network)
        if (c.verdict == Verdict::Fail && number != 0 &&
            (c.channel == number || c.otherChannel == number))
            found.push_back(&c);
    return found;
}

Verdict verdictOfChannel(const SurveyChecks& checks, int number) {
    const auto found = checksOfChannel(checks, number);
    Verdict verdict = found.empty() ? Verdict::NotMeasured : Verdict::Pass;
    for (const CheckResult* c : found) {
        if (c->verdict == Verdict::Fail) return Verdict::Fail;
        if (c->verdict == Verdict::NotMeasured) verdict = Verdict::NotMeasured;
    }
    return verdict;
}

const char* verdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::Pass:
        return "pass";
    case Verdict::Fail:
        return "fail";
    case Verdict::NotMeasured:
        break;
    }
    return "not measured";
}

const char* checkKindName(CheckKind kind) {
    switch (kind) {
    case CheckKind::Level:
        return "level";
    case CheckKind::CarrierToNoise:
        return "C/N";
    case CheckKind::Mer:
        return "MER";
    case CheckKind::Ber:
        return "BER";
    case CheckKind::AdjacentDifference:
        return "adjacent difference";
    case CheckKind::Spread:
        return "spread";
    case CheckKind::Tilt:
        break;
    }
    return "tilt";
}

} // namespace sondrel::client
