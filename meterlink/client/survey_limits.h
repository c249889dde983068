// Limits a survey is checked against, read from a small JSON file (a "limits
// profile"). Every field but "name" may be left out; a limit left out is not
// checked. Levels are in the profile's "unit" ("dBuV" or "dBmV"), differences
// and ratios in dB:
//
//   {
//     "name": "Example outlet limits",
//     "source": "the rule and clause the numbers come from",
//     "example": false,                  true: numbers not taken from a cited rule
//     "unit": "dBuV",
//     "analogue": {"minLevel": 60, "maxLevel": 80, "minCn": 43},
//     "digital": {"minLevel": 50, "maxLevel": 75, "minMer": 28, "maxBer": 1e-4},
//     "maxAdjacentDifference": 3,        neighbouring channels of one kind
//     "spread": {"maxDifference": 10, "baseMhz": 300, "perHundredMhz": 1},
//     "tilt": {"min": -2, "max": 2}      dB per 100 MHz
//   }
//
// "spread" limits the difference between the highest and lowest level of one
// kind across the plan: maxDifference when the plan ends at or below baseMhz,
// and perHundredMhz more for every 100 MHz (or part of it) the plan reaches above.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel::client {

struct KindLimits {
    std::optional<double> minLevel, maxLevel; // in the profile's unit
    std::optional<double> minCn;              // analogue only, dB
    std::optional<double> minMer;             // digital only, dB
    std::optional<double> maxBer;             // digital only, a ratio
};

struct SpreadLimit {
    double maxDifference = 0; // dB, for a plan ending at or below baseMhz
    double baseMhz = 0;
    double perHundredMhz = 0; // dB more for every 100 MHz above baseMhz

    // The largest difference allowed for a plan whose highest channel is at mhz.
    double allowedFor(double highestMhz) const;
};

struct TiltLimit {
    double min = 0, max = 0; // dB per 100 MHz
};

struct LimitsProfile {
    std::string id;   // the file name without ".json"; how a command line names it
    std::string name; // what a report shows
    std::string source;
    bool example = false;
    std::string unit = "dBuV";
    KindLimits analogue, digital;
    std::optional<double> maxAdjacentDifference;
    std::optional<SpreadLimit> spread;
    std::optional<TiltLimit> tilt;
};

// A profile file that cannot be used: what is wrong with it, in one line.
class LimitsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads a profile from its text; throws LimitsError naming the field at fault.
LimitsProfile parseLimitsProfile(std::string_view text, std::string id);
LimitsProfile readLimitsProfile(const std::filesystem::path& file);

// Where profiles are looked for, first match wins: the user's own
// ($XDG_CONFIG_HOME/sondrel/limits, else ~/.config/sondrel/limits), then the
// shipped ones (SONDREL_LIMITS_DIR when set, else the installed folder).
std::vector<std::filesystem::path> limitsFolders();

// Every profile found in limitsFolders(), by id; a user's profile hides a
// shipped one of the same id. Files that cannot be read are left out.
std::vector<LimitsProfile> availableLimitsProfiles();

// A profile named by its id, or a file path (anything with a '/' or ending in
// ".json"); throws LimitsError when there is none or it cannot be read.
LimitsProfile findLimitsProfile(const std::string& idOrFile);

// A level converted between "dBuV" and "dBmV" (60 dB apart); other units unchanged.
double convertLevel(double level, const std::string& from, const std::string& to);

} // namespace sondrel::client
