// Measuring from the shell: tune, level, cn, offset, digital, plan.
//
//   sondrel --port 3 level 55.25            level at 55.25 MHz: 84.1
//   sondrel --port 3 cn 55.25 --json        {"freq": 55.25, "cn": 43}
//   sondrel --port 3 level 55.25 --watch    a reading a line until Ctrl-C, then the figures
#include "command_registry.h"
#include "commands_report.h"
#include "common/option_texts.h"
#include "level_watch.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace sondrel::cli {
namespace {

// Markers the meter sends in place of digital figures.
constexpr double NotLocked = 101;
constexpr double NoBitErrors = 100;
constexpr double TooManyBitErrors = 99;

double tenths(double value) {
    return std::round(value * 10) / 10;
}

class TuneCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.add_option("FREQ", freq_, "frequency in MHz")->required();
        report_.addOptions(command);
    }
    int run(Session& session) override {
        // A value in freqrev, so that it counts as given and is written back.
        std::vector<Variant> args{Variant::r4(static_cast<float>(freq_)), Variant::r8(0)};
        if (!callDone(session, "SetupFreq", args)) return report_.notDone(session, "SetupFreq");
        const double tuned = numberOf(args[1]);
        return report_.done({{"freq", freq_}, {"tuned", tuned}},
                            "tuned to " + fixed(tuned, 3) + " MHz");
    }

  private:
    double freq_ = 0;
    Report report_;
};

class LevelCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.add_option("FREQ", freq_, "frequency in MHz")->required();
        auto* watch =
            command.add_flag("--watch", watch_,
                             "read again and again, each reading on a line, until Ctrl-C; then "
                             "the lowest, highest and current level and readings a second");
        command.add_option("--seconds", seconds_, "with --watch: stop after this many seconds")
            ->check(CLI::PositiveNumber)
            ->needs(watch);
        command.footer(
            "The level is in the unit the meter is set to (see sondrel set level-unit).");
        report_.addOptions(command);
    }
    int run(Session& session) override {
        if (watch_) return watchLevel(session, freq_, seconds_, report_.json());
        std::vector<Variant> args{Variant::r8(freq_), Variant()};
        if (!callDone(session, "GetLevelByFrequence", args))
            return report_.notDone(session, "GetLevelByFrequence");
        const double level = numberOf(args[1]);
        return report_.done({{"freq", freq_}, {"level", level}},
                            "level at " + fixed(freq_, 2) + " MHz: " + fixed(level, 1));
    }

  private:
    double freq_ = 0;
    bool watch_ = false;
    std::optional<double> seconds_;
    Report report_;
};

class CnCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.add_option("FREQ", freq_, "video carrier frequency in MHz")->required();
        command.footer("Reads the carrier and the noise beside it or across the band (6 or 13 "
                       "level readings, 5 to 11 seconds); the carrier must stand at 80.0 or more.");
        report_.addOptions(command);
    }
    int run(Session& session) override {
        std::vector<Variant> args{Variant::r8(freq_), Variant()};
        if (!callDone(session, "GetCN", args))
            return report_.notDone(session, "GetCN",
                                   "the carrier stands below 80.0, or the meter did "
                                   "not answer");
        const int cn = static_cast<int>(numberOf(args[1]));
        return report_.done({{"freq", freq_}, {"cn", cn}},
                            "C/N at " + fixed(freq_, 2) + " MHz: " + std::to_string(cn) + " dB");
    }

  private:
    double freq_ = 0;
    Report report_;
};

class OffsetCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.add_option("FREQ", freq_, "nominal carrier frequency in MHz, 0 to 870")->required();
        command.footer("Sweeps 11 points 10 kHz apart around FREQ (about 10 seconds).");
        report_.addOptions(command);
    }
    int run(Session& session) override {
        std::vector<Variant> args{Variant::r8(freq_), Variant()};
        if (!callDone(session, "GetFreqOffset", args))
            return report_.notDone(session, "GetFreqOffset",
                                   "the frequency lies outside 0 to 870 MHz, or "
                                   "the meter did not answer");
        const std::string text = args[1].type() == VarType::Bstr ? args[1].asBstr() : "";
        double offset = 0;
        std::from_chars(text.data(), text.data() + text.size(), offset);
        return report_.done({{"freq", freq_}, {"offset", offset}},
                            "carrier offset at " + fixed(freq_, 2) + " MHz: " + text + " MHz");
    }

  private:
    double freq_ = 0;
    Report report_;
};

class DigitalCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.add_option("CHANNEL", channel_, "channel number")
            ->required()
            ->check(CLI::Range(0, 255));
        command.add_flag("--power-only", powerOnly_, "read the channel power alone");
        report_.addOptions(command);
    }
    int run(Session& session) override {
        const auto channel = static_cast<std::int16_t>(channel_);
        std::vector<Variant> args{Variant::i2(channel), Variant::r4(0), Variant::r4(0)};
        if (!powerOnly_)
            args.insert(args.end(),
                        {Variant::r4(0), Variant::r4(0), Variant::i2(0), Variant::i2(0)});
        const char* member = powerOnly_ ? "ReadPowerDigi" : "ReadDigi";
        if (!callDone(session, member, args)) return report_.notDone(session, member);

        // The meter sends tenths; single precision would show 83.9000015.
        const double power = tenths(numberOf(args[1]));
        const double fromAverage = tenths(numberOf(args[2]));
        Json fields{{"channel", channel_}, {"power", power}, {"powerpj", fromAverage}};
        std::string text = "channel " + std::to_string(channel_) + ": power " + fixed(power, 1) +
                           " (" + (fromAverage >= 0 ? "+" : "") + fixed(fromAverage, 1) +
                           " against the average)";
        if (powerOnly_) return report_.done(fields, text);

        const double mer = tenths(numberOf(args[3]));
        const double ber = numberOf(args[4]);
        if (mer == NotLocked && ber == NotLocked) {
            fields["state"] = "not locked";
            return report_.done(fields, text + ", not locked");
        }
        fields["mer"] = mer;
        text += ", MER " + fixed(mer, 1) + " dB";
        if (ber == NoBitErrors) {
            fields["state"] = "no bit errors counted";
        } else if (ber == TooManyBitErrors) {
            fields["state"] = "too many bit errors to count";
        } else {
            // Exactly as sent: mantissa in tenths and exponent, 23 and 5 for 2.3E-5.
            const double exact = numberOf(args[6]) / std::pow(10.0, numberOf(args[5]) + 1);
            fields["state"] = "measured";
            fields["ber"] = exact;
            char scientific[32];
            std::snprintf(scientific, sizeof scientific, "%.1E", exact);
            text += ", BER " + std::string(scientific);
            return report_.done(fields, text);
        }
        return report_.done(fields, text + ", " + fields["state"].get<std::string>());
    }

  private:
    int channel_ = 0;
    bool powerOnly_ = false;
    Report report_;
};

class PlanCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        std::vector<std::string> letters;
        for (const auto& option : PlanLetters.entries())
            letters.emplace_back(option.text);
        command.add_option("LETTER", letter_, "select this plan (A to E); without it, read")
            ->check(CLI::IsMember(letters));
        report_.addOptions(command);
    }
    int run(Session& session) override {
        const char* member = letter_.empty() ? "ReadNowChannel" : "SetupNowChannel";
        std::vector<Variant> args{Variant::bstr(letter_)};
        if (!callDone(session, member, args)) return report_.notDone(session, member);
        const std::string active = args[0].asBstr();
        return report_.done({{"plan", active}}, "active plan: " + active);
    }

  private:
    std::string letter_;
    Report report_;
};

const RegisterCommand<TuneCommand> tune{"tune", "tune the meter to a frequency (MHz)"};
const RegisterCommand<LevelCommand> level{"level", "read the level at a frequency (MHz)"};
const RegisterCommand<CnCommand> cn{"cn", "estimate the C/N of an analogue carrier (MHz)"};
const RegisterCommand<OffsetCommand> offset{"offset",
                                            "find how far a carrier sits from its frequency"};
const RegisterCommand<DigitalCommand> digital{
    "digital", "read power, MER and bit errors of a digital channel"};
const RegisterCommand<PlanCommand> plan{"plan", "read or select the meter's active channel plan"};

} // namespace
} // namespace sondrel::cli
