#include "Form1.h"

#include "Form2.h"
#include "messages.h"
#include "meter_connection.h"
#include "own_texts.h"
#include "texts.h"
#include "twips.h"

#include "platform/port_registry.h"
#include "platform/system_language.h"
#include "reply_check.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace plandex {
namespace {

// The window manager's frame carries the title and the close button.
constexpr double WindowWidth = 5070, WindowHeight = 2685;
constexpr double LanguageRowTop = 240;
// The port box reaches at most to the buttons' column.
constexpr double PortBoxLeft = 1200, PortBoxMaxWidth = 1900;
const char* const BaudRates[] = {"4800",  "9600",   "14400",  "19200", "38400",
                                 "56000", "115200", "128000", "256000"};

QLabel* fixedLabel(QWidget* parent, const QString& text, double left, double top) {
    auto* label = new QLabel(text, parent);
    moveToTwips(label, left, top);
    return label;
}

} // namespace

std::int16_t portNumberOfText(const QString& text) {
    int value = 0;
    qsizetype i = 3;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > 32767) return 0; // no port has such a number
    }
    return static_cast<std::int16_t>(value);
}

Form1::Form1(PlanStore store, QWidget* parent) : QWidget(parent), store_(std::move(store)) {
    setObjectName("Form1");
    buildControls();
    Form_Load();
}

void Form1::buildControls() {
    setFixedSize(twipsToPixels(WindowWidth), twipsToPixels(WindowHeight));

    // The language row keeps clear of the window's top edge.
    option1_ = new QRadioButton(this);
    option1_->setObjectName("Option1");
    setTwipsGeometry(option1_, 1200, LanguageRowTop, 255, 255);
    label4_ = fixedLabel(this, QString::fromUtf8("中文"), 1560, LanguageRowTop);
    option2_ = new QRadioButton(this);
    option2_->setObjectName("Option2");
    setTwipsGeometry(option2_, 3000, LanguageRowTop, 255, 255);
    label5_ = fixedLabel(this, QStringLiteral("English"), 3360, LanguageRowTop);

    label2_ = new QLabel(this);
    label2_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTwipsGeometry(label2_, 480, 1110, 720, 315);
    combo1_ = new QComboBox(this);
    combo1_->setObjectName("Combo1");
    combo1_->setEditable(true);
    setTwipsGeometry(combo1_, 1200, 1110, 975, 315);

    label1_ = new QLabel(this);
    label1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTwipsGeometry(label1_, 480, 1590, 720, 315);
    combo2_ = new QComboBox(this);
    combo2_->setObjectName("Combo2");
    combo2_->setEditable(true);
    setTwipsGeometry(combo2_, 1200, 1590, 975, 315);

    command1_ = new QPushButton(this);
    command1_->setObjectName("Command1");
    command1_->setDefault(true);
    setTwipsGeometry(command1_, 3240, 1110, 1215, 375);
    command2_ = new QPushButton(this);
    command2_->setObjectName("Command2");
    setTwipsGeometry(command2_, 3240, 1590, 1215, 375);

    connect(command1_, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(command2_, &QPushButton::clicked, this, &Form1::Command2_Click);
    // Neither option changes the language, which the system decides; both re-apply the captions.
    connect(option1_, &QRadioButton::clicked, this, &Form1::ApplyCaptions);
    connect(option2_, &QRadioButton::clicked, this, &Form1::ApplyCaptions);
}

void Form1::Form_Load() {
    LanguageOffset = languageOffsetFor(sondrel::systemDefaultLanguageId());
    ApplyCaptions();
    if (const auto failure = loadMeterLibrary())
        tell(ownText(OwnText::LibraryUnavailable).arg(*failure), MessageStyle::Exclamation);
    GetCOM();
    InitPortDialog();
}

void Form1::ApplyCaptions() {
    setToolTip(diagnosticsText());
    command1_->setText(Text(TextId::Ok));
    command2_->setText(Text(TextId::Cancel));
    label1_->setText(Text(TextId::RateCaption));
    label2_->setText(Text(TextId::PortCaption));
    setWindowTitle(Text(TextId::ProgramTitle) + VersionSuffix);
}

void Form1::GetCOM() {
    int widest = 0;
    for (const sondrel::PortEntry& port : sondrel::PortRegistry().list()) {
        const QString name =
            QStringLiteral("COM%1 (%2)").arg(port.number).arg(QString::fromStdString(port.device));
        combo1_->addItem(name);
        // The port listed last stays preselected, in the box and in its list.
        combo1_->setCurrentIndex(combo1_->count() - 1);
        widest = std::max(widest, combo1_->fontMetrics().horizontalAdvance(name));
    }
    // The box is narrow: it shows the start of the name, "COMn", and its list
    // opens wide enough for the device names.
    if (combo1_->lineEdit()) combo1_->lineEdit()->setCursorPosition(0);
    combo1_->view()->setMinimumWidth(widest + twipsToPixels(600));
    fitPortBox();
}

void Form1::fitPortBox() {
    // Wide enough for "COM16" and its drop-down button in the font in use.
    combo1_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo1_->setMinimumContentsLength(QStringLiteral("COM256").size());
    const int wanted = std::max(combo1_->minimumSizeHint().width(), twipsToPixels(975));
    combo1_->setFixedWidth(std::min(wanted, twipsToPixels(PortBoxMaxWidth)));
    combo1_->move(twipsToPixels(PortBoxLeft), combo1_->y());
}

void Form1::InitPortDialog() {
    centreOnScreen(this);
    // The option shown selected is the language in use.
    (LanguageOffset == ChineseOffset ? option1_ : option2_)->setChecked(true);
    ApplyCaptions();
    for (const char* rate : BaudRates)
        combo2_->addItem(QString::fromLatin1(rate));
    combo2_->setCurrentText(QStringLiteral("9600"));
}

QString diagnosticsText() {
    const auto library = meterLibrary();
    return ownText(OwnText::Diagnostics)
        .arg(library ? QString::fromStdString(library->path()) : ownText(OwnText::NoLibrary),
             QString::fromLatin1(sondrel::replyCheckDescription(sondrel::replyCheckMode())));
}

void Form1::Command1_Click() {
    // The chosen rate is not used: the library keeps the meter's own line settings.
    chooseMeterPort(portNumberOfText(combo1_->currentText()));
    showMainWindow(store_);
    close();
}

void Form1::Command2_Click() {
    close();
}

} // namespace plandex
