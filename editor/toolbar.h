// ToolKv, the main window's toolbar: the nine plan commands, the level survey
// and the Meter window, identified by their keys, with drawn icons and their
// captions.
#pragma once

#include <QToolBar>

#include <array>

class QAction;

namespace plandex {

// Button keys in toolbar order: button 1 is "Upload", button 9 "Order", then
// the survey and the Meter window, which are the editor's own beyond the nine.
inline constexpr std::array<const char*, 11> ToolbarKeys = {
    "Upload", "Download", "Open",  "Save",   "Copy", "Paste",
    "Insert", "Delete",   "Order", "Survey", "Meter"};

// Toolbar buttons by position.
enum ToolbarButton {
    UploadButton = 1,
    DownloadButton,
    OpenButton,
    SaveButton,
    CopyButton,
    PasteButton,
    InsertButton,
    DeleteButton,
    OrderButton,
    SurveyButton,
    MeterButton,
};

class Toolbar : public QToolBar {
    Q_OBJECT
  public:
    explicit Toolbar(QWidget* parent = nullptr);

    // Button by position, 1 to 11.
    QAction* button(int index) const;
    void setButtonEnabled(int index, bool enabled);
    bool isButtonEnabled(int index) const;

  signals:
    // A button was clicked; key is its key, e.g. "Upload".
    void buttonClick(const QString& key);

  private:
    std::array<QAction*, ToolbarKeys.size()> buttons_{};
};

} // namespace plandex
