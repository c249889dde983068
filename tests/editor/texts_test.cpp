// The editor's texts in both languages: each text exists in both, the two
// carry the same placeholders, and every caption fits its control at the
// default font, Chinese glyphs included.
#include "Form1.h"
#include "cell_editing_fixture.h"
#include "own_texts.h"
#include "texts.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>

#include <set>
#include <stdexcept>

namespace plandex::testing {
namespace {

constexpr int TableTexts = 72;

// How many own texts there are: the first id past the end has no entry.
int ownTextCount() {
    int count = 0;
    for (;; ++count) {
        try {
            ownText(static_cast<OwnText>(count));
        } catch (const std::out_of_range&) {
            return count;
        }
    }
}

// A text in one language: the string table's when `id` > 0, else own text -id-1.
QString textIn(std::int16_t language, int id) {
    LanguageOffset = language;
    const QString text = id > 0 ? Text(id) : ownText(static_cast<OwnText>(-id - 1));
    LanguageOffset = EnglishOffset;
    return text;
}

std::vector<int> everyTextId() {
    std::vector<int> ids;
    for (int n = 1; n <= TableTexts; ++n)
        ids.push_back(n);
    const int ownTexts = ownTextCount();
    EXPECT_GT(ownTexts, static_cast<int>(OwnText::SurveyHistoryFailed));
    for (int n = 0; n < ownTexts; ++n)
        ids.push_back(-n - 1);
    return ids;
}

std::multiset<QString> placeholders(const QString& text) {
    static const QRegularExpression placeholder(QStringLiteral("%[0-9]{1,2}"));
    std::multiset<QString> found;
    for (const auto& match : placeholder.globalMatch(text))
        found.insert(match.captured());
    return found;
}

class TextsTest : public ::testing::Test {
  protected:
    void TearDown() override { LanguageOffset = EnglishOffset; }
};

TEST_F(TextsTest, EveryTextHasBothLanguagesWithTheSamePlaceholders) {
    for (int key = -10; key < 700; ++key) {
        const bool inTable = (key >= 1 && key <= TableTexts) ||
                             (key > EnglishOffset && key <= EnglishOffset + TableTexts);
        EXPECT_EQ(stringTableEntry(key) != nullptr, inTable) << key;
    }
    for (int id : everyTextId()) {
        const QString chinese = textIn(ChineseOffset, id), english = textIn(EnglishOffset, id);
        const std::string name = (id > 0 ? "text " : "own text ") + std::to_string(std::abs(id));
        EXPECT_FALSE(chinese.trimmed().isEmpty()) << name;
        EXPECT_FALSE(english.trimmed().isEmpty()) << name;
        EXPECT_EQ(placeholders(chinese), placeholders(english)) << name;
        // English texts are plain ASCII: a Chinese text in the English half
        // would show on systems that are not Chinese.
        for (const QChar c : english)
            EXPECT_LT(c.unicode(), 0x80) << name << ": " << english.toStdString();
    }
    EXPECT_EQ(textIn(ChineseOffset, TextId::Upload), QString::fromUtf8("上传 "))
        << "the offset chooses the Chinese half";
    EXPECT_THROW(Text(TableTexts + 1), std::out_of_range);
    EXPECT_THROW(Text(0), std::out_of_range);
}

TEST_F(TextsTest, OnlyChineseOfThePrcGivesChineseTexts) {
    EXPECT_EQ(languageOffsetFor(2052), ChineseOffset);
    for (std::uint16_t other : {1033, 1028, 3076, 2057, 1031, 0})
        EXPECT_EQ(languageOffsetFor(other), EnglishOffset) << other;
}

// Captions that do not fit the control they sit on, as "class 'text' needs
// N px, has M"; `measured` counts the captions looked at.
QStringList cutCaptions(QWidget& window, int& measured) {
    window.show();
    QApplication::processEvents();
    QStringList cut;
    const auto check = [&](QWidget* control, const QString& text, int needs, int has) {
        if (text.trimmed().isEmpty() || !control->isVisible()) return;
        ++measured;
        if (needs > has)
            cut << QStringLiteral("%1 '%2' needs %3 px, has %4")
                       .arg(QString::fromLatin1(control->metaObject()->className()), text)
                       .arg(needs)
                       .arg(has);
    };
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->wordWrap())
            check(label, label->text(), label->heightForWidth(label->width()), label->height());
        else
            check(label, label->text(), label->sizeHint().width(), label->width());
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
        check(button, button->text(), button->sizeHint().width(), button->width());
    for (QGroupBox* box : window.findChildren<QGroupBox*>())
        check(box, box->title(),
              box->fontMetrics().horizontalAdvance(box->title()) + box->fontMetrics().height(),
              box->width());
    window.hide();
    return cut;
}

class CaptionWidthTest : public EditorWindowTest {};

TEST_F(CaptionWidthTest, EveryCaptionFitsItsControlInBothLanguages) {
    ASSERT_FALSE(QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty())
        << "no Chinese font installed: the Chinese captions cannot be measured";
    for (const std::int16_t language : {EnglishOffset, ChineseOffset}) {
        LanguageOffset = language;
        form->ApplyCaptions();
        int measured = 0;
        EXPECT_EQ(cutCaptions(*form, measured), QStringList())
            << "main window, " << (language == ChineseOffset ? "Chinese" : "English");
        Form1 start{PlanStore(form->store())};
        LanguageOffset = language; // the start window chose one from the system's
        start.ApplyCaptions();
        EXPECT_EQ(cutCaptions(start, measured), QStringList())
            << "start window, " << (language == ChineseOffset ? "Chinese" : "English");
        EXPECT_GE(measured, 20) << "the windows' captions were not found";
    }
    LanguageOffset = EnglishOffset;
}

} // namespace
} // namespace plandex::testing
