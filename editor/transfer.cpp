#include "transfer.h"

#include "Form2.h"
#include "grid.h"
#include "messages.h"
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

// Replaces the table by the received rows in one transaction. Throws
// StoreError with the table as it was.
void StoreReceivedPlan(Form2& form, const SafeArray<Channellist>& channels) {
    form.store().replaceAll(receivedRows(channels));
}

// What the worker's part of a read brings back to the window.
struct ReadOutcome {
    bool opened = false;
    bool read = false;
    bool stopped = false;
    SafeArray<Channellist> channels;
    ChannelHead head;
};

void ReadPlanFromMeter(sondrel::_KorvaneConnection* meter, MeterJobContext& job, ReadOutcome& out) {
    out.opened = openDeviceConnection(meter);
    if (!out.opened) return;
    if (job.stopRequested()) {
        out.stopped = true;
        return;
    }
    Variant result;
    const auto hr = meter->ReadChannel(PlanSlot, &out.channels, &out.head, &result);
    out.read = succeeded(hr, result);
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
                           MessageStyle::Information);
        form.OperationResult = ResultNo;
        return;
    }
    try {
        // The plan is stored before the header is shown, so that a plan the
        // database refuses leaves table and header as they were.
        StoreReceivedPlan(form, read.channels);
    } catch (const StoreError& e) {
        tell(QString::fromStdString(e.what()), MessageStyle::Exclamation);
        form.OperationResult = ResultNo;
        return;
    }
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
};

void SendPlanToMeter(sondrel::_KorvaneConnection* meter, MeterJobContext& job, SendOutcome& send) {
    send.opened = openDeviceConnection(meter);
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
        send.stopped = job.stopRequested();
        return;
    }
    // Once the whole plan is in the meter, the reset that makes it take the plan goes too.
    send.sent = resetMeter(meter);
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
                         if (!read->opened) {
                             endProgress(form);
                             ask(TextId::ConnectionFailed, MessageStyle::Exclamation);
                             return;
                         }
                         StoreReadPlan(form, *read);
                         if (form.OperationResult == ResultYes) enableAfterTransfer(form);
                         endProgress(form);
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
                             ask(TextId::ConnectionFailed, MessageStyle::Exclamation);
                             return;
                         }
                         for (int b = UploadButton; b <= OrderButton; ++b)
                             form.setButtonEnabled(b, false);
                         if (emptyPlan) ask(TextId::LoadPlanFirst, MessageStyle::Exclamation);
                         endProgress(form);
                         enableAfterTransfer(form);
                         if (send->stopped)
                             tell(ownText(OwnText::DownloadStopped), MessageStyle::Information);
                         else
                             ask(send->sent ? TextId::TransferSucceeded : TextId::TransferFailed,
                                 MessageStyle::Information);
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
    };
    auto send = std::make_shared<HeaderOutcome>();
    send->head = headerFromControls(form);
    form.runMeterJob(
        [send](sondrel::_KorvaneConnection* meter, MeterJobContext&) {
            send->opened = openDeviceConnection(meter);
            // A value the header cannot carry: nothing is sent.
            if (!send->opened || !send->head) return;
            Variant result;
            const auto hr = meter->CarryChannelHead(&*send->head, &result);
            pauseAfterSend();
            if (!succeeded(hr, result)) return;
            resetMeter(meter);
            send->sent = true;
        },
        [send] {
            if (!send->opened)
                ask(TextId::ConnectionFailed, MessageStyle::Exclamation);
            else if (send->sent)
                ask(TextId::HeaderSent, MessageStyle::Exclamation);
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
    if (head.Un == UnDbuv) form.Combo5()->setCurrentText(UnitDbuv);
    if (head.Un == UnDbmv) form.Combo5()->setCurrentText(UnitDbmv);
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
