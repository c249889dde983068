#include "transfer.h"

#include "Form2.h"
#include "grid.h"
#include "messages.h"
#include "meter_connection.h"
#include "texts.h"
#include "toolbar.h"
#include "validation_numbers.h"

#include "common/rounding.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>

#include <charconv>
#include <chrono>
#include <limits>
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

bool openDeviceConnection() {
    sondrel::_KorvaneConnection* meter = MeterConnection();
    if (!meter) return false;
    Variant result;
    return succeeded(meter->OpenDeviceConnection(&result), result);
}

bool resetMeter() {
    Variant result;
    return succeeded(MeterConnection()->Reset(&result), result);
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

void startProgress(Form2& form) {
    form.Timer1()->setInterval(ProgressTickMs);
    form.Timer1()->start();
    QProgressBar* bar = form.ProgressBar1();
    bar->setRange(ProgressMinimum, ProgressMaximum);
    bar->show();
    bar->setValue(ProgressStart);
}

void endProgress(Form2& form) {
    form.ProgressBar1()->setValue(form.ProgressBar1()->maximum());
    form.Timer1()->stop();
    form.ProgressBar1()->hide();
}

// After a transfer: Upload, Download, Open, Save, Insert and Order are available.
void enableAfterTransfer(Form2& form) {
    for (int b : {UploadButton, DownloadButton, OpenButton, SaveButton, InsertButton, OrderButton})
        form.setButtonEnabled(b, true);
}

// Replaces the table by the received rows in one transaction, letting the
// window repaint and the progress bar move before each row. Throws StoreError
// with the table as it was.
void StoreReceivedPlan(Form2& form, const SafeArray<Channellist>& channels) {
    form.store().replaceAll(receivedRows(channels), [] { QCoreApplication::processEvents(); });
}

bool ReadPlanFromMeter(Form2& form) {
    SafeArray<Channellist> channels;
    ChannelHead head;
    Variant result;
    const auto hr = MeterConnection()->ReadChannel(PlanSlot, &channels, &head, &result);
    if (!succeeded(hr, result)) {
        messageSink().show(PlanSlotLetter + Text(TextId::ReadFailed), Text(TextId::ReadFailed),
                           MessageStyle::Information);
        form.OperationResult = ResultNo;
        return false;
    }
    try {
        // The plan is stored before the header is shown, so that a plan the
        // database refuses leaves table and header as they were.
        StoreReceivedPlan(form, channels);
    } catch (const StoreError& e) {
        tell(QString::fromStdString(e.what()), MessageStyle::Exclamation);
        form.OperationResult = ResultNo;
        return false;
    }
    showHeader(form, head);
    form.OperationResult = ResultYes;
    form.Fregtable()->setCaption(Text(TextId::GridCaption));
    form.RefreshDataGrid(CommandText, SelectByFreq);
    return true;
}

bool SendPlanToMeter(Form2& form) {
    SafeArray<Channellist> channels = BuildChannelArray(form.store());
    if (channels.empty()) {
        ask(TextId::LoadPlanFirst, MessageStyle::Exclamation);
        return false;
    }
    auto head = headerFromControls(form);
    if (!head) return false;
    Variant plan = Variant::channels(std::move(channels));
    Variant result;
    const auto hr = MeterConnection()->CarryChannel(&plan, PlanSlot, &*head, &result);
    pauseAfterSend();
    return succeeded(hr, result) && resetMeter();
}

} // namespace

void uploadPlan(Form2& form) {
    startProgress(form);
    if (!openDeviceConnection()) {
        endProgress(form);
        ask(TextId::ConnectionFailed, MessageStyle::Exclamation);
        return;
    }
    ReadPlanFromMeter(form);
    if (form.OperationResult == ResultYes) enableAfterTransfer(form);
    endProgress(form);
}

void downloadPlan(Form2& form) {
    startProgress(form);
    if (!openDeviceConnection()) {
        endProgress(form);
        ask(TextId::ConnectionFailed, MessageStyle::Exclamation);
        return;
    }
    for (int b = UploadButton; b <= OrderButton; ++b)
        form.setButtonEnabled(b, false);
    bool sent = false;
    try {
        form.RefreshDataGrid(CommandText, SelectByFreq);
        sent = SendPlanToMeter(form);
    } catch (const StoreError&) {
        sent = false; // the plan could not be read: nothing was sent
    }
    form.ProgressBar1()->setValue(form.ProgressBar1()->maximum());
    form.ProgressBar1()->hide();
    enableAfterTransfer(form);
    ask(sent ? TextId::TransferSucceeded : TextId::TransferFailed, MessageStyle::Information);
    form.Timer1()->stop();
}

void sendPlanHeader(Form2& form) {
    const bool complete = std::all_of(FavouriteElements.begin(), FavouriteElements.end(),
                                      [&](int e) { return !form.Text1(e)->text().isEmpty(); });
    if (!complete || form.Text1(SpanElement)->text().isEmpty() ||
        form.Combo5()->currentText().isEmpty()) {
        ask(TextId::SetHeaderFirst, MessageStyle::Exclamation);
        return;
    }
    if (!openDeviceConnection()) {
        ask(TextId::ConnectionFailed, MessageStyle::Exclamation);
        return;
    }
    auto head = headerFromControls(form);
    if (!head) return; // a value the header cannot carry: nothing is sent
    Variant result;
    const auto hr = MeterConnection()->CarryChannelHead(&*head, &result);
    pauseAfterSend();
    if (!succeeded(hr, result)) return;
    resetMeter();
    ask(TextId::HeaderSent, MessageStyle::Exclamation);
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
