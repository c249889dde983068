#include "transfer.h"

#include "Form2.h"
#include "failure_texts.h"
#include "grid.h"
#include "messages.h"
#include "meter_line_speed.h"
#include "meter_worker.h"
#include "own_texts.h"
#include "texts.h"
#include "toolbar.h"
#include "validation_numbers.h"

#include "common/plan_codec_entries.h"
#include "common/rounding.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>

#include <charconv>
#include <chrono>
#include <limits>
#include <memory>
#include <thread>

namespace plandex {
namespace {

using sondrel::ChannelHead;
using sondrel::Channellist;
using sondrel::SafeArray;
using sondrel::Variant;

constexpr const char* UnitDbuv = "dBuV";
constexpr const char* UnitDbmv = "dBmV";
constexpr std::uint8_t UnDbuv = 1, UnDbmv = 2;

// A library result as the editor takes it: a 16-bit integer, 0 meaning failure.
bool succeeded(sondrel::HResult hr, const Variant& result) {
    if (sondrel::failed(hr)) return false;
    const auto value = result.toNumber();
    return value && static_cast<std::int16_t>(*value) != 0;
}

bool resetMeter(sondrel::_KorvaneConnection* meter) {
    Variant result;
    return succeeded(meter->Reset(&result), result);
}

void pauseAfterSend() {
    std::this_thread::sleep_for(std::chrono::milliseconds(PauseAfterSendMs));
}

// The double a received single-precision value stands for: 471.1f is stored as 471.1.
double decimalValueOf(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double decimal = value;
    std::from_chars(text, end, decimal);
    return decimal;
}

// After a transfer: Upload, Download, Open, Save, Insert and Order are available.
void enableAfterTransfer(Form2& form) {
    for (int b : {UploadButton, DownloadButton, OpenButton, SaveButton, InsertButton, OrderButton})
        form.setButtonEnabled(b, true);
}

// What the worker's part of a read brings back to the window.
struct ReadOutcome {
    bool opened = false;
    bool read = false;
    bool stopped = false;
    SafeArray<Channellist> channels;
    ChannelHead head;
    sondrel::Failure failure; // why the failing call failed
};

void ReadPlanFromMeter(sondrel::_KorvaneConnection* meter, MeterJobContext& job, ReadOutcome& out) {
    out.opened = openDeviceConnection(meter);
    if (!out.opened) {
        out.failure = job.lastFailure();
        return;
    }
    if (job.stopRequested()) {
        out.stopped = true;
        return;
    }
    Variant result;
    const auto hr = meter->ReadChannel(PlanSlot, &out.channels, &out.head, &result);
    out.read = succeeded(hr, result);
    if (!out.read) out.failure = job.lastFailure();
    out.stopped = !out.read && job.stopRequested();
}

// The window's part of a read, once the worker is done.
void StoreReadPlan(Form2& form, const ReadOutcome& read) {
    if (read.stopped) {
        tell(ownText(OwnText::TransferStopped), MessageStyle::Information);
        form.OperationResult = ResultNo;
        return;
    }
    if (!read.read) {
        messageSink().show(PlanSlotLetter + Text(TextId::ReadFailed), Text(TextId::ReadFailed),
                           MessageStyle::Information, meterFailureDetail(read.failure));
        form.OperationResult = ResultNo;
        return;
    }
    const std::vector<PlanRow> rows = receivedRows(read.channels);
    // The editor holds no more channels than Insert, Paste and Open allow.
    if (rows.size() > static_cast<std::size_t>(MaxPlanRows)) {
        tell(ownText(OwnText::ReceivedPlanTooLarge).arg(rows.size()), MessageStyle::Exclamation);
        form.OperationResult = ResultNo;
        return;
    }
    try {
        // The plan is stored before the header is shown, so that a plan the
        // database refuses leaves table and header as they were.
        form.store().replaceAll(rows);
    } catch (const StoreError& e) {
        tell(storeFailureMessage(
                 ownText(OwnText::CommandNotDone).arg(Text(TextId::Upload).trimmed()), e),
             MessageStyle::Exclamation);
        form.OperationResult = ResultNo;
        return;
    }
    // Whatever the grid still held belonged to the table just replaced.
    form.Fregtable()->discardPendingEdits();
    showHeader(form, read.head);
    form.OperationResult = ResultYes;
    form.Fregtable()->setCaption(Text(TextId::GridCaption));
    form.RefreshDataGrid(CommandText, SelectByFreq);
}

// What a send takes to the worker and brings back.
struct SendOutcome {
    SafeArray<Channellist> channels;
    std::optional<ChannelHead> head;
    bool opened = false;
    bool sent = false;
    bool stopped = false;
    sondrel::Failure failure;
};

void SendPlanToMeter(sondrel::_KorvaneConnection* meter, MeterJobContext& job, SendOutcome& send) {
    send.opened = openDeviceConnection(meter);
    if (!send.opened) send.failure = job.lastFailure();
    if (!send.opened || send.channels.empty() || !send.head) return;
    if (job.stopRequested()) {
        send.stopped = true;
        return;
    }
    Variant plan = Variant::channels(std::move(send.channels));
    Variant result;
    const auto hr = meter->CarryChannel(&plan, PlanSlot, &*send.head, &result);
    pauseAfterSend();
    if (!succeeded(hr, result)) {
        send.failure = job.lastFailure();
        send.stopped = job.stopRequested();
        return;
    }
    // Once the whole plan is in the meter, the reset that makes it take the plan goes too.
    send.sent = resetMeter(meter);
    if (!send.sent) send.failure = job.lastFailure();
}

// A row the meter could not take: its Type and Audio1 have no type code.
std::optional<QString> rowWithoutTypeCode(const PlanStore& store) {
    const std::vector<PlanRow> rows = store.rows(OrderByFreq);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PlanRow& row = rows[i];
        if (sondrel::analogTypeCode(row.type.toStdString(), static_cast<float>(row.audio1)) == 0)
            return ownText(OwnText::NoTypeCode)
                .arg(row.id)
                .arg(row.name.trimmed(), row.type, QString::number(row.audio1));
    }
    return std::nullopt;
}

} // namespace

bool openDeviceConnection(sondrel::_KorvaneConnection* meter) {
    if (!meter) return false;
    followMeterLineSpeed(*meter);
    Variant result;
    return succeeded(meter->OpenDeviceConnection(&result), result);
}

// The bar starts low; the job's step counts move it from then on.
void startProgress(Form2& form) {
    QProgressBar* bar = form.ProgressBar1();
    bar->setRange(ProgressMinimum, ProgressMaximum);
    bar->show();
    bar->setValue(ProgressStart);
}

void endProgress(Form2& form) {
    form.ProgressBar1()->setValue(form.ProgressBar1()->maximum());
    form.ProgressBar1()->hide();
}

void uploadPlan(Form2& form) {
    startProgress(form);
    auto read = std::make_shared<ReadOutcome>();
    form.runMeterJob([read](sondrel::_KorvaneConnection* meter,
                            MeterJobContext& job) { ReadPlanFromMeter(meter, job, *read); },
                     [&form, read] {
                         // The bar goes before any message: the read is over.
                         endProgress(form);
                         if (!read->opened) {
                             ask(TextId::ConnectionFailed, MessageStyle::Exclamation,
                                 meterFailureDetail(read->failure));
                             return;
                         }
                         StoreReadPlan(form, *read);
                         if (form.OperationResult == ResultYes) enableAfterTransfer(form);
                     },
                     TransferKind::Cancellable);
}

void downloadPlan(Form2& form) {
    if (const auto refused = rowWithoutTypeCode(form.store())) {
        tell(*refused, MessageStyle::Exclamation);
        return;
    }
    auto send = std::make_shared<SendOutcome>();
    form.RefreshDataGrid(CommandText, SelectByFreq);
    send->channels = BuildChannelArray(form.store());
    send->head = headerFromControls(form);
    const bool emptyPlan = send->channels.empty();
    startProgress(form);
    form.runMeterJob([send](sondrel::_KorvaneConnection* meter,
                            MeterJobContext& job) { SendPlanToMeter(meter, job, *send); },
                     [&form, send, emptyPlan] {
                         if (!send->opened) {
                             endProgress(form);
                             ask(TextId::ConnectionFailed, MessageStyle::Exclamation,
                                 meterFailureDetail(send->failure));
                             return;
                         }
                         for (int b = UploadButton; b <= OrderButton; ++b)
                             form.setButtonEnabled(b, false);
                         if (emptyPlan) ask(TextId::LoadPlanFirst, MessageStyle::Exclamation);
                         endProgress(form);
                         enableAfterTransfer(form);
                         if (send->stopped)
                             tell(ownText(OwnText::DownloadStopped), MessageStyle::Information);
                         else if (send->sent)
                             ask(TextId::TransferSucceeded, MessageStyle::Information);
                         else
                             ask(TextId::TransferFailed, MessageStyle::Information,
                                 meterFailureDetail(send->failure));
                     },
                     TransferKind::Cancellable);
}

void sendPlanHeader(Form2& form) {
    const bool complete = std::all_of(FavouriteElements.begin(), FavouriteElements.end(),
                                      [&](int e) { return !form.Text1(e)->text().isEmpty(); });
    if (!complete || form.Text1(SpanElement)->text().isEmpty() ||
        form.Combo5()->currentText().isEmpty()) {
        ask(TextId::SetHeaderFirst, MessageStyle::Exclamation);
        return;
    }
    struct HeaderOutcome {
        std::optional<ChannelHead> head;
        bool opened = false;
        bool sent = false;
        sondrel::Failure failure;
    };
    auto send = std::make_shared<HeaderOutcome>();
    send->head = headerFromControls(form);
    form.runMeterJob(
        [send](sondrel::_KorvaneConnection* meter, MeterJobContext& job) {
            send->opened = openDeviceConnection(meter);
            if (!send->opened) send->failure = job.lastFailure();
            // A value the header cannot carry: nothing is sent.
            if (!send->opened || !send->head) return;
            Variant result;
            const auto hr = meter->CarryChannelHead(&*send->head, &result);
            // The send's result says only that the packet went out: whether the
            // meter answered it the library tells as the call's failure.
            send->failure = job.lastFailure();
            pauseAfterSend();
            if (!succeeded(hr, result) || send->failure.kind != sondrel::FailureKind::None) return;
            // A meter that hung up does not take the reset either.
            send->sent = resetMeter(meter);
            if (!send->sent) send->failure = job.lastFailure();
        },
        [send] {
            if (!send->opened)
                ask(TextId::ConnectionFailed, MessageStyle::Exclamation,
                    meterFailureDetail(send->failure));
            else if (send->sent)
                ask(TextId::HeaderSent, MessageStyle::Information);
            else
                ask(TextId::TransferFailed, MessageStyle::Exclamation,
                    meterFailureDetail(send->failure));
        },
        TransferKind::Single);
}

std::optional<ChannelHead> headerFromControls(const Form2& form) {
    std::uint8_t favourites[FavouriteElements.size()];
    for (std::size_t i = 0; i < FavouriteElements.size(); ++i) {
        const double value =
            sondrel::roundHalfEven(leadingNumber(form.Text1(FavouriteElements[i])->text()));
        if (value < 0 || value > 255) return std::nullopt;
        favourites[i] = static_cast<std::uint8_t>(value);
    }
    const double span = sondrel::roundHalfEven(leadingNumber(form.Text1(SpanElement)->text()));
    if (span < std::numeric_limits<std::int16_t>::min() ||
        span > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    ChannelHead head;
    head.Fav1 = favourites[0];
    head.Fav2 = favourites[1];
    head.Fav3 = favourites[2];
    head.Fav4 = favourites[3];
    head.Fav5 = favourites[4];
    head.Fav6 = favourites[5];
    head.Span = static_cast<std::int16_t>(span);
    head.Un = form.Combo5()->currentText() == UnitDbmv ? UnDbmv : UnDbuv;
    return head;
}

void showHeader(Form2& form, const ChannelHead& head) {
    const std::uint8_t favourites[] = {head.Fav1, head.Fav2, head.Fav3,
                                       head.Fav4, head.Fav5, head.Fav6};
    for (std::size_t i = 0; i < FavouriteElements.size(); ++i)
        form.Text1(FavouriteElements[i])->setText(QString::number(favourites[i]));
    form.Text1(SpanElement)->setText(QString::number(head.Span));
    form.SpanValue = head.Span;
    // A unit the editor does not know clears the box rather than leaving the
    // previous unit in it for the next Download.
    form.Combo5()->setCurrentText(head.Un == UnDbuv ? UnitDbuv : head.Un == UnDbmv ? UnitDbmv : "");
}

SafeArray<Channellist> BuildChannelArray(const PlanStore& store) {
    const std::vector<PlanRow> rows = store.rows(OrderByFreq);
    SafeArray<Channellist> channels;
    channels.redim(1, static_cast<std::int32_t>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        Channellist& c = channels.items[i];
        c.Serial = static_cast<std::uint8_t>(i + 1);
        c.Type = rows[i].type.toStdString();
        c.freq = static_cast<float>(rows[i].freq);
        c.Audio1 = static_cast<float>(rows[i].audio1);
        c.ChannelName = rows[i].name.toStdString();
    }
    return channels;
}

std::vector<PlanRow> receivedRows(const SafeArray<Channellist>& channels) {
    std::vector<PlanRow> rows;
    for (std::int32_t i = channels.lowerBound; i <= channels.upperBound(); ++i) {
        const Channellist& c = channels.at(i);
        if (c.freq == 0) break; // the list ends at the first empty entry
        rows.push_back(PlanRow{i, QString::fromStdString(c.ChannelName),
                               QString::fromStdString(c.Type), decimalValueOf(c.freq),
                               decimalValueOf(c.Audio1)});
    }
    return rows;
}

} // namespace plandex
