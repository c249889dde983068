// The main window against the simulated meter: the run-time loaded library
// talks over a real pseudo-terminal to the simulator registered as a COM port
// in a private ports folder; every message is recorded and answered.
#pragma once

#include "simulated_plan_slot.h" // first: before Qt's keywords

#include "cell_editing_fixture.h"
#include "delivered_database.h"
#include "event_waits.h"
#include "meter_connection.h"
#include "transfer.h"

#include "common/plan_codec_entries.h"

#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTemporaryDir>

namespace plandex::testing {

using korvane::sim::AnalogPlan;
using sondrel::AnalogEntry;
using sondrel::HeadEntry;

constexpr int MeterPort = 7;
constexpr int AbsentPort = 9;
constexpr std::uint8_t OpenCommand = 0x2B, ResetCommand = 0x0A, PlanCommand = 0x67;

inline const sondrel::CodePage western("WINDOWS-1252");

inline AnalogEntry entry(const char* name, float freq, const char* type, float audio1) {
    sondrel::Channellist c;
    c.ChannelName = name;
    c.freq = freq;
    c.Type = type;
    c.Audio1 = audio1;
    return sondrel::analogEntryOf(c, western);
}

class TransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        LanguageOffset = EnglishOffset;
        qputenv("SONDREL_PORTS", folder.filePath("ports").toLocal8Bit());
        korvane::sim::SimulatorOptions options;
        options.comNumber = MeterPort;
        options.portsFolder = folder.filePath("ports").toStdString();
        meter = std::make_unique<korvane::sim::MeterSimulator>(options);
        meter->start();
        setMeterLibrary(sondrel::client::SondrelLibrary::load());
        setMeterPort(MeterPort);
    }
    void TearDown() override {
        form.reset();
        setMeterLibrary(nullptr);
        meter->stop();
        qunsetenv("SONDREL_PORTS");
    }
    // Runs a toolbar command and waits until the transfer it starts has ended.
    void run(const char* key) {
        form->ToolKv_ButtonClick(key);
        finish();
    }
    void finish() { ASSERT_EVENTUALLY(!form->transferRunning(), 60000); }
    void load(const std::vector<PlanRow>& rows) {
        form = std::make_unique<Form2>(PlanStore(copyDeliveredDatabase(folder.path(), rows)));
        form->show();
    }
    // Fills the side panel; unchecked, the entry checks do not see the texts.
    void setHeader(const QStringList& favourites, const QString& span, const QString& unit,
                   bool unchecked = false) {
        auto set = [&](int element, const QString& text) {
            QSignalBlocker quiet(unchecked ? form->Text1(element) : nullptr);
            form->Text1(element)->setText(text);
        };
        for (std::size_t i = 0; i < FavouriteElements.size(); ++i)
            set(FavouriteElements[i], favourites.value(static_cast<qsizetype>(i)));
        set(SpanElement, span);
        form->Combo5()->setCurrentText(unit);
    }
    QStringList header() const {
        QStringList texts;
        for (int element : FavouriteElements)
            texts << form->Text1(element)->text();
        return texts << form->Text1(SpanElement)->text() << form->Combo5()->currentText();
    }
    void putInSlotA(const AnalogPlan& plan) { putAnalogPlanInSlotA(*meter, plan); }
    AnalogPlan slotA() { return analogPlanInSlotA(*meter); }
    std::vector<std::uint8_t> commandsToMeter() const {
        std::vector<std::uint8_t> commands;
        for (const auto& frame : meter->wireLog().framesToMeter())
            if (frame.size() > 4) commands.push_back(frame[4]); // 55 AA 01 length command
        return commands;
    }
    std::vector<bool> buttonStates() const {
        std::vector<bool> states;
        for (int b = UploadButton; b <= OrderButton; ++b)
            states.push_back(form->isButtonEnabled(b));
        return states;
    }
    const RecordedMessage& onlyMessage() const {
        EXPECT_EQ(messages.shown.size(), 1u);
        return messages.shown.at(0);
    }

    QTemporaryDir folder;
    std::unique_ptr<korvane::sim::MeterSimulator> meter;
    RecordingMessages messages;
    std::unique_ptr<Form2> form;
};

const std::vector<bool> afterLoad = {true, false, true, false, false, false, false, false, false};
const std::vector<bool> afterTransfer = {true, true, true, true, false, false, true, false, true};

} // namespace plandex::testing
