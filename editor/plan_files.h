// Save and Open of the main window: the whole plan with its header as a plan
// text file. Both set Form2::OperationResult to "Yes" or "No"; every failure
// but a cancelled dialog is said (an empty plan on Save shows text 20).
#pragma once

#include <QString>

class QFileDialog;

namespace plandex {

class Form2;

// Asks the user for a file name; an empty name means the user cancelled.
class PlanFileChooser {
  public:
    virtual ~PlanFileChooser() = default;
    virtual QString fileToOpen() = 0;
    virtual QString fileToSave() = 0;
};

// The chooser in use: the file dialog unless one was installed.
PlanFileChooser& planFileChooser();
// Installs a chooser (nullptr restores the file dialog); returns the previous one.
PlanFileChooser* installPlanFileChooser(PlanFileChooser* chooser);

// The dialog as both commands use it: *.txt files (filters in the user's
// language), starting in planFolder(), a typed name without extension gets ".txt".
void PrepareFileDialog(QFileDialog& dialog);

// The folder a plan file was last opened from or saved to, or else the user's
// documents folder (home when it has none); rememberPlanFolder records the folder of a file used.
QString planFolder();
void rememberPlanFolder(const QString& file);

// Writes the plan in the table's stored order, the grid caption as title and
// the header fields. The file is replaced only once it is completely written.
void SavePlanFile(Form2& form);

// Reads and checks the whole file first; only then replaces the plan (renumbered
// 1..n in ID order) in one transaction, the grid caption and the header fields.
// A file that cannot be read or does not hold a plan changes nothing.
void OpenPlanFile(Form2& form);

} // namespace plandex
