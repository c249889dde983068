#include "plan_files.h"

#include "Form2.h"
#include "grid.h"
#include "messages.h"
#include "own_texts.h"
#include "plan_file_encoding.h"
#include "plan_file_io.h"
#include "texts.h"
#include "validation_numbers.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace plandex {
namespace {

class DialogChooser final : public PlanFileChooser {
  public:
    QString fileToOpen() override {
        return run(QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
    }
    QString fileToSave() override { return run(QFileDialog::AcceptSave, QFileDialog::AnyFile); }

  private:
    static QString run(QFileDialog::AcceptMode mode, QFileDialog::FileMode fileMode) {
        QFileDialog dialog(QApplication::activeWindow());
        PrepareFileDialog(dialog);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(fileMode);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().front();
    }
};

DialogChooser dialogChooser;
PlanFileChooser* currentChooser = &dialogChooser;

const QString spanLabel = QStringLiteral("*Span");

std::vector<PlanFileFooterLine> footerOf(const Form2& form) {
    std::vector<PlanFileFooterLine> footer;
    for (std::size_t i = 0; i < FavouriteElements.size(); ++i)
        footer.push_back({form.Label3(FavouriteLabelElements[i])->text() + u'*',
                          form.Text1(FavouriteElements[i])->text()});
    footer.push_back({form.Label3(UnitLabelElement)->text() + u'*', form.Combo5()->currentText()});
    footer.push_back({spanLabel, shortestDecimal(leadingNumber(form.Text1(SpanElement)->text()))});
    return footer;
}

// The first field of the file the code page cannot write, named as the user
// sees it: the grid's caption, a row's STD CH or Type, or a header field.
std::optional<QString> unwritableField(const QString& caption, const std::vector<PlanRow>& rows,
                                       const std::vector<PlanFileFooterLine>& footer,
                                       const sondrel::CodePage& codePage) {
    const auto writable = [&](const QString& text) {
        return encodeAnsi(text, codePage).has_value();
    };
    if (!writable(caption)) return QStringLiteral("\"%1\"").arg(caption);
    for (const PlanRow& row : rows) {
        if (!writable(row.name))
            return QStringLiteral("%1 %2 (%3)")
                .arg(Text(TextId::ColumnId).trimmed())
                .arg(row.id)
                .arg(Text(TextId::ColumnStdCh).trimmed());
        if (!writable(row.type))
            return QStringLiteral("%1 %2 (%3)")
                .arg(Text(TextId::ColumnId).trimmed())
                .arg(row.id)
                .arg(Text(TextId::ColumnType).trimmed());
    }
    for (const PlanFileFooterLine& line : footer)
        if (!writable(line.label) || !writable(line.value))
            return QStringLiteral("\"%1\"").arg(line.label.chopped(1).trimmed());
    return std::nullopt;
}

bool savePlan(Form2& form) {
    const std::vector<PlanRow> rows = form.store().rows(QString());
    if (rows.empty()) {
        ask(TextId::LoadPlanFirst, MessageStyle::Exclamation);
        return false;
    }
    const QString path = planFileChooser().fileToSave();
    if (path.isEmpty()) return false;
    const auto codePage = ansiCodePageFor(LanguageOffset);
    const auto footer = footerOf(form);
    const QString caption = form.Fregtable()->caption();
    const auto bytes = encodeAnsi(formatPlanText(caption, rows, footer), codePage);
    if (!bytes) {
        const auto field = unwritableField(caption, rows, footer, codePage);
        tell(ownText(OwnText::UnwritableField).arg(field.value_or(path)),
             MessageStyle::Exclamation);
        return false;
    }
    QString reason;
    if (!writeFileAtomically(path, *bytes, &reason)) {
        tell(ownText(OwnText::FileNotWritten).arg(path, reason), MessageStyle::Exclamation);
        return false;
    }
    return true;
}

// The file's rows in ID order (rows with equal IDs keep their file order),
// numbered 1..n.
std::vector<PlanRow> renumberedById(std::vector<PlanRow> rows) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const PlanRow& a, const PlanRow& b) { return a.id < b.id; });
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = static_cast<int>(i + 1);
    return rows;
}

void fillHeaderFields(Form2& form, const QStringList& values) {
    const auto value = [&](qsizetype number) {
        return number <= values.size() ? values[number - 1] : QString();
    };
    for (std::size_t i = 0; i < FavouriteElements.size(); ++i)
        form.Text1(FavouriteElements[i])->setText(value(static_cast<qsizetype>(i) + 1));
    form.Combo5()->setCurrentText(value(7));
    form.SpanValue = static_cast<float>(leadingNumber(value(8)));
    form.Text1(SpanElement)->setText(plainDecimal(form.SpanValue, 7));
}

bool openPlan(Form2& form) {
    const QString path = planFileChooser().fileToOpen();
    if (path.isEmpty()) return false;
    const auto content = readPlanFile(path, ansiCodePageFor(LanguageOffset));
    if (!content) {
        ask(TextId::NotAPlanFile, MessageStyle::Exclamation);
        return false;
    }
    if (content->rows.size() > static_cast<std::size_t>(MaxPlanRows)) {
        tell(ownText(OwnText::TooManyChannels).arg(content->rows.size()),
             MessageStyle::Exclamation);
        return false;
    }
    // A changed row the grid still holds must not be written into the new plan.
    form.Fregtable()->commitPendingEdits();
    PlanStore(form.store()).replaceAll(renumberedById(content->rows));
    form.Fregtable()->setCaption(content->title);
    // The grid shows the new rows before anything else can run: the header
    // checks below may show messages.
    form.RefreshDataGrid(CommandText, SelectById);
    fillHeaderFields(form, content->footerValues);
    return true;
}

void runFileOperation(Form2& form, bool (*operation)(Form2&)) {
    bool done = false;
    try {
        done = operation(form);
    } catch (const std::exception&) {
        done = false;
    }
    form.OperationResult = done ? ResultYes : ResultNo;
}

} // namespace

PlanFileChooser& planFileChooser() {
    return *currentChooser;
}

PlanFileChooser* installPlanFileChooser(PlanFileChooser* chooser) {
    PlanFileChooser* previous = currentChooser;
    currentChooser = chooser ? chooser : &dialogChooser;
    return previous;
}

void PrepareFileDialog(QFileDialog& dialog) {
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilters({QStringLiteral("(*.txt)"), QStringLiteral("All Files (*)")});
    dialog.setDirectory(QApplication::applicationDirPath());
}

void SavePlanFile(Form2& form) {
    runFileOperation(form, savePlan);
}

void OpenPlanFile(Form2& form) {
    runFileOperation(form, openPlan);
}

} // namespace plandex
