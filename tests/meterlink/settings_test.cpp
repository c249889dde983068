// The meter's model and settings against the simulated meter over a
// pseudo-terminal: every settings frame, the option texts both ways, the
// echoes, the model read with its retries, and the line speed change that
// both ends must follow.
#include "common/com_date.h"
#include "simulated_meter.h"

#include <cmath>

#include <chrono>

using namespace korvane::testing;
using korvane::sim::MeterState;
using korvane::sim::ReceivedFrame;
using sondrel::Bytes;
using sondrel::Variant;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Variant numbers(std::int32_t lowerBound, std::vector<Variant> items) {
    sondrel::VariantArray array;
    array.lowerBound = lowerBound;
    array.items = std::move(items);
    return Variant::variants(array);
}

} // namespace

class SettingsTest : public SimulatedMeterTest {
  protected:
    // Answers `command` with this reply data from position 5.
    void script(std::uint8_t command, std::size_t length, Bytes data) {
        meter().setHandler(command, [=](const ReceivedFrame&) -> std::optional<Bytes> {
            return korvane::sim::makeReply(command, length, data);
        });
    }
    korvane::sim::SettingsMemory settings() {
        return meter().withState([](MeterState& s) { return s.settings; });
    }
};

TEST_F(SettingsTest, TheModelIsItsNumberAndVariantLetter) {
    std::string model;
    link().SLMType(&model);
    EXPECT_EQ(model, "2000Q");
    EXPECT_EQ(framesToMeterHex(), std::vector<std::string>{"55 AA 01 06 50 AA"});
    for (auto [code, expected] : {std::pair{0, "2000"}, std::pair{1, "2000A"},
                                  std::pair{2, "2000B"}, std::pair{9, "2000"}}) {
        script(0x50, 11, Bytes{0x07, 0xD0, static_cast<std::uint8_t>(code)});
        link().SLMType(&model);
        EXPECT_EQ(model, expected) << "variant code " << code;
    }
}

TEST_F(SettingsTest, TheModelReadIsRepeatedOnBadChecksumsUpToElevenFrames) {
    meter().faults().add(korvane::sim::parseFaultRule("50:badsum,times=2"));
    std::string model;
    link().SLMType(&model);
    EXPECT_EQ(model, "2000Q");
    EXPECT_EQ(framesToMeterHex().size(), 3u);

    // The plain sum in place of the checksum is taken as well.
    meter().faults().clear();
    meter().faults().add(korvane::sim::parseFaultRule("50:plainsum,times=1"));
    meter().wireLog().clear();
    link().SLMType(&model);
    EXPECT_EQ(model, "2000Q");
    EXPECT_EQ(framesToMeterHex().size(), 1u);

    meter().faults().clear();
    meter().faults().add(korvane::sim::parseFaultRule("50:badsum"));
    meter().wireLog().clear();
    model = "unchanged";
    link().SLMType(&model);
    EXPECT_EQ(model, "");
    EXPECT_EQ(framesToMeterHex().size(), 11u);
}

TEST_F(SettingsTest, ASilentMeterLeavesEverySettingArgumentAsItWas) {
    meter().faults().add(korvane::sim::parseFaultRule("any:noreply"));
    const auto start = std::chrono::steady_clock::now();
    std::string model = "unchanged";
    link().SLMType(&model);
    EXPECT_EQ(model, "");
    EXPECT_GE(secondsSince(start), 3.0);
    EXPECT_EQ(framesToMeterHex().size(), 1u) << "a timeout is not retried";

    std::uint8_t volume = 7;
    std::int16_t result = 1;
    link().ReadSLMVolume(&volume, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(volume, 7);
    std::string unit = "dBm";
    link().SetupLevelUnit(&unit, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(unit, "dBm");
}

TEST_F(SettingsTest, VolumeIsReadAndSetAndTheMeterEchoesWhatItTook) {
    std::uint8_t volume = 0;
    std::int16_t result = 0;
    link().ReadSLMVolume(&volume, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(volume, 5);
    volume = 20; // louder than the meter goes
    link().SetupSLMVolume(&volume, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(volume, 15);
    EXPECT_EQ(framesToMeterHex(),
              (std::vector<std::string>{"55 AA 01 06 19 E1", "55 AA 01 07 1A 14 CB"}));
}

TEST_F(SettingsTest, UnitsTravelAsCodesAndComeBackAsTexts) {
    std::string unit = "dBmV";
    std::int16_t result = 0;
    link().SetupLevelUnit(&unit, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(unit, "dBmV");
    EXPECT_EQ(settings().levelUnit, 1);
    unit = "DBMV"; // texts are compared exactly
    link().SetupLevelUnit(&unit, &result);
    EXPECT_EQ(unit, "dBuV");

    std::string temperature = "F";
    link().SetupTemperatureUnit(&temperature, &result);
    EXPECT_EQ(temperature, "F");
    temperature = "?";
    link().ReadTemperatureUnit(&temperature, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(temperature, "F");
    EXPECT_EQ(framesToMeterHex(),
              (std::vector<std::string>{"55 AA 01 07 16 01 E2", "55 AA 01 07 16 00 E3",
                                        "55 AA 01 07 18 01 E0", "55 AA 01 06 17 E3"}));
}

TEST_F(SettingsTest, UnitCodesBeyondTheTablesReadAsDefaultsOrLeaveTheArgument) {
    script(0x16, 7, Bytes{9});
    script(0x17, 7, Bytes{7});
    script(0x18, 7, Bytes{7});
    std::string unit = "dBm";
    std::int16_t result = 0;
    link().SetupLevelUnit(&unit, &result);
    EXPECT_EQ(unit, "dBuV");
    std::string temperature = "F";
    link().ReadTemperatureUnit(&temperature, &result);
    EXPECT_EQ(temperature, "C");
    temperature = "F";
    link().SetupTemperatureUnit(&temperature, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(temperature, "F");
}

TEST_F(SettingsTest, LimitsAreEightBytesAndAnyBadElementStopsThemBeforeSending) {
    std::vector<Variant> eight;
    for (std::int16_t v = 1; v <= 8; ++v)
        eight.push_back(Variant::i2(v));
    Variant limits = numbers(0, eight);
    std::int16_t result = 0;
    link().SetupSLMLimit(&limits, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(framesToMeterHex(),
              std::vector<std::string>{"55 AA 01 0E 22 01 02 03 04 05 06 07 08 AC"});
    EXPECT_EQ(settings().limits, (std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));

    // Bytes work too; 2.5 goes to 2 as a byte.
    sondrel::SafeArray<std::uint8_t> bytes;
    bytes.items = {9, 9, 9, 9, 9, 9, 9, 9};
    limits = Variant::bytes(bytes);
    link().SetupSLMLimit(&limits, &result);
    EXPECT_EQ(settings().limits[0], 9);
    auto withHalf = eight;
    withHalf[7] = Variant::r8(2.5);
    limits = numbers(0, withHalf);
    link().SetupSLMLimit(&limits, &result);
    EXPECT_EQ(settings().limits[7], 2);

    meter().wireLog().clear();
    auto tooBig = eight;
    tooBig[3] = Variant::i2(256);
    auto notANumber = eight;
    notANumber[0] = Variant::bstr("high");
    for (Variant bad : {numbers(1, eight), numbers(0, {eight.begin(), eight.end() - 1}),
                        numbers(0, tooBig), numbers(0, notANumber), Variant::i2(8)}) {
        result = 1;
        link().SetupSLMLimit(&bad, &result);
        EXPECT_EQ(result, 0);
    }
    EXPECT_TRUE(framesToMeterHex().empty());
}

TEST_F(SettingsTest, TheTuningStepIsAUnitAndAMultiplier) {
    std::int16_t result = 0;
    for (std::string step : {"100 KHz", "1 MHz", "Channel", "100 kHz"}) {
        link().SetupFreqStep(&step, &result);
        EXPECT_EQ(result, 1);
    }
    EXPECT_EQ(framesToMeterHex(),
              (std::vector<std::string>{"55 AA 01 08 24 00 0A CA", "55 AA 01 08 24 01 01 D2",
                                        "55 AA 01 08 24 00 00 D4", "55 AA 01 08 24 00 00 D4"}));
    EXPECT_EQ(settings().stepMultiplier, 0);
}

TEST_F(SettingsTest, TheClockTakesTheTimeOfOneDateAndTheDayOfTheOther) {
    sondrel::ComDate date = *sondrel::comDateOf({2009, 8, 25, 9, 0, 0});
    sondrel::ComDate time = *sondrel::comDateOf({1999, 1, 1, 13, 45, 30});
    std::int16_t result = 0;
    link().SetupDateTime(&date, &time, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(framesToMeterHex(),
              std::vector<std::string>{"55 AA 01 0D 1C 0D 2D 1E 09 08 19 00 55"});
    EXPECT_EQ(settings().clock, (sondrel::CivilDateTime{2009, 8, 25, 13, 45, 30}));

    for (int year : {1999, 2256}) {
        sondrel::ComDate outside = *sondrel::comDateOf({year, 6, 1, 0, 0, 0});
        result = 1;
        link().SetupDateTime(&outside, &time, &result);
        EXPECT_EQ(result, 0) << year;
    }
    EXPECT_EQ(framesToMeterHex().size(), 1u);
}

TEST_F(SettingsTest, ADateOrTimeNoDateCanHoldSendsNothing) {
    const double outside[] = {std::nan(""),          HUGE_VAL,  -HUGE_VAL, 1e300, -1e18,
                              9223372036854774784.0, 2958466.0, -657435.0};
    const sondrel::ComDate good = *sondrel::comDateOf({2009, 8, 25, 13, 45, 30});
    for (double value : outside) {
        for (bool inTime : {true, false}) {
            sondrel::ComDate date = inTime ? good : sondrel::ComDate{value};
            sondrel::ComDate time = inTime ? sondrel::ComDate{value} : good;
            std::int16_t result = 1;
            link().SetupDateTime(&date, &time, &result);
            EXPECT_EQ(result, 0) << value << (inTime ? " as the time" : " as the date");
        }
    }
    EXPECT_TRUE(framesToMeterHex().empty());
}

TEST_F(SettingsTest, SwitchOffAndBacklightTravelAsCodes) {
    std::int16_t result = 0;
    std::string off = "5 min";
    link().SetupShutdownTime(&off, &result);
    off = "10 min";
    link().SetupShutdownTime(&off, &result);
    EXPECT_EQ(result, 1);
    std::string shown;
    link().ReadShutdownUnit(&shown, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shown, "10 min");
    std::string light = "3 min";
    link().SetupBackLight(&light, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(settings().backlight, 1);
    EXPECT_EQ(framesToMeterHex(),
              (std::vector<std::string>{"55 AA 01 08 1E 02 00 D8", "55 AA 01 08 1E 03 00 D7",
                                        "55 AA 01 06 39 C1", "55 AA 01 07 38 01 C0"}));
}

TEST_F(SettingsTest, TheSwitchOffTimeIsReadEvenFromABadChecksum) {
    script(0x39, 7, Bytes{4});
    meter().faults().add(korvane::sim::parseFaultRule("39:badsum,times=1"));
    std::string shown = "unchanged";
    std::int16_t result = 1;
    link().ReadShutdownUnit(&shown, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(shown, "30 min");
    script(0x39, 7, Bytes{9});
    link().ReadShutdownUnit(&shown, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shown, "30 min") << "a code beyond the table leaves the text";
}

TEST_F(SettingsTest, TheLineSpeedChangesOnBothEndsAfterTheAnswer) {
    std::uint8_t code = 3;
    std::int16_t result = 0;
    link().SetupBaudRate(&code, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(code, 3);
    EXPECT_EQ(meter().withState([](MeterState& s) { return s.link.baud; }), 38400u);
    // Both ends now run at 38400: the meter understands the next command.
    std::uint8_t volume = 0;
    link().ReadSLMVolume(&volume, &result);
    EXPECT_EQ(result, 1);

    // Code 9 is no speed: the meter gets 0 (9600) and changes, the library does not.
    code = 9;
    link().SetupBaudRate(&code, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(meter().withState([](MeterState& s) { return s.link.baud; }), 9600u);
    link().ReadSLMVolume(&volume, &result);
    EXPECT_EQ(result, 0) << "the meter hears 38400 as noise";

    // Code 0 cannot reach the meter either, but the library follows to 9600 anyway.
    code = 0;
    link().SetupBaudRate(&code, &result);
    EXPECT_EQ(result, 0);
    link().ReadSLMVolume(&volume, &result);
    EXPECT_EQ(result, 1) << "both at 9600 again";
    EXPECT_EQ(framesToMeterHex(),
              (std::vector<std::string>{"55 AA 01 07 58 03 9E", "55 AA 01 06 19 E1",
                                        "55 AA 01 07 58 00 A1", "55 AA 01 06 19 E1",
                                        "55 AA 01 07 58 00 A1", "55 AA 01 06 19 E1"}));
}

TEST(SettingsMemory, TheStateFileShowsOptionTextsAndReadsThemBack) {
    korvane::sim::SettingsMemory settings;
    settings.levelUnit = 2;
    settings.temperatureUnit = 1;
    settings.shutdown = 4;
    settings.backlight = 3;
    settings.limits = {8, 7, 6, 5, 4, 3, 2, 1};
    settings.stepUnit = 1;
    settings.stepMultiplier = 10;
    settings.clock = {2031, 1, 2, 3, 4, 5};
    settings.variant = 1;
    const nlohmann::json saved = settings;
    EXPECT_EQ(saved.at("levelUnit"), "dBm");
    EXPECT_EQ(saved.at("shutdown"), "30 min");
    EXPECT_EQ(saved.at("backlight"), "10 min");
    korvane::sim::SettingsMemory loaded;
    saved.get_to(loaded);
    EXPECT_EQ(nlohmann::json(loaded), saved);
    EXPECT_EQ(loaded.clock, settings.clock);
    // An unknown text keeps the setting as it was.
    korvane::sim::SettingsMemory kept;
    nlohmann::json{{"levelUnit", "furlongs"}}.get_to(kept);
    EXPECT_EQ(kept.levelUnit, 0);
}
