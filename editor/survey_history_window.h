// Kept surveys by site: a tree of sites, each with its surveys (id, time,
// meter, limits, verdict), newest last, as the history file holds them.
#pragma once

#include <QWidget>

#include <string>

class QTreeWidget;

namespace plandex {

// A kept survey's verdict as the history keeps it ("pass", "fail", "not
// measured", empty when not checked) in the user's language; a word of a later
// version as kept.
QString keptVerdictText(const std::string& kept);

class SurveyHistoryWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SurveyHistoryWindow(QWidget* parent = nullptr);
    QTreeWidget* tree() const { return tree_; }
    // Reads the history again; false (and told) when it cannot be read.
    bool reload();

  private:
    QTreeWidget* tree_;
};

} // namespace plandex
