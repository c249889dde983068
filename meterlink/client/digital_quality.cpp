#include "digital_quality.h"

#include <algorithm>
#include <cmath>

namespace sondrel::client {
namespace {

// What ReadDigi puts in place of a bit-error ratio it has no number for.
constexpr float NotLocked = 101;
constexpr float NoBitErrors = 100;
constexpr float TooManyBitErrors = 99;

DigitalQualityReading readOne(_KorvaneConnection& meter, int number) {
    DigitalQualityReading reading{number, {}, {}, true};
    if (number < 0 || number > 255) return reading; // not a channel the meter can name
    float power = 0, fromAverage = 0, mer = 0, ber = 0;
    std::int16_t exponent = 0, mantissa = 0;
    Variant result;
    const HResult hr = meter.ReadDigi(static_cast<std::int16_t>(number), &power, &fromAverage, &mer,
                                      &ber, &exponent, &mantissa, &result);
    if (failed(hr) || result.toNumber() != 1.0 || ber == NotLocked) return reading;
    reading.failed = false;
    reading.mer = std::round(mer * 10.0) / 10.0;
    if (ber == NoBitErrors)
        reading.ber = 0.0;
    else if (ber == TooManyBitErrors)
        reading.ber = 1.0; // more errors than the meter counts: beyond any limit
    else
        reading.ber = static_cast<double>(ber);
    return reading;
}

} // namespace

std::vector<DigitalQualityReading> readDigitalQuality(_KorvaneConnection& meter,
                                                      const Survey& survey,
                                                      const SurveyProgress& progress) {
    std::vector<const SurveyResult*> digital;
    for (const SurveyResult& r : survey.results)
        if (isDigital(r.channel)) digital.push_back(&r);
    std::vector<DigitalQualityReading> readings;
    for (const SurveyResult* r : digital) {
        readings.push_back(readOne(meter, r->channel.number));
        if (progress && !progress(*r, readings.size(), digital.size())) break;
    }
    return readings;
}

const DigitalQualityReading* qualityOf(const std::vector<DigitalQualityReading>& readings,
                                       int number) {
    const auto it = std::find_if(readings.begin(), readings.end(),
                                 [&](const auto& r) { return r.number == number; });
    return it == readings.end() ? nullptr : &*it;
}

} // namespace sondrel::client
