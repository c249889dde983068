// The start-up window: language, port list, OK, Cancel and close.
#include "Form1.h"
#include "Form2.h"
#include "cell_editing_fixture.h"
#include "delivered_database.h"
#include "meter_connection.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QToolButton>

namespace plandex::testing {
namespace {

// Sets an environment variable for the test's duration.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

class Form1Test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        // COM1, COM3 and COM4 in a private ports folder.
        ports = folder.filePath("ports");
        QDir().mkpath(ports);
        QFile::link("/dev/null", ports + "/COM1");
        QFile::link("/dev/zero", ports + "/COM3");
        QFile::link("/dev/full", ports + "/COM4");
        portsEnv = std::make_unique<ScopedEnv>("SONDREL_PORTS", ports.toLocal8Bit());
        databasePath = copyDeliveredDatabase(folder.path());
    }
    void TearDown() override { LanguageOffset = EnglishOffset; }

    std::unique_ptr<Form1> startWithLocale(const char* lang) {
        ScopedEnv all("LC_ALL", QByteArray());
        ScopedEnv messagesLocale("LC_MESSAGES", QByteArray());
        ScopedEnv language("LANG", lang);
        return std::make_unique<Form1>(PlanStore(databasePath));
    }
    static QStringList items(const QComboBox* box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    static Form2* mainWindow() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* form = qobject_cast<Form2*>(w); form && form->isVisible()) return form;
        return nullptr;
    }

    QTemporaryDir folder;
    QString ports;
    QString databasePath;
    std::unique_ptr<ScopedEnv> portsEnv;
    RecordingMessages messages;
};

TEST_F(Form1Test, ChineseSystemGetsChineseCaptions) {
    auto form = startWithLocale("zh_CN.UTF-8");
    EXPECT_EQ(LanguageOffset, ChineseOffset);
    EXPECT_EQ(form->Command1()->text(), QString::fromUtf8("确定"));
    EXPECT_EQ(form->Command2()->text(), QString::fromUtf8("返回"));
    EXPECT_EQ(form->Label2()->text(), QString::fromUtf8("串口号"));
    EXPECT_EQ(form->Label1()->text(), QString::fromUtf8("波特率"));
    EXPECT_EQ(form->windowTitle(), "Plandex V1.25");
}

TEST_F(Form1Test, EveryOtherSystemGetsEnglishCaptions) {
    for (const char* lang : {"en_US.UTF-8", "zh_TW.UTF-8", "de_DE.UTF-8", "C"}) {
        auto form = startWithLocale(lang);
        EXPECT_EQ(LanguageOffset, EnglishOffset) << lang;
        EXPECT_EQ(form->Command1()->text(), "OK") << lang;
        EXPECT_EQ(form->Label2()->text(), "COM") << lang;
        EXPECT_EQ(form->windowTitle(), "Plandex V1.25") << lang;
    }
}

TEST_F(Form1Test, LanguageOptionsDoNotChangeTheLanguage) {
    auto form = startWithLocale("en_US.UTF-8");
    EXPECT_TRUE(form->Option2()->isChecked());
    form->Option1()->click();
    EXPECT_EQ(form->Command1()->text(), "OK");
    EXPECT_EQ(LanguageOffset, EnglishOffset);
}

TEST_F(Form1Test, SelectedLanguageOptionIsTheLanguageInUse) {
    auto chinese = startWithLocale("zh_CN.UTF-8");
    EXPECT_TRUE(chinese->Option1()->isChecked());
    EXPECT_FALSE(chinese->Option2()->isChecked());
    auto english = startWithLocale("en_US.UTF-8");
    EXPECT_TRUE(english->Option2()->isChecked());
}

// The port box shows a two-digit port whole, and the language row keeps off
// the window's top edge, whatever the font.
TEST_F(Form1Test, ControlsFitTheirTexts) {
    QFile::link("/dev/null", ports + "/COM16");
    auto form = startWithLocale("en_US.UTF-8");
    form->show();
    QComboBox& box = *form->Combo1();
    QStyleOptionComboBox option;
    option.initFrom(&box);
    option.editable = true;
    const QRect field = box.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, &box);
    EXPECT_GE(field.width(), box.fontMetrics().horizontalAdvance("COM16"));
    EXPECT_LE(box.geometry().right(), form->Command1()->geometry().left());
    EXPECT_GE(form->Option1()->y(), 8);
    EXPECT_GE(form->Option2()->y(), 8);
}

TEST_F(Form1Test, TooltipNamesTheLibraryAndItsReplyCheck) {
    ScopedEnv mode("SONDREL_REPLY_CHECK", "checksum");
    auto form = startWithLocale("en_US.UTF-8");
    ASSERT_TRUE(meterLibrary());
    EXPECT_TRUE(form->toolTip().contains(QString::fromStdString(meterLibrary()->path())));
    EXPECT_TRUE(form->toolTip().contains("Reply check: replies checked by checksum only"));
}

TEST_F(Form1Test, PortsAppearInOrderAndTheLastIsPreselected) {
    auto form = startWithLocale("en_US.UTF-8");
    const QStringList listed = items(form->Combo1());
    const int com1 = listed.indexOf("COM1 (/dev/null)");
    const int com3 = listed.indexOf("COM3 (/dev/zero)");
    const int com4 = listed.indexOf("COM4 (/dev/full)");
    ASSERT_GE(com1, 0) << listed.join(", ").toStdString();
    EXPECT_LT(com1, com3);
    EXPECT_LT(com3, com4);
    // Devices the system offers may take free numbers (COM2, COM5, ...), in order too.
    for (int i = 1; i < listed.size(); ++i)
        EXPECT_LT(portNumberOfText(listed[i - 1]), portNumberOfText(listed[i]));
    EXPECT_EQ(form->Combo1()->currentText(), listed.last());
    EXPECT_EQ(form->Combo1()->currentIndex(), listed.size() - 1) << "and its list highlights it";
    EXPECT_EQ(items(form->Combo2()), QStringList({"4800", "9600", "14400", "19200", "38400",
                                                  "56000", "115200", "128000", "256000"}));
    EXPECT_EQ(form->Combo2()->currentText(), "9600");
}

TEST_F(Form1Test, PortNumberIsTheLeadingNumberFromTheFourthCharacter) {
    EXPECT_EQ(portNumberOfText("COM3"), 3);
    EXPECT_EQ(portNumberOfText("COM10"), 10);
    EXPECT_EQ(portNumberOfText("COM12 (/dev/ttyUSB0)"), 12);
    EXPECT_EQ(portNumberOfText("COM"), 0);
    EXPECT_EQ(portNumberOfText("CO"), 0);
    EXPECT_EQ(portNumberOfText("COMx3"), 0);
    EXPECT_EQ(portNumberOfText(""), 0);
    EXPECT_EQ(portNumberOfText("COM99999"), 0);
}

TEST_F(Form1Test, OkGivesTheConnectionThePortAndOpensTheMainWindow) {
    auto form = startWithLocale("en_US.UTF-8");
    EXPECT_TRUE(messages.shown.empty()) << "the library loads from beside the program";
    ASSERT_NE(meterLibrary(), nullptr);
    form->show();
    form->Combo1()->setCurrentText("COM3 (/dev/zero)");
    form->Combo2()->setCurrentText("115200"); // the rate is not used
    form->Command1()->click();
    EXPECT_EQ(meterPort(), 3);
    EXPECT_FALSE(form->isVisible());
    Form2* main = mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->store().databasePath(), databasePath);
    delete main;
}

TEST_F(Form1Test, CancelAndCloseEndWithoutTheMainWindow) {
    auto form = startWithLocale("en_US.UTF-8");
    form->show();
    form->Command2()->click();
    EXPECT_FALSE(form->isVisible());
    form->show();
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(mainWindow(), nullptr);
}

} // namespace
} // namespace plandex::testing
