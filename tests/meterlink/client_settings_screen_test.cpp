// What sondrel and the editor share about settings and screen pictures:
// every setting's texts through the members to the simulated meter and back,
// the line speed followed by a new connection, the computer's clock, and the
// meter's raster turned into pixels and a PBM file.
#include "meter_settings.h"
#include "screen_picture.h"
#include "simulated_meter.h"

#include "common/com_date.h"
#include "common/option_texts.h"

#include <ctime>

using namespace korvane::testing;
using sondrel::client::TextSettingId;

namespace {

class ClientSettingsTest : public SimulatedMeterTest {
  protected:
    korvane::sim::SettingsMemory settings() {
        return meter().withState([](auto& s) { return s.settings; });
    }
    // The meter's code of a setting, as the simulator keeps it.
    static std::optional<std::string> heldText(TextSettingId id,
                                               const korvane::sim::SettingsMemory& s) {
        switch (id) {
        case TextSettingId::LevelUnit:
            return sondrel::LevelUnits.textOf(s.levelUnit);
        case TextSettingId::TemperatureUnit:
            return sondrel::TemperatureUnits.textOf(s.temperatureUnit);
        case TextSettingId::SwitchOff:
            return sondrel::ShutdownTimes.textOf(s.shutdown);
        case TextSettingId::Backlight:
            return sondrel::BacklightTimes.textOf(s.backlight);
        case TextSettingId::Step: {
            const auto step = sondrel::freqStepOf(s.stepUnit, s.stepMultiplier);
            return step ? std::optional<std::string>(step->text) : std::nullopt;
        }
        }
        return std::nullopt;
    }
};

TEST_F(ClientSettingsTest, EveryChoiceOfEverySettingReachesTheMeterAndComesBackAsItsText) {
    for (const auto& setting : sondrel::client::textSettings()) {
        for (const auto& choice : setting.choices) {
            std::string value = choice;
            ASSERT_TRUE(sondrel::client::setTextSetting(link(), setting.id, value))
                << setting.name << " " << choice;
            EXPECT_EQ(heldText(setting.id, settings()), choice) << setting.name;
            EXPECT_EQ(value, choice) << setting.name << ": the echo, or the value left as given";
            if (!setting.readMember) continue;
            std::string read;
            ASSERT_TRUE(sondrel::client::readTextSetting(link(), setting.id, read));
            EXPECT_EQ(read, choice) << setting.name;
        }
    }
}

TEST_F(ClientSettingsTest, TheEchoTellsWhatTheMeterTook) {
    // A meter that keeps its level unit whatever it is asked.
    meter().setHandler(0x16,
                       [](const korvane::sim::ReceivedFrame& f) -> std::optional<sondrel::Bytes> {
                           const std::uint8_t kept[] = {2};
                           return korvane::sim::makeReply(f.command(), 7, kept);
                       });
    std::string value = "dBmV";
    ASSERT_TRUE(sondrel::client::setTextSetting(link(), TextSettingId::LevelUnit, value));
    EXPECT_EQ(value, "dBm");
    EXPECT_EQ(sondrel::client::setOutcome(true, "dBmV", value),
              sondrel::client::SetOutcome::Differs);
    EXPECT_EQ(sondrel::client::setOutcome(true, "dBm", value),
              sondrel::client::SetOutcome::Confirmed);
    EXPECT_EQ(sondrel::client::setOutcome(true, "dBm", std::nullopt),
              sondrel::client::SetOutcome::Unconfirmed);
    EXPECT_EQ(sondrel::client::setOutcome(false, "dBm", value),
              sondrel::client::SetOutcome::Failed);
}

TEST_F(ClientSettingsTest, ANewConnectionFollowsTheMeterToItsLineSpeed) {
    for (unsigned baud : sondrel::baudRates())
        EXPECT_EQ(sondrel::baudRateOfCode(*sondrel::client::baudCodeOf(baud)), baud);
    EXPECT_FALSE(sondrel::client::baudCodeOf(12345));

    EXPECT_TRUE(sondrel::client::followLineSpeed(link(), 38400)) << "a meter at 9600 answers";
    EXPECT_EQ(meter().withState([](auto& s) { return s.link.baud; }), 38400u);

    connection_.reset(); // one connection on the line at a time
    ConnectionHandle second = makeConnection();
    second->put_PortDevice(SimulatedPort);
    EXPECT_FALSE(sondrel::client::followLineSpeed(*second, 38400))
        << "a meter already at the speed hears noise";
    std::string model;
    second->SLMType(&model);
    EXPECT_FALSE(model.empty()) << "but the connection now talks at its speed";
    EXPECT_EQ(meter().withState([](auto& s) { return s.link.baud; }), 38400u);
}

TEST(ComputerClock, IsThisComputersLocalTimeInWholeSeconds) {
    const std::time_t now = std::time(nullptr);
    const auto clock = sondrel::civilOf(sondrel::client::computerClock());
    ASSERT_TRUE(clock);
    std::tm fields{};
    localtime_r(&now, &fields);
    std::tm got{};
    got.tm_year = clock->year - 1900;
    got.tm_mon = clock->month - 1;
    got.tm_mday = clock->day;
    got.tm_hour = clock->hour;
    got.tm_min = clock->minute;
    got.tm_sec = clock->second;
    got.tm_isdst = fields.tm_isdst;
    EXPECT_LE(std::abs(std::difftime(std::mktime(&got), now)), 1.0);
}

TEST(ScreenGeometry, TakesWidthByHeightWithAWholeByteARowAndNothingElse) {
    const auto ok = sondrel::client::screenGeometryOf("128x64");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->width, 128);
    EXPECT_EQ(ok->height, 64);
    EXPECT_EQ(ok->rasterBytes(), 1024u);
    for (const char* bad : {"60x32", "0x8", "8x0", "x8", "8x", "8", "-8x8", "8x-8", " 8x8", "8x8 ",
                            "8x8x8", "99999999999x8", "16X16"})
        EXPECT_FALSE(sondrel::client::screenGeometryOf(bad)) << bad;
}

TEST_F(ClientSettingsTest, TheCapturedRasterBecomesTheMetersPixelsAndItsPbmFile) {
    meter().withState([](auto& s) {
        s.screen.width = 64;
        s.screen.height = 24;
    });
    sondrel::SafeArray<std::uint8_t> screen;
    std::int16_t done = 0;
    link().ReadSLMScreen(&screen, &done);
    ASSERT_EQ(done, 1);
    const auto [raster, width, height] = meter().withState([](auto& s) {
        return std::tuple{korvane::sim::spectrumScreen(s.screen, s.signal,
                                                       korvane::sim::channelsOfActivePlan(s.plans)),
                          s.screen.width, s.screen.height};
    });
    const auto grid = sondrel::client::pixelGridOf(screen.items, {width, height});
    ASSERT_TRUE(grid);
    ASSERT_EQ(grid->width, width);
    ASSERT_EQ(grid->height, height);
    int wrong = 0, darkPixels = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            wrong += grid->darkAt(x, y) != korvane::sim::pixelAt(raster, width, x, y);
            darkPixels += grid->darkAt(x, y);
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(darkPixels, 0);
    EXPECT_LT(darkPixels, width * height) << "a picture, not a filled screen";

    const auto pbm = sondrel::client::pbmOf(screen.items, {width, height});
    ASSERT_TRUE(pbm);
    EXPECT_EQ(*pbm, "P4\n64 24\n" + std::string(raster.begin(), raster.end()));

    EXPECT_FALSE(sondrel::client::pixelGridOf(screen.items, {128, 640})) << "beyond the buffer";
    EXPECT_FALSE(sondrel::client::pbmOf(screen.items, {128, 640}));
    EXPECT_TRUE(sondrel::client::pixelGridOf(screen.items, {8, 10001}));
}

} // namespace
