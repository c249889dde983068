// MER and bit-error ratio of the digital channels of a survey, read with
// ReadDigi after the levels: two more exchanges' worth of reply per channel,
// asked for only when a check needs them.
#pragma once

#include "level_survey.h"

#include <optional>
#include <vector>

namespace sondrel::client {

struct DigitalQualityReading {
    int number = 0;            // the channel's number, as in its SurveyResult
    std::optional<double> mer; // dB; nullopt: not read or the receiver did not lock
    std::optional<double> ber; // ratio before correction; 0 when no errors were counted
    bool failed = false;       // the member did not answer or the receiver did not lock
    friend bool operator==(const DigitalQualityReading&, const DigitalQualityReading&) = default;
};

// One ReadDigi of a digital channel, its markers told apart.
struct DigitalReading {
    enum class State {
        Failed,      // the member did not answer (or the channel has no number the meter takes)
        NotLocked,   // the receiver did not lock: power only
        Measured,    // MER and BER measured
        NoBitErrors, // MER measured, no bit errors counted
        TooManyBitErrors, // MER measured, more bit errors than the meter counts
    };
    State state = State::Failed;
    double power = 0;            // channel power, in the meter's level unit
    double powerFromAverage = 0; // dB against the average of the plan's digital channels
    std::optional<double> mer;   // dB, when measured
    std::optional<double> ber;   // the ratio, only in State::Measured
};
DigitalReading readDigital(_KorvaneConnection& meter, int number);

// The MER and BER of every digital channel the survey measured, in its order.
// `progress` as runSurvey's; returning false stops before the next channel.
std::vector<DigitalQualityReading> readDigitalQuality(_KorvaneConnection& meter,
                                                      const Survey& survey,
                                                      const SurveyProgress& progress = {});

// The reading of channel `number`; nullptr when there is none.
const DigitalQualityReading* qualityOf(const std::vector<DigitalQualityReading>& readings,
                                       int number);

} // namespace sondrel::client
