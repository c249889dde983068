// A level survey: every channel of a plan measured in frequency order, the way
// a technician walks a plan with the meter to set an amplifier's equaliser.
// Analogue channels are read at their vision carrier (GetLevelByFrequence,
// optionally GetCN), digital ones by their channel power (ReadPowerDigi).
// Knows nothing of the wire: it talks to any _KorvaneConnection.
#pragma once

#include "korvane_interface.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sondrel::client {

// One channel to measure. `number` is the number the meter knows the channel
// by: its place in the plan the meter holds (a Download numbers the table's
// rows 1..n in frequency order); the favourites and the digital power member
// use it.
struct SurveyChannel {
    int number = 0;
    std::string name;
    std::string type; // "DIGI" is digital; every other type is an analogue carrier
    double mhz = 0;   // vision carrier of an analogue channel, centre of a digital one
                      // as the decimal the plan holds (planMhz)
    friend bool operator==(const SurveyChannel&, const SurveyChannel&) = default;
};

bool isDigital(const SurveyChannel& channel);

// A plan's frequency, held in single precision by the meter and the plan
// files, as the decimal it was written as: 55.3, never 55.29999923706055.
double planMhz(float mhz);

struct SurveyPlan {
    std::vector<SurveyChannel> channels;
    std::vector<int> favourites; // channel numbers; 0 for none
    // The level unit the survey asks the meter to read in ("dBuV", "dBmV" or
    // "dBm"): the one the plan's header names unless the user chose another.
    std::string unit = "dBuV";
};

// A plan as ReadChannel hands it over: channel k (from 1) is known by k.
SurveyPlan surveyPlanOf(const SafeArray<Channellist>& channels, const ChannelHead& head);

// The plan the meter measures by: its active plan, read with ReadPlanNum and
// ReadChannel.
struct ActivePlan {
    enum class Outcome {
        Read,        // plan and slot hold what the meter holds
        SlotUnknown, // the meter did not say which plan is active
        NotRead,     // the active plan's channels could not be read
    };
    Outcome outcome = Outcome::NotRead;
    char slot = 0; // 'A' to 'E' once the meter said it
    SurveyPlan plan;
};
ActivePlan readActivePlan(_KorvaneConnection& meter);

// A value the meter sends in tenths, as the decimal it stands for: single
// precision would turn 82.3 into 82.3000031.
double inTenths(double value);
// The level at mhz (GetLevelByFrequence), in tenths; nullopt when it failed.
std::optional<double> analogueLevel(_KorvaneConnection& meter, double mhz);
// The C/N of the carrier at mhz (GetCN), dB; nullopt when it failed.
std::optional<int> carrierToNoise(_KorvaneConnection& meter, double mhz);
// How far the carrier at mhz sits from it (GetFreqOffset), MHz; nullopt when it failed.
std::optional<double> carrierOffset(_KorvaneConnection& meter, double mhz);

// One measured channel. A failed measurement has no level: it is never 0 dB.
struct SurveyResult {
    SurveyChannel channel;
    std::optional<double> level; // in the plan's unit, tenths; nullopt: failed
    std::optional<int> cn;       // dB; nullopt when not asked, digital or failed
    bool cnFailed = false;       // C/N was asked for and could not be read
    friend bool operator==(const SurveyResult&, const SurveyResult&) = default;
};

struct SurveyOptions {
    bool carrierToNoise = false; // also read C/N of analogue channels (6-13 readings each)
    // Told, before the first channel, the unit the meter confirmed (empty: not confirmed).
    std::function<void(const std::string& unit)> unitConfirmed = nullptr;
};

// Called after every channel with its result, how many are done and how many
// there are; returning false stops the survey before the next channel.
using SurveyProgress =
    std::function<bool(const SurveyResult& result, std::size_t done, std::size_t total)>;

struct Survey {
    std::vector<SurveyResult> results; // in frequency order; fewer than planned when stopped
    std::vector<int> favourites;
    // The level unit the meter confirmed it reads in when the survey set it
    // (SetupLevelUnit's echo); empty when the meter did not confirm it, and
    // then nobody knows the unit of the levels.
    std::string unit = "dBuV";
    bool stopped = false;
    // The first channels all failed: the meter does not answer, and the
    // survey ended there rather than fail every channel in turn.
    bool meterSilent = false;
};

// How many channels failing from the first one on end a survey as silent.
inline constexpr std::size_t SilentMeterChannels = 3;

// Sets the meter's level unit to the plan's unit, then measures every channel
// in frequency order; ends early when the first SilentMeterChannels all fail.
Survey runSurvey(_KorvaneConnection& meter, const SurveyPlan& plan, const SurveyOptions& options,
                 const SurveyProgress& progress = {});

// The straight line that fits the levels best. Digital channel power stands at
// a level of its own below the vision carriers, so analogue and digital
// channels each keep their own mean level and share one slope.
struct TiltFit {
    double dbPer100MHz = 0;
    // Mean frequency and level of the analogue and of the digital channels
    // measured; a group without channels has nullopt.
    struct Group {
        double meanMhz = 0;
        double meanLevel = 0;
        double lowestMhz = 0;
        double highestMhz = 0;
    };
    std::optional<Group> analogue;
    std::optional<Group> digital;
    // The fitted level at mhz on the line of a group.
    static double levelAt(const Group& group, double slopePer100MHz, double mhz) {
        return group.meanLevel + slopePer100MHz * (mhz - group.meanMhz) / 100.0;
    }
};

// The least-squares tilt over the measured channels, dB per 100 MHz; nullopt
// when no group has two measured channels at different frequencies.
std::optional<TiltFit> fitTilt(const std::vector<SurveyResult>& results);

// Level of the highest-frequency favourite minus that of the lowest-frequency
// one, as the meter's tilt display shows it, within one kind: carrier levels
// with carrier levels, digital channel power with digital channel power (the
// two stand at levels of their own). A kind has nullopt with fewer than two
// favourites of it in the survey or when either of its two failed; both have
// nullopt when the survey was stopped before it reached every channel.
struct FavouriteDifferences {
    std::optional<double> analogue;
    std::optional<double> digital;
};
FavouriteDifferences favouriteDifferences(const Survey& survey);

} // namespace sondrel::client
