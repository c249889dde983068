#include "level_survey.h"

#include "common/option_texts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace sondrel::client {
namespace {

// True when a member returned without an error and reported 1 (carried out).
bool carriedOut(HResult hr, const Variant& result) {
    return !failed(hr) && result.toNumber() == 1.0;
}

} // namespace

double inTenths(double value) {
    return std::round(value * 10.0) / 10.0;
}

std::optional<double> analogueLevel(_KorvaneConnection& meter, double mhz) {
    Variant level, result;
    const HResult hr = meter.GetLevelByFrequence(Variant::r8(mhz), &level, &result);
    if (!carriedOut(hr, result)) return std::nullopt;
    const auto value = level.toNumber();
    if (!value) return std::nullopt;
    return inTenths(*value);
}

namespace {

std::optional<double> digitalPower(_KorvaneConnection& meter, int number) {
    if (number < 0 || number > 255) return std::nullopt; // not a channel the meter can name
    float power = 0, fromAverage = 0;
    Variant result;
    const HResult hr =
        meter.ReadPowerDigi(static_cast<std::int16_t>(number), &power, &fromAverage, &result);
    if (!carriedOut(hr, result)) return std::nullopt;
    return inTenths(power);
}

} // namespace

std::optional<int> carrierToNoise(_KorvaneConnection& meter, double mhz) {
    Variant cn, result;
    const HResult hr = meter.GetCN(Variant::r8(mhz), &cn, &result);
    if (!carriedOut(hr, result)) return std::nullopt;
    const auto value = cn.toNumber();
    if (!value) return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<double> carrierOffset(_KorvaneConnection& meter, double mhz) {
    Variant offset, result;
    const HResult hr = meter.GetFreqOffset(Variant::r8(mhz), &offset, &result);
    if (!carriedOut(hr, result) || offset.type() != VarType::Bstr) return std::nullopt;
    const std::string& text = offset.asBstr();
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

namespace {

SurveyResult measure(_KorvaneConnection& meter, const SurveyChannel& channel,
                     const SurveyOptions& options) {
    SurveyResult result{channel, {}, {}, false};
    if (isDigital(channel)) {
        result.level = digitalPower(meter, channel.number);
        return result;
    }
    result.level = analogueLevel(meter, channel.mhz);
    if (options.carrierToNoise) {
        result.cn = carrierToNoise(meter, channel.mhz);
        result.cnFailed = !result.cn;
    }
    return result;
}

// Asks the meter to read in `unit` and gives the unit it confirms it now reads
// in; empty when it does not confirm.
std::string confirmedUnit(_KorvaneConnection& meter, const std::string& unit) {
    std::string now = unit;
    std::int16_t result = 0;
    if (failed(meter.SetupLevelUnit(&now, &result)) || result == 0) return {};
    return now;
}

// A name from the meter without the blanks that pad it to its field.
std::string trimmed(const std::string& name) {
    const auto first = name.find_first_not_of(std::string(" \0", 2));
    if (first == std::string::npos) return {};
    return name.substr(first, name.find_last_not_of(std::string(" \0", 2)) - first + 1);
}

// Sums for one group's share of the pooled least-squares fit.
struct GroupSums {
    int count = 0;
    double sumMhz = 0, sumLevel = 0, sumMhzMhz = 0, sumMhzLevel = 0;
    double lowest = 0, highest = 0;

    void add(double mhz, double level) {
        lowest = count == 0 ? mhz : std::min(lowest, mhz);
        highest = count == 0 ? mhz : std::max(highest, mhz);
        ++count;
        sumMhz += mhz;
        sumLevel += level;
        sumMhzMhz += mhz * mhz;
        sumMhzLevel += mhz * level;
    }
    // Spread of the frequencies about their mean and their co-spread with the levels.
    double spreadMhz() const { return count ? sumMhzMhz - sumMhz * sumMhz / count : 0; }
    double spreadMhzLevel() const { return count ? sumMhzLevel - sumMhz * sumLevel / count : 0; }
    std::optional<TiltFit::Group> group() const {
        if (count == 0) return std::nullopt;
        return TiltFit::Group{sumMhz / count, sumLevel / count, lowest, highest};
    }
};

} // namespace

bool isDigital(const SurveyChannel& channel) {
    return channel.type == "DIGI";
}

double planMhz(float mhz) {
    // The shortest decimal that reads back as the same single-precision value.
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text - 1, mhz).ptr;
    *end = '\0';
    return std::strtod(text, nullptr);
}

SurveyPlan surveyPlanOf(const SafeArray<Channellist>& channels, const ChannelHead& head) {
    SurveyPlan plan;
    int place = 0;
    for (const Channellist& channel : channels.items)
        plan.channels.push_back(
            {++place, trimmed(channel.ChannelName), channel.Type, planMhz(channel.freq)});
    plan.favourites = {head.Fav1, head.Fav2, head.Fav3, head.Fav4, head.Fav5, head.Fav6};
    // The editor writes 2 for dBmV and 1 for dBuV.
    plan.unit = head.Un == 2 ? "dBmV" : "dBuV";
    return plan;
}

ActivePlan readActivePlan(_KorvaneConnection& meter) {
    ActivePlan active;
    UserPlanNumber slot = UserPlanA;
    std::int16_t done = 0;
    const auto letter = [&] { return PlanLetters.textOf(static_cast<std::uint8_t>(slot)); };
    if (failed(meter.ReadPlanNum(&slot, &done)) || done != 1 || !letter()) {
        active.outcome = ActivePlan::Outcome::SlotUnknown;
        return active;
    }
    active.slot = letter()->front();
    SafeArray<Channellist> channels;
    ChannelHead head;
    Variant result;
    if (failed(meter.ReadChannel(slot, &channels, &head, &result)) || result.toNumber() != 1.0) {
        active.outcome = ActivePlan::Outcome::NotRead;
        return active;
    }
    active.plan = surveyPlanOf(channels, head);
    active.outcome = ActivePlan::Outcome::Read;
    return active;
}

Survey runSurvey(_KorvaneConnection& meter, const SurveyPlan& plan, const SurveyOptions& options,
                 const SurveyProgress& progress) {
    std::vector<SurveyChannel> order = plan.channels;
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.mhz < b.mhz; });
    Survey survey;
    survey.favourites = plan.favourites;
    survey.unit = confirmedUnit(meter, plan.unit);
    if (options.unitConfirmed) options.unitConfirmed(survey.unit);
    bool everyOneFailed = true;
    for (const SurveyChannel& channel : order) {
        survey.results.push_back(measure(meter, channel, options));
        const std::size_t done = survey.results.size();
        everyOneFailed = everyOneFailed && !survey.results.back().level;
        const bool goOn = !progress || progress(survey.results.back(), done, order.size());
        if (everyOneFailed && (done == SilentMeterChannels || done == order.size()))
            survey.meterSilent = true;
        if (!goOn || survey.meterSilent) {
            survey.stopped = done < order.size();
            break;
        }
    }
    return survey;
}

std::optional<TiltFit> fitTilt(const std::vector<SurveyResult>& results) {
    GroupSums analogue, digital;
    for (const SurveyResult& r : results)
        if (r.level) (isDigital(r.channel) ? digital : analogue).add(r.channel.mhz, *r.level);
    const double spread = analogue.spreadMhz() + digital.spreadMhz();
    // Below this the frequencies do not differ: no slope can be told.
    if (spread < 1e-9) return std::nullopt;
    TiltFit fit;
    fit.dbPer100MHz = 100.0 * (analogue.spreadMhzLevel() + digital.spreadMhzLevel()) / spread;
    fit.analogue = analogue.group();
    fit.digital = digital.group();
    return fit;
}

FavouriteDifferences favouriteDifferences(const Survey& survey) {
    // A stopped survey may not have reached the highest favourites.
    if (survey.stopped) return {};
    const auto differenceOf = [&survey](bool digital) -> std::optional<double> {
        const SurveyResult* lowest = nullptr;
        const SurveyResult* highest = nullptr;
        for (const SurveyResult& r : survey.results) {
            if (isDigital(r.channel) != digital || r.channel.number == 0 ||
                std::find(survey.favourites.begin(), survey.favourites.end(), r.channel.number) ==
                    survey.favourites.end())
                continue;
            if (!lowest || r.channel.mhz < lowest->channel.mhz) lowest = &r;
            if (!highest || r.channel.mhz > highest->channel.mhz) highest = &r;
        }
        if (!lowest || lowest == highest || !lowest->level || !highest->level) return std::nullopt;
        return inTenths(*highest->level - *lowest->level);
    };
    return {differenceOf(false), differenceOf(true)};
}

} // namespace sondrel::client
