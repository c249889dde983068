// The meter's model and settings from the shell.
//
//   sondrel --port 3 model                   2000Q
//   sondrel --port 3 get switch-off          switch-off: 10 min
//   sondrel --port 3 set level-unit dBmV     level-unit: dBmV
//   sondrel --port 3 set clock 2009-08-25T13:45:30
#include "cli_errors.h"
#include "command_registry.h"
#include "commands_report.h"
#include "common/com_date.h"
#include "common/dispatch_coercion.h"
#include "common/option_texts.h"
#include "meter_settings.h"

#include <map>

namespace sondrel::cli {
namespace {

using client::TextSetting;
using client::textSettings;

class ModelCommand final : public Command {
  public:
    void configure(CLI::App& command) override { report_.addOptions(command); }
    int run(Session& session) override {
        std::vector<Variant> none;
        const Variant model = session.call("SLMType", none);
        const std::string text = model.type() == VarType::Bstr ? model.asBstr() : "";
        if (text.empty()) return report_.notDone(session, "SLMType");
        return report_.done({{"model", text}}, text);
    }

  private:
    Report report_;
};

class GetCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.require_subcommand(1);
        volume_ = command.add_subcommand("volume", "loudness, 0 to the meter's loudest");
        report_.addOptions(*volume_);
        for (const auto& setting : textSettings()) {
            if (!setting.readMember) continue;
            CLI::App* sub = command.add_subcommand(setting.name, setting.description);
            report_.addOptions(*sub);
            texts_[sub] = &setting;
        }
    }
    int run(Session& session) override {
        if (volume_->parsed()) {
            std::vector<Variant> args{Variant::ui1(0)};
            if (!callDone(session, "ReadSLMVolume", args))
                return report_.notDone(session, "ReadSLMVolume");
            const double volume = numberOf(args[0]);
            return report_.done({{"volume", volume}}, "volume: " + fixed(volume, 0));
        }
        for (const auto& [sub, setting] : texts_) {
            if (!sub->parsed()) continue;
            std::vector<Variant> args{Variant::bstr("")};
            if (!callDone(session, setting->readMember, args))
                return report_.notDone(session, setting->readMember);
            const std::string value = args[0].asBstr();
            return report_.done({{setting->name, value}},
                                std::string(setting->name) + ": " + value);
        }
        return ExitUsage;
    }

  private:
    CLI::App* volume_ = nullptr;
    std::map<CLI::App*, const TextSetting*> texts_;
    Report report_;
};

class SetCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.require_subcommand(1);
        volume_ = command.add_subcommand("volume", "loudness; the meter reports what it took");
        volume_->add_option("VOLUME", volume_value_, "0 to 255")
            ->required()
            ->check(CLI::Range(0, 255));
        report_.addOptions(*volume_);

        for (const auto& setting : textSettings()) {
            CLI::App* sub = command.add_subcommand(setting.name, setting.description);
            sub->add_option("VALUE", text_, "one of the choices (exact case)")
                ->required()
                ->check(CLI::IsMember(setting.choices));
            report_.addOptions(*sub);
            texts_[sub] = &setting;
        }

        limits_ = command.add_subcommand("limits", "the eight limit values of the limits test");
        limits_->add_option("VALUES", limits_values_, "eight numbers 0 to 255")
            ->required()
            ->expected(8)
            ->check(CLI::Range(0, 255));
        report_.addOptions(*limits_);

        clock_ = command.add_subcommand("clock", "the meter's date and time (default: now)");
        clock_->add_option("WHEN", when_, "2009-08-25T13:45:30, years 2000 to 2255");
        report_.addOptions(*clock_);

        baud_ = command.add_subcommand("baud", "the line speed of the meter and this link");
        std::vector<std::string> rates;
        for (unsigned rate : baudRates())
            rates.push_back(std::to_string(rate));
        baud_->add_option("RATE", rate_, "baud")->required()->check(CLI::IsMember(rates));
        baud_->footer("The meter keeps the new speed until it is switched off. Every sondrel "
                      "run starts at 9600: later runs reach the meter with --baud RATE, and "
                      "sondrel --baud RATE set baud 9600 brings it back to 9600.");
        report_.addOptions(*baud_);
    }

    int run(Session& session) override {
        if (volume_->parsed()) return setVolume(session);
        if (limits_->parsed()) return setLimits(session);
        if (clock_->parsed()) return setClock(session);
        if (baud_->parsed()) return setBaud(session);
        for (const auto& [sub, setting] : texts_)
            if (sub->parsed()) return setText(session, *setting);
        return ExitUsage;
    }

  private:
    int setVolume(Session& session) {
        std::vector<Variant> args{Variant::ui1(static_cast<std::uint8_t>(volume_value_))};
        if (!callDone(session, "SetupSLMVolume", args))
            return report_.notDone(session, "SetupSLMVolume");
        const double volume = numberOf(args[0]);
        return report_.done({{"volume", volume}}, "volume: " + fixed(volume, 0));
    }

    int setText(Session& session, const TextSetting& setting) {
        std::vector<Variant> args{Variant::bstr(text_)};
        if (!callDone(session, setting.setMember, args))
            return report_.notDone(session, setting.setMember);
        // Members that echo the meter's setting have written it back.
        const std::string now = args[0].asBstr();
        return report_.done({{setting.name, now}}, std::string(setting.name) + ": " + now);
    }

    int setLimits(Session& session) {
        VariantArray values;
        for (int v : limits_values_)
            values.items.push_back(Variant::i2(static_cast<std::int16_t>(v)));
        std::vector<Variant> args{Variant::variants(values)};
        if (!callDone(session, "SetupSLMLimit", args))
            return report_.notDone(session, "SetupSLMLimit");
        std::string text = "limits:";
        for (int v : limits_values_)
            text += " " + std::to_string(v);
        return report_.done({{"limits", limits_values_}}, text);
    }

    int setClock(Session& session) {
        std::optional<ComDate> when;
        if (when_.empty()) {
            when = client::computerClock();
        } else {
            when = parseDate(when_);
            if (!when) throw UsageError("clock takes a date and time such as 2009-08-25T13:45:30");
        }
        const std::string shown = formatDate(*when).value_or(when_);
        // The date comes from the first argument, the time of day from the second.
        std::vector<Variant> args{Variant::date(*when), Variant::date(*when)};
        if (!callDone(session, "SetupDateTime", args))
            return report_.notDone(session, "SetupDateTime");
        return report_.done({{"clock", shown}}, "clock: " + shown);
    }

    int setBaud(Session& session) {
        // The choices are the meter's speeds, so the code is always found.
        const std::uint8_t code = *client::baudCodeOf(static_cast<unsigned>(std::stoul(rate_)));
        std::vector<Variant> args{Variant::ui1(code)};
        if (!callDone(session, "SetupBaudRate", args))
            return report_.notDone(session, "SetupBaudRate");
        // Later runs start at 9600: say how they reach the meter, and how back.
        const std::string hint = rate_ == "9600" ? ""
                                                 : " (later runs: sondrel --baud " + rate_ +
                                                       " ...; back to 9600: sondrel --baud " +
                                                       rate_ + " set baud 9600)";
        return report_.done({{"baud", std::stoul(rate_)}}, "line speed: " + rate_ + " baud" + hint);
    }

    CLI::App* volume_ = nullptr;
    CLI::App* limits_ = nullptr;
    CLI::App* clock_ = nullptr;
    CLI::App* baud_ = nullptr;
    std::map<CLI::App*, const TextSetting*> texts_;
    int volume_value_ = 0;
    std::string text_;
    std::vector<int> limits_values_;
    std::string when_;
    std::string rate_;
    Report report_;
};

const RegisterCommand<ModelCommand> model{"model", "read the meter's model"};
const RegisterCommand<GetCommand> get{"get", "read a setting of the meter"};
const RegisterCommand<SetCommand> set{"set", "change a setting of the meter"};

} // namespace
} // namespace sondrel::cli
