#include "signal_model.h"

#include "state_fields.h"

#include "plan_memory.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvane::sim {
namespace {

// Attenuation of a Gaussian filter, dB, at distance kHz from its centre.
double filterLoss(double distanceKHz, double resolutionKHz) {
    const double x = 2.0 * distanceKHz / resolutionKHz;
    return 10.0 * std::log10(2.0) * x * x;
}

// Contributions further down than this are left out of the sum.
constexpr double NegligibleDb = 150.0;
constexpr double RipplePeriodMHz = 17.0;
constexpr double DigitalBlockMHz = 8.0;
constexpr double RollOff = 1.15;
// MER below this: the receiver does not lock.
constexpr double LockMerDb = 18.0;
// Bit-error ratios below this are not counted in one measurement.
constexpr double LeastCountedBer = 1e-9;

// A fixed value in [-1, 1) for a frequency: the same frequency always gives
// the same value, neighbouring channels unrelated ones.
double fixedSpread(double mhz, std::uint64_t salt) {
    std::uint64_t z = static_cast<std::uint64_t>(std::llround(mhz * 1000.0)) * 0x9E3779B97F4A7C15u +
                      salt * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

constexpr std::uint64_t LevelSalt = 1;
constexpr std::uint64_t OffsetSalt = 2;

double addPowers(double a, double b) {
    return 10.0 * std::log10(std::pow(10.0, a / 10.0) + std::pow(10.0, b / 10.0));
}

double blockWidthMHz(const ModelChannel& channel) {
    return channel.symbolRateMs > 0 ? RollOff * channel.symbolRateMs : DigitalBlockMHz;
}

bool isDigital(const ModelChannel& channel) {
    return channel.type == "DIGI";
}

} // namespace

std::vector<ModelChannel> channelsOfActivePlan(const PlanMemory& plans) {
    // Channel names do not matter to the spectrum; any code page reads them.
    static const sondrel::CodePage codePage("WINDOWS-1252");
    std::vector<ModelChannel> channels;
    if (plans.activeSlot >= plans.slots.size()) return channels;
    const auto& plan = plans.slots[plans.activeSlot].plan;
    if (const auto* analog = std::get_if<AnalogPlan>(&plan)) {
        int place = 0;
        for (const auto& entry : analog->channels) {
            const auto record = sondrel::analogChannelOf(entry, codePage);
            channels.push_back({++place, record.Type, record.freq, record.Audio1, 0, 0});
        }
    } else if (const auto* digital = std::get_if<DigitalPlan>(&plan)) {
        for (const auto& entry : digital->channels) {
            const auto record = sondrel::digitalChannelOf(entry, codePage);
            channels.push_back({record.ChannelNumber, record.Type, record.freq, record.Audio1,
                                record.Audio2, entry.rate / 1000.0});
        }
    }
    return channels;
}

int SignalModel::carrierOffsetKHz(const ModelChannel& channel) const {
    const int steps = std::max(maxOffsetKHz, 0) / 10;
    const double unit = (fixedSpread(channel.mhz, OffsetSalt) + 1.0) / 2.0; // [0, 1)
    const int step = std::min(static_cast<int>(unit * (2 * steps + 1)), 2 * steps) - steps;
    return step * 10;
}

double SignalModel::carrierLevel(const ModelChannel& channel) const {
    const double base = isDigital(channel) ? digitalPower : videoLevel;
    return base + tiltPer100MHz * (channel.mhz - 50.0) / 100.0 +
           levelSpread * fixedSpread(channel.mhz, LevelSalt) + levelOffsets.at(channel.mhz) +
           wander.now(channel.mhz);
}

double SignalModel::noiseAt(double mhz) const {
    return noiseFloor + noiseRipple * std::sin(2.0 * std::numbers::pi * mhz / RipplePeriodMHz);
}

double SignalModel::levelAt(double mhz, std::span<const ModelChannel> channels) const {
    double level = noiseAt(mhz);
    const auto addCarrier = [&](double carrierMhz, double peak) {
        const double loss = filterLoss(std::fabs(mhz - carrierMhz) * 1000.0, resolutionKHz);
        if (loss < NegligibleDb) level = addPowers(level, peak - loss);
    };
    for (const ModelChannel& channel : channels) {
        const double shift = carrierOffsetKHz(channel) / 1000.0;
        const double peak = carrierLevel(channel);
        if (isDigital(channel)) {
            // Power spread evenly over the block: the filter sees its share.
            const double width = blockWidthMHz(channel);
            const double density = peak - 10.0 * std::log10(width * 1000.0 / resolutionKHz);
            const double outside = std::fabs(mhz - channel.mhz - shift) - width / 2.0;
            const double loss = outside > 0 ? filterLoss(outside * 1000.0, resolutionKHz) : 0.0;
            if (loss < NegligibleDb) level = addPowers(level, density - loss);
        } else if (channel.type == "TV" || channel.type == "DUAL" || channel.type == "SIGL") {
            addCarrier(channel.mhz + shift, peak);
            if (channel.type == "SIGL") continue;
            if (channel.audio1Mhz > 0)
                addCarrier(channel.mhz + channel.audio1Mhz + shift, peak - audioBelowVideo);
            if (channel.type == "DUAL" && channel.audio2Mhz > 0)
                addCarrier(channel.mhz + channel.audio2Mhz + shift, peak - audioBelowVideo);
        }
    }
    return level;
}

std::optional<DigitalQuality>
SignalModel::digitalQuality(const ModelChannel& channel,
                            std::span<const ModelChannel> channels) const {
    if (!isDigital(channel)) return std::nullopt;
    DigitalQuality quality;
    quality.power = carrierLevel(channel);
    double sum = 0;
    int count = 0;
    for (const ModelChannel& other : channels)
        if (isDigital(other)) sum += carrierLevel(other), ++count;
    quality.powerFromAverage = quality.power - sum / count;

    const double density =
        quality.power - 10.0 * std::log10(blockWidthMHz(channel) * 1000.0 / resolutionKHz);
    // The receiver's own loss keeps MER a little below the block's height over the noise.
    const double mer = std::min(density - noiseAt(channel.mhz) - 1.0, 40.0);
    if (mer < LockMerDb) return quality;
    quality.mer = mer;
    // A rough curve for 64/256-QAM before error correction: 1E-4 at 26 dB,
    // ten times fewer errors for every 2 dB more.
    const double ber = std::pow(10.0, -4.0 - 0.5 * (mer - 26.0));
    if (ber >= LeastCountedBer) quality.preBer = ber;
    return quality;
}

void to_json(nlohmann::json& j, const SignalModel& m) {
    j = nlohmann::json{{"noiseFloor", m.noiseFloor},       {"noiseRipple", m.noiseRipple},
                       {"videoLevel", m.videoLevel},       {"tiltPer100MHz", m.tiltPer100MHz},
                       {"levelSpread", m.levelSpread},     {"audioBelowVideo", m.audioBelowVideo},
                       {"digitalPower", m.digitalPower},   {"maxOffsetKHz", m.maxOffsetKHz},
                       {"resolutionKHz", m.resolutionKHz}, {"tunedKHz", m.tunedKHz}};
    if (!m.levelOffsets.entries.empty()) j["levelOffsets"] = m.levelOffsets;
}

void from_json(const nlohmann::json& j, SignalModel& m) {
    const SignalModel d;
    const std::string s = "signal";
    requireObject(j, s);
    // Levels in dBuV and differences in dB within what a meter shows; a filter
    // narrower than 1 kHz or a sweep wider than a channel make no reading.
    m.noiseFloor = numberField(j, s, "noiseFloor", d.noiseFloor, -20.0, 140.0);
    m.noiseRipple = numberField(j, s, "noiseRipple", d.noiseRipple, 0.0, 20.0);
    m.videoLevel = numberField(j, s, "videoLevel", d.videoLevel, -20.0, 140.0);
    m.tiltPer100MHz = numberField(j, s, "tiltPer100MHz", d.tiltPer100MHz, -20.0, 20.0);
    m.levelSpread = numberField(j, s, "levelSpread", d.levelSpread, 0.0, 20.0);
    m.audioBelowVideo = numberField(j, s, "audioBelowVideo", d.audioBelowVideo, 0.0, 60.0);
    m.digitalPower = numberField(j, s, "digitalPower", d.digitalPower, -20.0, 140.0);
    m.maxOffsetKHz = numberField(j, s, "maxOffsetKHz", d.maxOffsetKHz, 0, 1000);
    m.resolutionKHz = numberField(j, s, "resolutionKHz", d.resolutionKHz, 1.0, 1000.0);
    m.tunedKHz =
        numberField(j, s, "tunedKHz", d.tunedKHz, SignalModel::LowestKHz, SignalModel::HighestKHz);
    m.levelOffsets =
        j.contains("levelOffsets") ? j.at("levelOffsets").get<LevelOffsets>() : d.levelOffsets;
}

} // namespace korvane::sim
