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
// by: its ID in the editor's table, its place in an analogue plan read from
// the meter; the favourites and the digital power member use it.
struct SurveyChannel {
    int number = 0;
    std::string name;
    std::string type; // "DIGI" is digital; every other type is an analogue carrier
    double mhz = 0;   // vision carrier of an analogue channel, centre of a digital one
    friend bool operator==(const SurveyChannel&, const SurveyChannel&) = default;
};

bool isDigital(const SurveyChannel& channel);

struct SurveyPlan {
    std::vector<SurveyChannel> channels;
    std::vector<int> favourites; // channel numbers; 0 for none
    std::string unit = "dBuV";   // the level unit the plan's header names
};

// A plan as ReadChannel hands it over: channel k (from 1) is known by k.
SurveyPlan surveyPlanOf(const SafeArray<Channellist>& channels, const ChannelHead& head);

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
};

// Called after every channel with its result, how many are done and how many
// there are; returning false stops the survey before the next channel.
using SurveyProgress =
    std::function<bool(const SurveyResult& result, std::size_t done, std::size_t total)>;

struct Survey {
    std::vector<SurveyResult> results; // in frequency order; fewer than planned when stopped
    std::vector<int> favourites;
    std::string unit = "dBuV";
    bool stopped = false;
};

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
// one, as the meter's tilt display shows it; nullopt with fewer than two
// favourites in the survey, when either of the two failed, or when the survey
// was stopped before it reached every channel.
std::optional<double> favouriteDifference(const Survey& survey);

} // namespace sondrel::client
