#include "meter_live_page.h"

#include "Form2.h"
#include "live_pace.h"
#include "live_strip_chart.h"
#include "meter_window.h"
#include "own_texts.h"
#include "survey_plan.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace plandex {
namespace {

using sondrel::client::DigitalReading;
using sondrel::client::LiveQuantity;

// The chart keeps the last five minutes.
constexpr double ChartSeconds = 300;
// Frequencies the meter tunes to, MHz.
constexpr double LowestMhz = 5, HighestMhz = 870;

QString tenthsText(double value) {
    return QString::number(value, 'f', 1);
}

QString optionalText(std::optional<double> value) {
    return value ? tenthsText(*value) : QStringLiteral("–");
}

// A bit-error ratio as the meter shows it: 2.3E-05.
QString berText(double ber) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1E", ber);
    return QString::fromLatin1(text);
}

QString digitalText(const DigitalReading& reading) {
    using State = DigitalReading::State;
    QStringList parts{ownText(OwnText::MeterLivePower)
                          .arg(tenthsText(reading.power),
                               (reading.powerFromAverage >= 0 ? QStringLiteral("+") : QString()) +
                                   tenthsText(reading.powerFromAverage))};
    if (reading.state == State::NotLocked)
        return (parts << ownText(OwnText::MeterLiveNotLocked)).join(QStringLiteral(" · "));
    if (reading.mer) parts << ownText(OwnText::MeterLiveMer).arg(tenthsText(*reading.mer));
    switch (reading.state) {
    case State::Measured:
        parts << ownText(OwnText::MeterLiveBer).arg(berText(*reading.ber));
        break;
    case State::NoBitErrors:
        parts << ownText(OwnText::MeterLiveNoBitErrors);
        break;
    case State::TooManyBitErrors:
        parts << ownText(OwnText::MeterLiveTooManyErrors);
        break;
    default:
        break;
    }
    return parts.join(QStringLiteral(" · "));
}

} // namespace

MeterLivePage::MeterLivePage(MeterWindow& window)
    : QWidget(&window), window_(window), requests_(std::make_shared<LiveRequests>()),
      series_(ChartSeconds) {
    setObjectName(QStringLiteral("MeterLivePage"));
    channel_ = new QComboBox(this);
    channel_->setObjectName(QStringLiteral("LiveChannel"));
    channelCaption_ = new QLabel(this);
    frequency_ = new QLineEdit(this);
    frequency_->setObjectName(QStringLiteral("LiveFrequency"));
    frequencyCaption_ = new QLabel(this);
    start_ = new QPushButton(this);
    start_->setObjectName(QStringLiteral("LiveStart"));
    stop_ = new QPushButton(this);
    stop_->setObjectName(QStringLiteral("LiveStop"));
    cn_ = new QPushButton(this);
    cn_->setObjectName(QStringLiteral("LiveCn"));
    offset_ = new QPushButton(this);
    offset_->setObjectName(QStringLiteral("LiveOffset"));
    reading_ = new QLabel(this);
    reading_->setObjectName(QStringLiteral("LiveReading"));
    QFont big = reading_->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    reading_->setFont(big);
    digital_ = new QLabel(this);
    digital_->setObjectName(QStringLiteral("LiveDigital"));
    cnResult_ = new QLabel(this);
    cnResult_->setObjectName(QStringLiteral("LiveCnResult"));
    offsetResult_ = new QLabel(this);
    offsetResult_->setObjectName(QStringLiteral("LiveOffsetResult"));
    figures_ = new QLabel(this);
    figures_->setObjectName(QStringLiteral("LiveFigures"));
    pace_ = new QLabel(this);
    pace_->setObjectName(QStringLiteral("LivePace"));
    chart_ = new LiveStripChart(this);
    chart_->setSeries(&series_);

    auto* choice = new QFormLayout;
    choice->addRow(channelCaption_, channel_);
    choice->addRow(frequencyCaption_, frequency_);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {start_, stop_, cn_, offset_})
        commands->addWidget(b);
    commands->addStretch(1);
    auto* oneOffs = new QHBoxLayout;
    oneOffs->addWidget(cnResult_);
    oneOffs->addWidget(offsetResult_);
    oneOffs->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addLayout(commands);
    layout->addWidget(reading_);
    layout->addWidget(digital_);
    layout->addLayout(oneOffs);
    layout->addWidget(chart_, 1);
    layout->addWidget(figures_);
    layout->addWidget(pace_);

    connect(channel_, &QComboBox::currentIndexChanged, this, &MeterLivePage::onChannelChosen);
    connect(start_, &QPushButton::clicked, this, &MeterLivePage::startLive);
    connect(stop_, &QPushButton::clicked, &window_, &MeterWindow::stop);
    connect(cn_, &QPushButton::clicked, this, [this] { measureOnce(LiveOneOff::Cn); });
    connect(offset_, &QPushButton::clicked, this, [this] { measureOnce(LiveOneOff::Offset); });
    connect(&window_, &MeterWindow::busyChanged, this, [this](bool busy) {
        otherJob_ = busy && !ownJob_;
        updateCommands();
    });
    window_.form().installEventFilter(this);

    applyTexts();
    fillChannels();
    updateCommands();
}

void MeterLivePage::applyTexts() {
    channelCaption_->setText(ownText(OwnText::MeterLiveChannel));
    frequencyCaption_->setText(ownText(OwnText::MeterLiveFrequency));
    start_->setText(ownText(OwnText::MeterLiveStart));
    stop_->setText(ownText(OwnText::MeterStop));
    cn_->setText(ownText(OwnText::MeterLiveCn));
    offset_->setText(ownText(OwnText::MeterLiveOffset));
    if (series_.readings().empty()) reading_->setText(ownText(OwnText::MeterLiveNoReading));
    showFigures();
}

void MeterLivePage::showEvent(QShowEvent* event) {
    fillChannels();
    QWidget::showEvent(event);
}

void MeterLivePage::fillChannels() {
    if (ownJob_) return; // the channel measured stays as it is
    const LiveTarget* kept = chosenChannel();
    const int keptNumber = kept ? kept->number : -1;
    std::vector<PlanRow> rows;
    try {
        rows = window_.form().store().rows(OrderById);
    } catch (const StoreError&) {
        // The main window says what the database refused; a typed frequency still works.
    }
    channels_.clear();
    for (const auto& c : surveyPlanOf(rows, {}, QString()).channels) {
        const QString label = QStringLiteral("%1  %2  %3 MHz  %4")
                                  .arg(c.number)
                                  .arg(QString::fromStdString(c.name))
                                  .arg(c.mhz)
                                  .arg(QString::fromStdString(c.type));
        channels_.push_back({label, c.mhz, c.number, sondrel::client::isDigital(c)});
    }
    const QSignalBlocker quiet(channel_);
    channel_->clear();
    channel_->addItem(ownText(OwnText::MeterLiveTyped));
    int chosen = 0;
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        channel_->addItem(channels_[i].label);
        if (channels_[i].number == keptNumber) chosen = static_cast<int>(i) + 1;
    }
    channel_->setCurrentIndex(chosen);
    onChannelChosen();
}

void MeterLivePage::onChannelChosen() {
    const LiveTarget* chosen = chosenChannel();
    frequency_->setReadOnly(chosen != nullptr);
    if (chosen) frequency_->setText(QString::number(chosen->mhz));
    updateCommands();
}

const LiveTarget* MeterLivePage::chosenChannel() const {
    const int index = channel_->currentIndex();
    return index > 0 ? &channels_[static_cast<std::size_t>(index - 1)] : nullptr;
}

std::optional<LiveTarget> MeterLivePage::target() {
    if (const LiveTarget* chosen = chosenChannel()) return *chosen;
    bool number = false;
    const double mhz = frequency_->text().trimmed().toDouble(&number);
    if (!number || mhz < LowestMhz || mhz > HighestMhz) {
        window_.stateLine()->setText(ownText(OwnText::MeterLiveBadFrequency));
        return std::nullopt;
    }
    return LiveTarget{QString::number(mhz) + QStringLiteral(" MHz"), mhz, 0, false};
}

void MeterLivePage::startLive() {
    const auto chosen = target();
    if (!chosen) return;
    series_.clear();
    reading_->setText(ownText(OwnText::MeterLiveNoReading));
    digital_->clear();
    cnResult_->clear();
    offsetResult_->clear();
    showFigures();
    chart_->update();
    runJob(*chosen, true, LiveOneOff::None);
}

void MeterLivePage::measureOnce(LiveOneOff oneOff) {
    if (liveRunning_) {
        // Read between two live readings of the running job.
        requests_->ask(oneOff);
        return;
    }
    const auto chosen = target();
    if (chosen) runJob(*chosen, false, oneOff);
}

bool MeterLivePage::runJob(const LiveTarget& chosen, bool live, LiveOneOff oneOff) {
    requests_->clear();
    measured_ = chosen;
    ownJob_ = true;
    liveRunning_ = live;
    failureShown_ = true;
    // Outcomes come from the worker's thread; the page takes them on its own.
    const LiveDelivery deliver = [this](const LiveResult& result) {
        QMetaObject::invokeMethod(
            this, [this, result] { showResult(result); }, Qt::QueuedConnection);
    };
    const bool started = window_.runJob(
        liveJob(chosen, live, oneOff, requests_, std::chrono::steady_clock::now(), deliver),
        [this] { jobEnded(); });
    if (!started) {
        ownJob_ = liveRunning_ = false;
        measured_.reset();
    }
    updateCommands();
    return started;
}

void MeterLivePage::jobEnded() {
    ownJob_ = liveRunning_ = false;
    updateCommands();
    if (closeMainWhenStopped_) {
        closeMainWhenStopped_ = false;
        // Once the main window has seen the job end.
        QMetaObject::invokeMethod(&window_.form(), &QWidget::close, Qt::QueuedConnection);
    }
}

void MeterLivePage::showResult(const LiveResult& result) {
    if (result.value) {
        if (failureShown_) window_.showAnswered(QString());
        failureShown_ = false;
    } else {
        window_.showFailure(ownText(OwnText::MeterLiveReadingFailed), result.failure);
        failureShown_ = true;
    }
    switch (result.kind) {
    case LiveResult::Kind::Reading:
    case LiveResult::Kind::Unreachable:
        showReading(result);
        break;
    case LiveResult::Kind::Cn:
    case LiveResult::Kind::Offset:
        showOneOff(result);
        break;
    }
}

void MeterLivePage::showReading(const LiveResult& result) {
    series_.add(result.seconds, result.value);
    reading_->setText(result.value ? ownText(OwnText::MeterLiveLevel).arg(tenthsText(*result.value))
                                   : ownText(OwnText::MeterLiveFailed));
    if (measured_ && measured_->digital && result.value)
        digital_->setText(digitalText(result.digital));
    else
        digital_->clear();
    showFigures();
    chart_->update();
}

void MeterLivePage::showOneOff(const LiveResult& result) {
    if (result.kind == LiveResult::Kind::Cn)
        cnResult_->setText(
            result.value ? ownText(OwnText::MeterLiveCnResult).arg(static_cast<int>(*result.value))
                         : ownText(OwnText::MeterLiveCnNotRead));
    else
        offsetResult_->setText(result.value ? ownText(OwnText::MeterLiveOffsetResult)
                                                  .arg(QString::number(*result.value, 'f', 2))
                                            : ownText(OwnText::MeterLiveOffsetNotRead));
}

void MeterLivePage::showFigures() {
    figures_->setText(ownText(OwnText::MeterLiveFigures)
                          .arg(optionalText(series_.lowest()), optionalText(series_.highest()),
                               optionalText(series_.current())));
    const bool digital = measured_ ? measured_->digital : false;
    pace_->setText(
        ownText(OwnText::MeterLivePace)
            .arg(QString::number(series_.readingsPerSecond(), 'f', 2),
                 QString::number(sondrel::client::mostReadingsPerSecond(
                                     digital ? LiveQuantity::Digital : LiveQuantity::Level),
                                 'f', 2)));
}

void MeterLivePage::updateCommands() {
    const bool free = !ownJob_ && !otherJob_;
    // C/N and the offset belong to carriers; they are read between live readings too.
    const LiveTarget* chosen = liveRunning_ && measured_ ? &*measured_ : chosenChannel();
    const bool oneOffs = (free || liveRunning_) && !(chosen && chosen->digital);
    start_->setEnabled(free);
    stop_->setEnabled(liveRunning_);
    cn_->setEnabled(oneOffs);
    offset_->setEnabled(oneOffs);
    channel_->setEnabled(!ownJob_);
    frequency_->setEnabled(!ownJob_);
}

bool MeterLivePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_.form() && event->type() == QEvent::Close && ownJob_) {
        // Nothing of a reading is lost by stopping it: no question asked.
        event->ignore();
        closeMainWhenStopped_ = true;
        window_.stop();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace plandex
