#include "meter_instrument_page.h"

#include "failure_texts.h"
#include "messages.h"
#include "meter_line_speed.h"
#include "meter_window.h"
#include "own_texts.h"
#include "transfer.h"

#include "common/dispatch_coercion.h"
#include "common/option_texts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSizePolicy>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>
#include <optional>

namespace plandex {
namespace {

using sondrel::client::SetOutcome;
using sondrel::client::TextSettingId;
using Row = MeterInstrumentPage::Row;

// What the meter said about one value: the value, or why it said nothing.
struct Reading {
    std::optional<std::string> value;
    sondrel::Failure failure;
};

// What a change came to.
struct Change {
    bool answered = false;
    std::optional<std::string> reported; // what the meter now reports having
    sondrel::Failure failure;
    std::string sent; // the value as sent (the clock: the date and time)
};

struct RowText {
    Row row;
    OwnText label;
};
constexpr RowText RowTexts[] = {
    {Row::Volume, OwnText::MeterVolume},
    {Row::LevelUnit, OwnText::MeterLevelUnit},
    {Row::TemperatureUnit, OwnText::MeterTemperatureUnit},
    {Row::Backlight, OwnText::MeterBacklight},
    {Row::SwitchOff, OwnText::MeterSwitchOff},
    {Row::Step, OwnText::MeterStep},
    {Row::Limits, OwnText::MeterLimits},
    {Row::Clock, OwnText::MeterClock},
    {Row::LineSpeed, OwnText::MeterLineSpeed},
};

std::optional<TextSettingId> textSettingOf(Row row) {
    switch (row) {
    case Row::LevelUnit:
        return TextSettingId::LevelUnit;
    case Row::TemperatureUnit:
        return TextSettingId::TemperatureUnit;
    case Row::Backlight:
        return TextSettingId::Backlight;
    case Row::SwitchOff:
        return TextSettingId::SwitchOff;
    case Row::Step:
        return TextSettingId::Step;
    default:
        return std::nullopt;
    }
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

// The reason in a row: the failure kind in the user's language. A value never
// asked for (the job was stopped first) counts as stopped.
QString reasonOf(const sondrel::Failure& failure) {
    if (failure.kind == sondrel::FailureKind::None) return ownText(OwnText::MeterCancelled);
    return meterFailureDetail(failure).section(u'\n', 0, 0);
}

// The date and time as the rows show them.
QString clockText(sondrel::ComDate when) {
    return text(sondrel::formatDate(when).value_or("")).replace(u'T', u' ');
}

// On the worker: the meter's answer to one change.
Change sendChange(sondrel::_KorvaneConnection& meter, MeterJobContext& job, Row row,
                  const std::string& wanted, const std::vector<int>& limits) {
    Change change;
    change.sent = wanted;
    std::int16_t result = 0;
    if (row == Row::Volume) {
        auto volume = static_cast<std::uint8_t>(std::stoi(wanted));
        change.answered = meter.SetupSLMVolume(&volume, &result) >= 0 && result != 0;
        if (change.answered) change.reported = std::to_string(volume);
    } else if (auto id = textSettingOf(row)) {
        const auto& setting = sondrel::client::textSetting(*id);
        std::string value = wanted;
        change.answered = sondrel::client::setTextSetting(meter, *id, value);
        if (change.answered && setting.echoes) change.reported = value;
        if (change.answered && !setting.echoes && setting.readMember) {
            // The meter can report it: read it again as the confirmation.
            std::string now;
            if (sondrel::client::readTextSetting(meter, *id, now)) change.reported = now;
        }
    } else if (row == Row::Limits) {
        sondrel::VariantArray values;
        for (int v : limits)
            values.items.push_back(sondrel::Variant::i2(static_cast<std::int16_t>(v)));
        sondrel::Variant array = sondrel::Variant::variants(values);
        change.answered = meter.SetupSLMLimit(&array, &result) >= 0 && result != 0;
    } else if (row == Row::Clock) {
        sondrel::ComDate when = sondrel::client::computerClock();
        change.sent = sondrel::formatDate(when).value_or("");
        sondrel::ComDate time = when;
        change.answered = meter.SetupDateTime(&when, &time, &result) >= 0 && result != 0;
    }
    if (!change.answered) change.failure = job.lastFailure();
    return change;
}

// On the worker: moves the meter to baud and checks that it answers there.
// A meter at the connection's speed takes the request; one already at baud
// hears noise but the library moves all the same, so the answer at the new
// speed decides.
Change sendLineSpeed(sondrel::_KorvaneConnection& meter, MeterJobContext& job, unsigned baud) {
    Change change;
    change.sent = std::to_string(baud);
    sondrel::client::followLineSpeed(meter, baud);
    sondrel::Variant result;
    const auto answer =
        sondrel::failed(meter.OpenDeviceConnection(&result)) ? std::nullopt : result.toNumber();
    change.answered = answer && *answer != 0;
    if (change.answered)
        change.reported = change.sent;
    else
        change.failure = job.lastFailure();
    return change;
}

} // namespace

MeterInstrumentPage::MeterInstrumentPage(MeterWindow& window) : window_(window) {
    setObjectName(QStringLiteral("MeterInstrumentPage"));
    grid_ = new QGridLayout;
    read_ = new QPushButton(ownText(OwnText::MeterInstrumentRead), this);
    connect(read_, &QPushButton::clicked, this, &MeterInstrumentPage::readSettings);

    model_ = new QLabel(this);
    modelStatus_ = new QLabel(this);
    grid_->addWidget(new QLabel(ownText(OwnText::MeterModel), this), 0, 0);
    grid_->addWidget(model_, 0, 1);
    grid_->addWidget(modelStatus_, 0, 3);

    volume_ = new QSpinBox(this);
    volume_->setRange(0, 255);
    for (const auto& setting : sondrel::client::textSettings()) {
        auto* combo = new QComboBox(this);
        for (const auto& choice : setting.choices)
            combo->addItem(text(choice));
        choices_[setting.id] = combo;
    }
    auto* limits = new QWidget(this);
    auto* limitsLayout = new QGridLayout(limits);
    limitsLayout->setContentsMargins(0, 0, 0, 0);
    constexpr int LimitsARow = LimitCount / 2;
    for (int i = 0; i < LimitCount; ++i) {
        auto*& spin = limits_[static_cast<std::size_t>(i)];
        spin = new QSpinBox(limits);
        spin->setRange(0, 255);
        limitsLayout->addWidget(spin, i / LimitsARow, i % LimitsARow);
    }
    clockToSend_ = new QLabel(this);
    lineSpeed_ = new QComboBox(this);
    for (unsigned rate : sondrel::baudRates())
        lineSpeed_->addItem(QString::number(rate), rate);

    for (const auto& [row, label] : RowTexts) {
        QWidget* control = nullptr;
        if (row == Row::Volume)
            control = volume_;
        else if (auto id = textSettingOf(row))
            control = choices_.at(*id);
        else if (row == Row::Limits)
            control = limits;
        else if (row == Row::Clock)
            control = clockToSend_;
        else
            control = lineSpeed_;
        addRow(row, ownText(label), control);
    }
    setButtons_.at(Row::Clock)->setText(ownText(OwnText::MeterClockSet));
    setButtons_.at(Row::LineSpeed)->setText(ownText(OwnText::MeterLineSpeedChange));
    grid_->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(read_);
    top->addStretch(1);
    layout->addLayout(top);
    layout->addLayout(grid_);
    layout->addStretch(1);

    clockTick_ = new QTimer(this);
    connect(clockTick_, &QTimer::timeout, this, &MeterInstrumentPage::showClockToSend);
    clockTick_->start(1000);
    showClockToSend();
    connect(&window_, &MeterWindow::busyChanged, this, &MeterInstrumentPage::onBusy);
}

void MeterInstrumentPage::addRow(Row row, const QString& label, QWidget* control) {
    const int line = grid_->rowCount();
    auto* button = new QPushButton(ownText(OwnText::MeterSet), this);
    auto* status = new QLabel(this);
    status->setWordWrap(true);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Controls and buttons keep their natural width; the meter's word gets the rest.
    control->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    grid_->addWidget(new QLabel(label, this), line, 0);
    grid_->addWidget(control, line, 1);
    if (row == Row::Clock) {
        // The clock's long command takes the row's end, what was sent the line below.
        grid_->addWidget(button, line, 2, 1, 2, Qt::AlignLeft);
        grid_->addWidget(status, line + 1, 1, 1, 3);
    } else {
        grid_->addWidget(button, line, 2);
        grid_->addWidget(status, line, 3);
    }
    setButtons_[row] = button;
    statuses_[row] = status;
    if (row == Row::LineSpeed)
        connect(button, &QPushButton::clicked, this, &MeterInstrumentPage::changeLineSpeed);
    else
        connect(button, &QPushButton::clicked, this, [this, row] { setRow(row); });
}

void MeterInstrumentPage::onBusy(bool busy) {
    read_->setEnabled(!busy);
    for (auto& [row, button] : setButtons_)
        button->setEnabled(!busy);
}

void MeterInstrumentPage::showClockToSend() {
    clockToSend_->setText(
        ownText(OwnText::MeterClockToSend).arg(clockText(sondrel::client::computerClock())));
}

void MeterInstrumentPage::readSettings() {
    struct Readings {
        bool opened = false;
        sondrel::Failure openFailure;
        Reading model, volume, temperature, switchOff;
    };
    auto readings = std::make_shared<Readings>();
    const auto job = [readings](sondrel::_KorvaneConnection* meter, MeterJobContext& context) {
        if (!openDeviceConnection(meter)) {
            readings->openFailure = context.lastFailure();
            return;
        }
        readings->opened = true;
        std::string model;
        meter->SLMType(&model);
        if (model.empty())
            readings->model.failure = context.lastFailure();
        else
            readings->model.value = model;
        context.reportProgress(1, 4);
        if (context.stopRequested()) return;
        std::uint8_t volume = 0;
        std::int16_t result = 0;
        if (meter->ReadSLMVolume(&volume, &result) >= 0 && result != 0)
            readings->volume.value = std::to_string(volume);
        else
            readings->volume.failure = context.lastFailure();
        context.reportProgress(2, 4);
        int done = 2;
        for (auto [id, reading] :
             {std::pair{TextSettingId::TemperatureUnit, &readings->temperature},
              std::pair{TextSettingId::SwitchOff, &readings->switchOff}}) {
            if (context.stopRequested()) return;
            std::string value;
            if (sondrel::client::readTextSetting(*meter, id, value))
                reading->value = value;
            else
                reading->failure = context.lastFailure();
            context.reportProgress(++done, 4);
        }
    };
    const auto shown = [this, readings] {
        const auto show = [](QLabel* status, const Reading& reading) {
            status->setText(reading.value
                                ? ownText(OwnText::MeterReported).arg(text(*reading.value))
                                : ownText(OwnText::MeterNotRead).arg(reasonOf(reading.failure)));
        };
        if (!readings->opened)
            for (Reading* reading : {&readings->model, &readings->volume, &readings->temperature,
                                     &readings->switchOff})
                reading->failure = readings->openFailure;
        model_->setText(readings->model.value ? text(*readings->model.value) : QString());
        modelStatus_->setText(
            readings->model.value
                ? QString()
                : ownText(OwnText::MeterNotRead).arg(reasonOf(readings->model.failure)));
        show(statuses_.at(Row::Volume), readings->volume);
        show(statuses_.at(Row::TemperatureUnit), readings->temperature);
        show(statuses_.at(Row::SwitchOff), readings->switchOff);
        if (readings->volume.value) volume_->setValue(std::stoi(*readings->volume.value));
        if (readings->temperature.value)
            choices_.at(TextSettingId::TemperatureUnit)
                ->setCurrentText(text(*readings->temperature.value));
        if (readings->switchOff.value)
            choices_.at(TextSettingId::SwitchOff)->setCurrentText(text(*readings->switchOff.value));
        for (Row row : {Row::LevelUnit, Row::Backlight, Row::Step, Row::Limits})
            statuses_.at(row)->setText(ownText(OwnText::MeterNotReported));

        const bool anyAnswer = readings->model.value || readings->volume.value ||
                               readings->temperature.value || readings->switchOff.value;
        if (anyAnswer) {
            window_.showAnswered(model_->text());
        } else {
            const sondrel::Failure failure =
                readings->opened ? readings->model.failure : readings->openFailure;
            window_.showFailure(ownText(OwnText::MeterReadFailed), failure);
        }
    };
    window_.runJob(job, shown);
}

void MeterInstrumentPage::setRow(Row row) {
    if (row == Row::LineSpeed) return;
    std::string wanted;
    std::vector<int> limits;
    if (row == Row::Volume) wanted = std::to_string(volume_->value());
    if (auto id = textSettingOf(row)) wanted = choices_.at(*id)->currentText().toStdString();
    if (row == Row::Limits)
        for (QSpinBox* spin : limits_)
            limits.push_back(spin->value());
    auto change = std::make_shared<Change>();
    const auto job = [change, row, wanted, limits](sondrel::_KorvaneConnection* meter,
                                                   MeterJobContext& context) {
        if (!openDeviceConnection(meter)) {
            change->failure = context.lastFailure();
            return;
        }
        if (context.stopRequested()) return;
        *change = sendChange(*meter, context, row, wanted, limits);
    };
    const auto shown = [this, row, change, limits] {
        QString sent = text(change->sent);
        if (row == Row::Limits) {
            QStringList values;
            for (int v : limits)
                values << QString::number(v);
            sent = values.join(u' ');
        }
        if (row == Row::Clock && !change->sent.empty()) sent = sent.replace(u'T', u' ');
        const SetOutcome outcome =
            sondrel::client::setOutcome(change->answered, change->sent, change->reported);
        QLabel* status = statuses_.at(row);
        switch (outcome) {
        case SetOutcome::Confirmed:
            status->setText(ownText(OwnText::MeterConfirmed).arg(sent));
            break;
        case SetOutcome::Differs:
            status->setText(ownText(OwnText::MeterDiffers).arg(sent, text(*change->reported)));
            break;
        case SetOutcome::Unconfirmed:
            status->setText(row == Row::Clock ? ownText(OwnText::MeterClockSent).arg(sent)
                                              : ownText(OwnText::MeterUnconfirmed).arg(sent));
            break;
        case SetOutcome::Failed:
            status->setText(ownText(OwnText::MeterNotSet).arg(sent, reasonOf(change->failure)));
            break;
        }
        if (outcome == SetOutcome::Failed)
            window_.showFailure(ownText(OwnText::MeterSetFailed), change->failure);
        else
            window_.showAnswered(model_->text());
    };
    window_.runJob(job, shown);
}

bool MeterInstrumentPage::changeLineSpeed() {
    if (window_.jobRunning()) return false;
    const unsigned baud = lineSpeed_->currentData().toUInt();
    if (tell(ownText(OwnText::MeterLineSpeedWarning).arg(baud), MessageStyle::Question) !=
        MessageAnswer::Yes)
        return false;
    auto change = std::make_shared<Change>();
    const auto job = [change, baud](sondrel::_KorvaneConnection* meter, MeterJobContext& context) {
        if (!meter) return;
        // A meter at another speed than the editor remembers does not answer
        // the opening; the change itself may still reach it, so go on.
        openDeviceConnection(meter);
        if (context.stopRequested()) return;
        *change = sendLineSpeed(*meter, context, baud);
    };
    const auto shown = [this, change, baud] {
        QLabel* status = statuses_.at(Row::LineSpeed);
        if (change->answered) {
            setMeterLineSpeed(baud);
            status->setText(ownText(OwnText::MeterLineSpeedNow).arg(baud));
            window_.showAnswered(model_->text());
        } else {
            status->setText(ownText(OwnText::MeterNotSet).arg(baud).arg(reasonOf(change->failure)));
            window_.showFailure(ownText(OwnText::MeterSetFailed), change->failure);
        }
    };
    return window_.runJob(job, shown);
}

} // namespace plandex
