#include "validation.h"

#include "Form2.h"
#include "grid.h"
#include "messages.h"
#include "own_texts.h"
#include "plan_file_encoding.h"
#include "texts.h"
#include "toolbar.h"
#include "validation_numbers.h"
#include "validation_rules.h"

#include <QLineEdit>

#include <algorithm>

namespace plandex {
namespace {

sondrel::Channellist channelOf(const PlanRow& row) {
    sondrel::Channellist channel;
    channel.ChannelNumber = row.id;
    channel.ChannelName = row.name.toStdString();
    channel.Type = row.type.toStdString();
    channel.freq = static_cast<float>(row.freq);
    channel.Audio1 = static_cast<float>(row.audio1);
    return channel;
}

void warn(int textId) {
    ask(textId, MessageStyle::Exclamation);
}

} // namespace

ChannelEntryChecks::ChannelEntryChecks(Form2& form) : QObject(&form), form_(form) {
    setObjectName("ChannelEntryChecks");
    for (int element = 0; element < static_cast<int>(HeaderTexts().size()); ++element)
        connect(form.Text1(element), &QLineEdit::textChanged, this,
                [this, element] { ValidateHeaderFields(element); });
}

sondrel::Channellist ChannelEntryChecks::workingRow() const {
    const Grid& grid = *form_.Fregtable();
    PlanRow row;
    for (int column = 0; column < GridColumnCount; ++column)
        assignColumn(row, column, grid.columnValue(column));
    return channelOf(row);
}

void ChannelEntryChecks::SnapshotStoredRows() {
    rowBeforeEdit_ = workingRow();
    storedRows_.clear();
    try {
        for (const PlanRow& row : form_.store().rows(OrderById))
            storedRows_.push_back(channelOf(row));
    } catch (const StoreError&) {
        // Unreported: a failed check then puts back the value from before the edit.
    }
}

const sondrel::Channellist&
ChannelEntryChecks::restoreSource(const sondrel::Channellist& row) const {
    const auto stored =
        std::find_if(storedRows_.begin(), storedRows_.end(), [&](const sondrel::Channellist& s) {
            return s.ChannelNumber == row.ChannelNumber;
        });
    return stored != storedRows_.end() ? *stored : rowBeforeEdit_;
}

void ChannelEntryChecks::ValidateCellEdit(int column) {
    Grid& grid = *form_.Fregtable();
    if (grid.currentBookmark() < 1) return;
    const sondrel::Channellist row = workingRow();
    if (column == ColumnName) {
        const QString name = grid.columnText(ColumnName);
        grid.setColumnText(ColumnName, name);
        const auto failed = checkStdCh(name, ansiCodePageFor(LanguageOffset));
        if (failed) warn(*failed);
        if (!failed && !planFilesCanCarry(name))
            tell(ownText(OwnText::RefusedNameCharacter), MessageStyle::Exclamation);
        if (failed || !planFilesCanCarry(name))
            grid.setColumnText(ColumnName, QString::fromStdString(restoreSource(row).ChannelName));
    } else if (column == ColumnType) {
        if (!isValidType(grid.columnText(ColumnType))) warn(CheckText::BadType);
    } else if (column == ColumnFreq) {
        if (const auto failed = checkFrequency(row.freq, row.Audio1)) {
            warn(*failed);
            grid.setColumnText(ColumnFreq, plainDecimal(restoreSource(row).freq, 7));
        }
    }
}

void ChannelEntryChecks::ValidateRowBeforeWrite(bool& cancel) {
    if (!isValidType(form_.Fregtable()->columnText(ColumnType))) {
        warn(CheckText::BadType);
        cancel = true;
        return;
    }
    form_.setButtonEnabled(SaveButton, true);
}

void ChannelEntryChecks::ValidateHeaderFields(int changed) {
    HeaderTexts texts;
    for (int element = 0; element < static_cast<int>(texts.size()); ++element)
        texts[element] = form_.Text1(element)->text();
    const auto failure = checkHeaderFields(texts, changed);
    if (!failure) return;
    if (failure->messageId) warn(*failure->messageId);
    // Clearing is a change of its own: it runs these checks again for the next field.
    form_.Text1(failure->field)->clear();
}

} // namespace plandex
