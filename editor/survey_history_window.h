// Kept surveys by site: a tree of sites, each with its surveys (id, time,
// meter, limits, verdict), newest last, as the history file holds them.
#pragma once

#include <QWidget>

class QTreeWidget;

namespace plandex {

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
