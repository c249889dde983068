// The Meter window's Instrument page against the simulated meter: what it
// shows is what the meter holds, a change changes that setting and nothing
// else, the clock sent is this computer's, the line speed moves with the
// editor following, and a silent meter ends with its reason.
#include "transfer_fixture.h"

#include "failure_texts.h"
#include "meter_instrument_page.h"
#include "meter_line_speed.h"
#include "meter_window.h"
#include "own_texts.h"
#include "toolbar.h"

#include "common/com_date.h"
#include "common/dispatch_coercion.h"
#include "common/option_texts.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include <nlohmann/json.hpp>

namespace plandex::testing {
namespace {

using korvane::sim::SettingsMemory;
using Row = MeterInstrumentPage::Row;
using sondrel::client::TextSettingId;

class MeterInstrumentPageTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        load({});
        form->ToolKv()->button(MeterButton)->trigger();
        window = form->findChild<MeterWindow*>();
        ASSERT_NE(window, nullptr);
        page = window->findChild<MeterInstrumentPage*>();
        ASSERT_NE(page, nullptr);
    }
    void TearDown() override {
        setMeterLineSpeed(9600); // the editor's memory outlives the window
        TransferTest::TearDown();
    }
    SettingsMemory settings() {
        return meter->withState([](auto& s) { return s.settings; });
    }
    nlohmann::json settingsJson() { return nlohmann::json(settings()); }
    void waitForJob() { ASSERT_EVENTUALLY(!window->jobRunning(), 30000); }
    void read() {
        page->readButton()->click();
        waitForJob();
    }
    void set(Row row) {
        page->setButton(row)->click();
        waitForJob();
    }
    static QString textOf(const sondrel::OptionTable& table, std::uint8_t code) {
        return QString::fromStdString(table.textOf(code).value_or("?"));
    }

    MeterWindow* window = nullptr;
    MeterInstrumentPage* page = nullptr;
};

TEST_F(MeterInstrumentPageTest, ReadingShowsWhatTheMeterHolds) {
    meter->withState([](auto& s) {
        s.settings.model = 2100;
        s.settings.variant = 1;
        s.settings.volume = 9;
        s.settings.temperatureUnit = 1;
        s.settings.shutdown = 3;
    });
    const SettingsMemory held = settings();
    read();

    const QString model =
        QString::number(held.model) + textOf(sondrel::ModelVariants, held.variant);
    EXPECT_EQ(page->model()->text(), model);
    EXPECT_EQ(page->volume()->value(), held.volume);
    EXPECT_EQ(page->choice(TextSettingId::TemperatureUnit)->currentText(),
              textOf(sondrel::TemperatureUnits, held.temperatureUnit));
    EXPECT_EQ(page->choice(TextSettingId::SwitchOff)->currentText(),
              textOf(sondrel::ShutdownTimes, held.shutdown));
    EXPECT_EQ(page->status(Row::SwitchOff)->text(),
              ownText(OwnText::MeterReported).arg(textOf(sondrel::ShutdownTimes, held.shutdown)));
    for (Row row : {Row::LevelUnit, Row::Backlight, Row::Step, Row::Limits})
        EXPECT_EQ(page->status(row)->text(), ownText(OwnText::MeterNotReported))
            << "a setting the meter cannot report is never shown as read";
    EXPECT_TRUE(window->stateLine()->text().contains(model));
    EXPECT_EQ(settingsJson(), nlohmann::json(held)) << "reading changes nothing";
}

// One row set to a value other than the meter's; only its field may change.
struct SetCase {
    const char* name;
    Row row;
    std::function<void(MeterInstrumentPage&, const SettingsMemory&)> choose;
    std::function<void(SettingsMemory&)> expected; // the meter's settings afterwards
    OwnText said;                                  // the row's verdict
};

void PrintTo(const SetCase& c, std::ostream* out) {
    *out << c.name;
}

class SettingOneValue : public MeterInstrumentPageTest,
                        public ::testing::WithParamInterface<SetCase> {};

void choose(MeterInstrumentPage& page, TextSettingId id, const std::string& text) {
    page.choice(id)->setCurrentText(QString::fromStdString(text));
}

const SetCase setCases[] = {
    {"Volume", Row::Volume,
     [](MeterInstrumentPage& p, const SettingsMemory& s) { p.volume()->setValue(s.volume + 3); },
     [](SettingsMemory& s) { s.volume += 3; }, OwnText::MeterConfirmed},
    {"VolumeBeyondTheLoudest", Row::Volume,
     [](MeterInstrumentPage& p, const SettingsMemory&) { p.volume()->setValue(200); },
     [](SettingsMemory& s) { s.volume = SettingsMemory::LoudestVolume; }, OwnText::MeterDiffers},
    {"LevelUnit", Row::LevelUnit,
     [](MeterInstrumentPage& p, const SettingsMemory&) {
         choose(p, TextSettingId::LevelUnit, "dBmV");
     },
     [](SettingsMemory& s) { s.levelUnit = *sondrel::LevelUnits.codeOf("dBmV"); },
     OwnText::MeterConfirmed},
    {"TemperatureUnit", Row::TemperatureUnit,
     [](MeterInstrumentPage& p, const SettingsMemory&) {
         choose(p, TextSettingId::TemperatureUnit, "F");
     },
     [](SettingsMemory& s) { s.temperatureUnit = *sondrel::TemperatureUnits.codeOf("F"); },
     OwnText::MeterConfirmed},
    {"SwitchOffReadBack", Row::SwitchOff,
     [](MeterInstrumentPage& p, const SettingsMemory&) {
         choose(p, TextSettingId::SwitchOff, "30 min");
     },
     [](SettingsMemory& s) { s.shutdown = *sondrel::ShutdownTimes.codeOf("30 min"); },
     OwnText::MeterConfirmed},
    {"Backlight", Row::Backlight,
     [](MeterInstrumentPage& p, const SettingsMemory&) {
         choose(p, TextSettingId::Backlight, "5 min");
     },
     [](SettingsMemory& s) { s.backlight = *sondrel::BacklightTimes.codeOf("5 min"); },
     OwnText::MeterUnconfirmed},
    {"Step", Row::Step,
     [](MeterInstrumentPage& p, const SettingsMemory&) {
         choose(p, TextSettingId::Step, "100 KHz");
     },
     [](SettingsMemory& s) {
         const auto step = *sondrel::freqStepOf("100 KHz");
         s.stepUnit = step.unit;
         s.stepMultiplier = step.multiplier;
     },
     OwnText::MeterUnconfirmed},
    {"Limits", Row::Limits,
     [](MeterInstrumentPage& p, const SettingsMemory& s) {
         for (int i = 0; i < MeterInstrumentPage::LimitCount; ++i)
             p.limit(i)->setValue(s.limits[static_cast<std::size_t>(i)] + i + 1);
     },
     [](SettingsMemory& s) {
         for (std::size_t i = 0; i < s.limits.size(); ++i)
             s.limits[i] = static_cast<std::uint8_t>(s.limits[i] + i + 1);
     },
     OwnText::MeterUnconfirmed},
};

TEST_P(SettingOneValue, ChangesThatSettingOnlyAndSaysWhatTheMeterMadeOfIt) {
    const SetCase& c = GetParam();
    SettingsMemory expected = settings();
    c.choose(*page, expected);
    c.expected(expected);
    const QString verdictStart = ownText(c.said).section(u'%', 0, 0);
    set(c.row);
    EXPECT_EQ(settingsJson(), nlohmann::json(expected));
    const QString status = page->status(c.row)->text();
    EXPECT_FALSE(status.isEmpty());
    // Each verdict is told apart by its own wording around the values.
    const QString wording = ownText(c.said).remove(QRegularExpression(QStringLiteral("%\\d")));
    for (const QString& word : wording.split(u' ', Qt::SkipEmptyParts))
        EXPECT_TRUE(status.contains(word))
            << status.toStdString() << " lacks " << word.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingOneValue, ::testing::ValuesIn(setCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MeterInstrumentPageTest, TheClockSentIsThisComputersAndShownBeforeAndAfter) {
    EXPECT_TRUE(page->clockToSend()->text().contains(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd"))));
    SettingsMemory expected = settings();
    const QDateTime before = QDateTime::currentDateTime();
    set(Row::Clock);
    const QDateTime after = QDateTime::currentDateTime();

    const sondrel::CivilDateTime got = settings().clock;
    const QDateTime received(QDate(got.year, got.month, got.day),
                             QTime(got.hour, got.minute, got.second));
    // The meter's clock counts whole seconds, and the system's second counter
    // may lag its finer clock by a tick: a second and a bit before is still now.
    EXPECT_GE(received, before.addMSecs(-1100)) << received.toString().toStdString();
    EXPECT_LE(received, after.addSecs(1)) << received.toString().toStdString();
    const QString shown = received.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    EXPECT_EQ(page->status(Row::Clock)->text(), ownText(OwnText::MeterClockSent).arg(shown))
        << "what was sent is what the meter received";
    expected.clock = got;
    EXPECT_EQ(settingsJson(), nlohmann::json(expected)) << "only the clock changed";
}

TEST_F(MeterInstrumentPageTest, TheLineSpeedChangesOnlyAfterAWarningAndLaterJobsFollowIt) {
    page->lineSpeed()->setCurrentText(QStringLiteral("38400"));
    messages.answers.push_back(MessageAnswer::No);
    EXPECT_FALSE(page->changeLineSpeed());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].style, MessageStyle::Question);
    EXPECT_TRUE(messages.shown[0].prompt.contains(QStringLiteral("--baud 38400")));
    EXPECT_EQ(meter->withState([](auto& s) { return s.link.baud; }), 9600u);

    ASSERT_TRUE(page->changeLineSpeed());
    waitForJob();
    EXPECT_EQ(meter->withState([](auto& s) { return s.link.baud; }), 38400u);
    EXPECT_EQ(page->status(Row::LineSpeed)->text(), ownText(OwnText::MeterLineSpeedNow).arg(38400));

    // A later job on a new connection still reaches the meter, the plan's too.
    meter->withState([](auto& s) { s.settings.volume = 11; });
    read();
    EXPECT_EQ(page->volume()->value(), 11);
    EXPECT_FALSE(page->model()->text().isEmpty());

    page->lineSpeed()->setCurrentText(QStringLiteral("9600"));
    ASSERT_TRUE(page->changeLineSpeed());
    waitForJob();
    EXPECT_EQ(meter->withState([](auto& s) { return s.link.baud; }), 9600u);
    EXPECT_EQ(meterLineSpeed(), 9600u);
}

TEST_F(MeterInstrumentPageTest, ChoosingTheSpeedTheMeterListensAtBringsTheEditorBackInStep) {
    // Set to 19200 earlier (by sondrel, or before the editor started).
    meter->withState([](auto& s) { s.link.baud = 19200; });
    read();
    EXPECT_TRUE(page->model()->text().isEmpty()) << "9600 is noise to the meter";

    page->lineSpeed()->setCurrentText(QStringLiteral("19200"));
    ASSERT_TRUE(page->changeLineSpeed());
    waitForJob();
    EXPECT_EQ(page->status(Row::LineSpeed)->text(), ownText(OwnText::MeterLineSpeedNow).arg(19200));
    EXPECT_EQ(meterLineSpeed(), 19200u);
    read();
    EXPECT_FALSE(page->model()->text().isEmpty());
}

TEST_F(MeterInstrumentPageTest, ASilentMeterGivesTheReasonAndShowsNothingAsRead) {
    meter->faults().add(korvane::sim::parseFaultRule("any:noreply"));
    page->volume()->setValue(7);
    read();
    const QString reason = meterFailureDetail({sondrel::FailureKind::NoAnswer, ""});
    EXPECT_TRUE(window->stateLine()->text().contains(ownText(OwnText::MeterReadFailed)));
    EXPECT_TRUE(window->stateLine()->text().contains(reason))
        << window->stateLine()->text().toStdString();
    EXPECT_TRUE(page->model()->text().isEmpty());
    EXPECT_EQ(page->status(Row::Volume)->text(), ownText(OwnText::MeterNotRead).arg(reason));
    EXPECT_EQ(page->volume()->value(), 7) << "no made-up value";
    EXPECT_TRUE(page->readButton()->isEnabled()) << "the page is free again";

    set(Row::Backlight);
    EXPECT_TRUE(page->status(Row::Backlight)->text().contains(reason));
}

TEST_F(MeterInstrumentPageTest, ThePageSpeaksChinese) {
    LanguageOffset = ChineseOffset;
    MeterInstrumentPage chinese(*window);
    EXPECT_EQ(chinese.readButton()->text(), ownText(OwnText::MeterInstrumentRead));
    EXPECT_NE(ownText(OwnText::MeterInstrumentRead), QStringLiteral("Read from the meter"));
    EXPECT_TRUE(chinese.clockToSend()->text().startsWith(
        ownText(OwnText::MeterClockToSend).section(u'%', 0, 0)));
    chinese.readButton()->click();
    waitForJob();
    EXPECT_EQ(chinese.status(Row::Limits)->text(), ownText(OwnText::MeterNotReported));
    for (QChar c : chinese.status(Row::Limits)->text())
        EXPECT_FALSE(c.isLetter() && c.unicode() < 0x80) << "no English left";
}

} // namespace
} // namespace plandex::testing
