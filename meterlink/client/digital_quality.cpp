#include "digital_quality.h"

#include <algorithm>

namespace sondrel::client {
namespace {

// What ReadDigi puts in place of a bit-error ratio it has no number for.
constexpr float NotLocked = 101;
constexpr float NoBitErrors = 100;
constexpr float TooManyBitErrors = 99;

DigitalQualityReading readOne(_KorvaneConnection& meter, int number) {
    const DigitalReading read = readDigital(meter, number);
    DigitalQualityReading reading{number, read.mer, {}, false};
    switch (read.state) {
    case DigitalReading::State::Failed:
    case DigitalReading::State::NotLocked:
        return {number, {}, {}, true};
    case DigitalReading::State::NoBitErrors:
        reading.ber = 0.0;
        break;
    // More errors than the meter counts: beyond any limit.
    case DigitalReading::State::TooManyBitErrors:
        reading.ber = 1.0;
        break;
    case DigitalReading::State::Measured:
        reading.ber = read.ber;
        break;
    }
    return reading;
}

} // namespace

DigitalReading readDigital(_KorvaneConnection& meter, int number) {
    DigitalReading reading;
    if (number < 0 || number > 255) return reading; // not a channel the meter can name
    float power = 0, fromAverage = 0, mer = 0, ber = 0;
    std::int16_t exponent = 0, mantissa = 0;
    Variant result;
    const HResult hr = meter.ReadDigi(static_cast<std::int16_t>(number), &power, &fromAverage, &mer,
                                      &ber, &exponent, &mantissa, &result);
    if (failed(hr) || result.toNumber() != 1.0) return reading;
    reading.power = inTenths(power);
    reading.powerFromAverage = inTenths(fromAverage);
    if (ber == NotLocked) {
        reading.state = DigitalReading::State::NotLocked;
        return reading;
    }
    reading.mer = inTenths(mer);
    if (ber == NoBitErrors) {
        reading.state = DigitalReading::State::NoBitErrors;
    } else if (ber == TooManyBitErrors) {
        reading.state = DigitalReading::State::TooManyBitErrors;
    } else {
        reading.state = DigitalReading::State::Measured;
        reading.ber = static_cast<double>(ber);
    }
    return reading;
}

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
