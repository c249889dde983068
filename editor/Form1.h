// Form1, the start-up window: fixes the language, lists the serial ports,
// creates the meter connection and, on OK, gives it the chosen port and makes
// way for the main window.
#pragma once

#include "plan_store.h"

#include <QWidget>

#include <cstdint>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace plandex {

// The port number in a port list text: the leading digits from its fourth
// character on ("COM3 (/dev/ttyUSB0)" gives 3, "COM12" 12); 0 when there are none.
std::int16_t portNumberOfText(const QString& text);

// The start-up window's tooltip: the library in use and its reply check.
QString diagnosticsText();

class Form1 : public QWidget {
    Q_OBJECT
  public:
    // Runs the start-up sequence; store is the plan database the main window uses.
    explicit Form1(PlanStore store, QWidget* parent = nullptr);

    void ApplyCaptions();
    void GetCOM();
    void InitPortDialog();

    // OK and Cancel.
    void Command1_Click();
    void Command2_Click();

    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }
    QComboBox* Combo1() const { return combo1_; }
    QComboBox* Combo2() const { return combo2_; }
    QPushButton* Command1() const { return command1_; }
    QPushButton* Command2() const { return command2_; }
    QRadioButton* Option1() const { return option1_; }
    QRadioButton* Option2() const { return option2_; }

  private:
    void Form_Load();
    void buildControls();
    void fitPortBox();

    PlanStore store_;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label4_ = nullptr;
    QLabel* label5_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QComboBox* combo2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
};

} // namespace plandex
