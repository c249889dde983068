// What the tests of plan files, entry checks and cell editing share: the main
// window over a real plan database in a private folder, with every message
// recorded and answered instead of shown.
#pragma once

#include "Form2.h"
#include "cell_editing.h"
#include "delivered_database.h"
#include "grid.h"
#include "grid_keys.h"
#include "messages.h"
#include "plan_store.h"
#include "texts.h"
#include "toolbar.h"
#include "validation.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

namespace plandex::testing {

// Widget tests need an application object; one is made unless the test
// program has one already.
inline void ensureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "editor-tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

struct RecordedMessage {
    QString prompt;
    QString title;
    MessageStyle style;
    QString detail;
};

// Records each message; answers with the queued answers, then with Ok (or Yes
// to a question).
class RecordingMessages final : public MessageSink {
  public:
    RecordingMessages() : previous_(installMessageSink(this)) {}
    ~RecordingMessages() override { installMessageSink(previous_); }

    MessageAnswer show(const QString& prompt, const QString& title, MessageStyle style) override {
        return show(prompt, title, style, {});
    }
    MessageAnswer show(const QString& prompt, const QString& title, MessageStyle style,
                       const QString& detail) override {
        shown.push_back({prompt, title, style, detail});
        if (!answers.empty()) {
            const MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return style == MessageStyle::Question ? MessageAnswer::Yes : MessageAnswer::Ok;
    }

    // Text ids of the messages shown so far (their prompts looked up in the
    // table, in either language); 0 for a prompt that is not in it.
    std::vector<int> textIds() const {
        std::vector<int> ids;
        for (const RecordedMessage& m : shown) {
            int id = 0;
            for (int n = 1; n <= 72 && !id; ++n)
                for (int key : {n + ChineseOffset, n + EnglishOffset})
                    if (QString::fromUtf8(stringTableEntry(key)) == m.prompt) id = n;
            ids.push_back(id);
        }
        return ids;
    }

    std::vector<RecordedMessage> shown;
    std::deque<MessageAnswer> answers;

  private:
    MessageSink* previous_;
};

inline std::vector<PlanRow> threeChannels() {
    return {{1, "S1", "TV", 55.25, 6.5}, {2, "S2", "DIGI", 474, 8}, {3, "C5", "TV", 175.25, 5.5}};
}

// The main window over a fresh database holding `rows`, English texts.
class EditorWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureApplication();
        LanguageOffset = EnglishOffset;
        ASSERT_TRUE(folder.isValid());
        form =
            std::make_unique<Form2>(PlanStore(copyDeliveredDatabase(folder.path(), initialRows())));
        checks = form->findChild<ChannelEntryChecks*>();
        editing = form->findChild<CellEditing*>();
        ASSERT_TRUE(checks && editing) << "the main window installs the cell editing";
    }
    void TearDown() override {
        form.reset();
        LanguageOffset = EnglishOffset;
    }

    virtual std::vector<PlanRow> initialRows() const { return threeChannels(); }

    std::vector<PlanRow> storedRows() const { return form->store().rows(OrderById); }
    Grid& grid() const { return *form->Fregtable(); }
    QLineEdit& field(int element) const { return *form->Text1(element); }
    // Shows the window and the table in the given order, the first cell current.
    void showPlan(const QString& query = SelectById) {
        form->show();
        form->RefreshDataGrid(CommandText, query);
        grid().setCurrentBookmark(1);
        QApplication::processEvents();
    }
    // The grid row (bookmark) that shows the channel with this ID.
    int bookmarkOfId(int id) const {
        for (int b = 1; b <= grid().rowCount(); ++b)
            if (grid().columnValueAt(b, ColumnId).toInt() == id) return b;
        return 0;
    }

    QTemporaryDir folder;
    RecordingMessages messages;
    std::unique_ptr<Form2> form;
    ChannelEntryChecks* checks = nullptr;
    CellEditing* editing = nullptr;
};

} // namespace plandex::testing
