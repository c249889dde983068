// The Meter window's Stored files page against the simulated meter: the list
// in both header forms, a file read and shown, "read all" with its index,
// deleting, Stop and closing during "read all", and a meter that is gone.
#include "transfer_fixture.h"

#include "meter_files_page.h"
#include "meter_window.h"
#include "own_texts.h"
#include "toolbar.h"

#include "common/stored_file_layout.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include <cstdio>

namespace plandex::testing {
namespace {

using korvane::sim::MeterState;
using korvane::sim::StoredFile;

QString dateOf(const StoredFile& f) {
    return QString::asprintf("%04d-%02d-%02d", f.stored.year, f.stored.month, f.stored.day);
}
QString timeOf(const StoredFile& f) {
    return QString::asprintf("%02d:%02d:%02d", f.stored.hour, f.stored.minute, f.stored.second);
}
QString kindsOf(const StoredFile& f) {
    QStringList kinds;
    for (const auto& flag : sondrel::stored_files::fileInfoFlags())
        if (f.flags & flag.mask) kinds << QString::fromLatin1(flag.name.data(), flag.name.size());
    return kinds.join(QLatin1Char(' '));
}
// A file's content as the meter sends it: whole pages of 64 bytes.
QByteArray paged(const sondrel::Bytes& content) {
    QByteArray bytes(reinterpret_cast<const char*>(content.data()),
                     static_cast<qsizetype>(content.size()));
    bytes.resize((bytes.size() + 63) / 64 * 64, '\0');
    return bytes;
}

class MeterFilesPageTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        ASSERT_TRUE(saved.isValid());
        load({});
        openPage();
    }
    void openPage() {
        form->ToolKv()->button(MeterButton)->trigger();
        window = form->findChild<MeterWindow*>();
        ASSERT_NE(window, nullptr);
        page = window->findChild<MeterFilesPage*>();
        ASSERT_NE(page, nullptr);
        window->pages()->setCurrentWidget(page);
        page->setFolderChooser([this] { return saved.path(); });
    }
    std::vector<StoredFile> simFiles() {
        return meter->withState([](MeterState& s) { return s.files.files; });
    }
    void click(const char* name) {
        auto* button = page->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }
    void waitForJob() { ASSERT_EVENTUALLY(!window->jobRunning(), 60000); }
    void list(MeterFilesPage::FormChoice choice = MeterFilesPage::FormChoice::Long) {
        page->formChoice()->setCurrentIndex(page->formChoice()->findData(int(choice)));
        click("FilesList");
        waitForJob();
    }
    QString cell(int row, int column) const {
        const auto* item = page->table()->item(row, column);
        return item ? item->text() : QString();
    }
    QStringList savedFiles(const QString& pattern) const {
        return QDir(saved.path()).entryList({pattern}, QDir::Files, QDir::Name);
    }
    QByteArray savedText(const QString& name) const {
        QFile file(QDir(saved.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Many one-page files, so that "read all" takes a while.
    void fillMeter(int count) {
        meter->withState([count](MeterState& s) {
            const StoredFile model = s.files.files.at(0);
            s.files.files.clear();
            for (int i = 0; i < count; ++i) {
                StoredFile f = model;
                f.name = "F" + std::to_string(i + 1);
                f.content.assign(40, static_cast<std::uint8_t>(i));
                s.files.files.push_back(f);
            }
        });
    }
    // The end of "read all" stopped after some files: the files, the index and
    // the page's words agree, and the page lists again.
    void expectStoppedWithPartOf(int total) {
        const int written = static_cast<int>(savedFiles("*.bin").size());
        EXPECT_GE(written, 1);
        EXPECT_LT(written, total) << "stopped before the last file";
        EXPECT_EQ(savedText("files.csv").count('\n'), written + 1) << "the index names only those";
        EXPECT_TRUE(page->outcome()->text().startsWith(
            QStringLiteral("Stopped: %1 of %2 files").arg(written).arg(total)))
            << page->outcome()->text().toStdString();
        EXPECT_FALSE(form->transferRunning());
        list();
        EXPECT_EQ(page->table()->rowCount(), total) << "the window is usable after";
    }

    QTemporaryDir saved;
    MeterWindow* window = nullptr;
    MeterFilesPage* page = nullptr;
};

class FilesPageInEachForm : public MeterFilesPageTest,
                            public ::testing::WithParamInterface<MeterFilesPage::FormChoice> {};

TEST_P(FilesPageInEachForm, TheListShowsTheMetersFiles) {
    const bool shortForm = GetParam() == MeterFilesPage::FormChoice::Short;
    meter->withState([shortForm](MeterState& s) {
        s.files.headerForm =
            shortForm ? korvane::sim::HeaderForm::Short : korvane::sim::HeaderForm::Long;
        s.files.files.at(1).stored = {2024, 12, 31, 23, 59, 58};
        if (shortForm) s.settings.variant = 1; // "2000A", a model of short headers
    });
    list(GetParam());
    const auto files = simFiles();
    ASSERT_EQ(page->table()->rowCount(), static_cast<int>(files.size()));
    for (int row = 0; row < page->table()->rowCount(); ++row) {
        const StoredFile& f = files[static_cast<std::size_t>(row)];
        EXPECT_EQ(cell(row, 0), QString::number(row + 1));
        EXPECT_EQ(cell(row, 1), shortForm ? QString() : QString::fromStdString(f.name));
        EXPECT_EQ(cell(row, 2), dateOf(f));
        EXPECT_EQ(cell(row, 3), timeOf(f));
        EXPECT_EQ(cell(row, 4), shortForm ? QString() : kindsOf(f));
        EXPECT_EQ(cell(row, 5), shortForm ? QString() : QString(QChar('A' + f.basePlan)));
    }
    EXPECT_EQ(page->outcome()->text(), QStringLiteral("%1 files on the meter.").arg(files.size()));
    EXPECT_FALSE(window->stateLine()->text().contains(QStringLiteral("\n")));
    if (GetParam() == MeterFilesPage::FormChoice::FromModel) {
        EXPECT_TRUE(window->stateLine()->text().contains(QStringLiteral("2000")));
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, FilesPageInEachForm,
                         ::testing::Values(MeterFilesPage::FormChoice::FromModel,
                                           MeterFilesPage::FormChoice::Short),
                         [](const auto& info) {
                             return info.param == MeterFilesPage::FormChoice::Short ? "Short"
                                                                                    : "FromModel";
                         });

TEST_F(MeterFilesPageTest, AFileReadIsTheMetersBytesInTheFolderAndInTheHexView) {
    list();
    page->table()->selectRow(1);
    EXPECT_TRUE(page->contentView()->toPlainText().isEmpty()) << "nothing read yet";
    click("FilesRead");
    waitForJob();
    const StoredFile f = simFiles().at(1);
    const QStringList written = savedFiles("*.bin");
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(savedText(written[0]), paged(f.content));

    const QStringList lines = page->contentView()->toPlainText().split(QLatin1Char('\n'));
    const QByteArray first = paged(f.content).left(16);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("00000000  ") +
                                    QString::fromLatin1(first.toHex(' ').toUpper())))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("00000010  ")));
    EXPECT_EQ(lines.size() - 1, paged(f.content).size() / 16) << "one line a 16 bytes";
    EXPECT_EQ(page->outcome()->text(),
              QStringLiteral("File 2 read into %1.").arg(QDir::toNativeSeparators(saved.path())));
}

TEST_F(MeterFilesPageTest, ReadAllWritesEveryFileAndAnIndexOfThem) {
    list();
    click("FilesReadAll");
    waitForJob();
    const auto files = simFiles();
    const QStringList index =
        QString::fromUtf8(savedText("files.csv")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(index.size(), static_cast<int>(files.size()) + 1);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QStringList fields = index[static_cast<int>(i) + 1].split(QLatin1Char(','));
        ASSERT_EQ(fields.size(), 8);
        EXPECT_EQ(fields[0], QString::number(i + 1));
        EXPECT_EQ(fields[1], QString::fromStdString(files[i].name));
        EXPECT_EQ(fields[2], dateOf(files[i]));
        EXPECT_EQ(fields[3], timeOf(files[i]));
        EXPECT_EQ(fields[4], kindsOf(files[i]));
        EXPECT_EQ(fields[6], QString::number(paged(files[i].content).size()));
        EXPECT_EQ(savedText(fields[7]), paged(files[i].content)) << fields[7].toStdString();
    }
    EXPECT_EQ(savedFiles("*.bin").size(), static_cast<int>(files.size()));
    EXPECT_TRUE(page->contentView()->toPlainText().startsWith(
        QStringLiteral("00000000  ") +
        QString::fromLatin1(paged(files[0].content).left(4).toHex(' ').toUpper())))
        << "the first file read is shown";
    page->table()->selectRow(3);
    EXPECT_FALSE(page->contentView()->toPlainText().isEmpty()) << "every file read can be shown";
}

TEST_F(MeterFilesPageTest, DeletingAsksNamingTheFileAndRemovesOnlyIt) {
    list();
    const auto before = simFiles();
    QString asked;
    bool answer = false;
    page->setDeleteConfirmer([&](const QString& question) {
        asked = question;
        return answer;
    });
    page->table()->selectRow(1);
    click("FilesDelete");
    EXPECT_TRUE(
        asked.contains(QStringLiteral("file 2 (%1").arg(QString::fromStdString(before[1].name))))
        << asked.toStdString();
    EXPECT_FALSE(window->jobRunning()) << "No deletes nothing";
    EXPECT_EQ(simFiles().size(), before.size());

    answer = true;
    click("FilesDelete");
    waitForJob();
    auto expected = before;
    expected.erase(expected.begin() + 1);
    const auto after = simFiles();
    ASSERT_EQ(after.size(), expected.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].name, expected[i].name);
        EXPECT_EQ(after[i].content, expected[i].content);
    }
    ASSERT_EQ(page->table()->rowCount(), static_cast<int>(after.size())) << "the list read again";
    for (int row = 0; row < page->table()->rowCount(); ++row)
        EXPECT_EQ(cell(row, 1), QString::fromStdString(after[static_cast<std::size_t>(row)].name));
}

TEST_F(MeterFilesPageTest, StopDuringReadAllKeepsTheFilesCompleted) {
    fillMeter(12);
    list();
    click("FilesReadAll");
    EXPECT_FALSE(page->findChild<QPushButton*>(QStringLiteral("FilesList"))->isEnabled());
    ASSERT_EVENTUALLY(savedFiles("*.bin").size() >= 2, 60000);
    window->stopButton()->click();
    waitForJob();
    expectStoppedWithPartOf(12);
}

TEST_F(MeterFilesPageTest, ClosingTheWindowDuringReadAllStopsIt) {
    fillMeter(12);
    list();
    click("FilesReadAll");
    ASSERT_EVENTUALLY(savedFiles("*.bin").size() >= 1, 60000);
    window->close();
    waitForJob();
    form->ToolKv()->button(MeterButton)->trigger();
    expectStoppedWithPartOf(12);
}

TEST_F(MeterFilesPageTest, AMeterFallingSilentDuringReadAllKeepsTheFilesBeforeAndSaysWhy) {
    fillMeter(12);
    list();
    click("FilesReadAll");
    ASSERT_EVENTUALLY(savedFiles("*.bin").size() >= 1, 60000);
    meter->stop();
    waitForJob();
    const int written = static_cast<int>(savedFiles("*.bin").size());
    EXPECT_LT(written, 12);
    EXPECT_EQ(savedText("files.csv").count('\n'), written + 1);
    EXPECT_EQ(
        page->outcome()->text(),
        QStringLiteral("File %1 could not be read; the %2 files read before it are kept in %3.")
            .arg(written + 1)
            .arg(written)
            .arg(QDir::toNativeSeparators(saved.path())));
    const QStringList state = window->stateLine()->text().split(QLatin1Char('\n'));
    ASSERT_GE(state.size(), 2) << "the library's reason under what failed";
    EXPECT_TRUE(state[0].endsWith(page->outcome()->text()));
}

TEST_F(MeterFilesPageTest, ASilentMeterGivesTheReasonAndNoList) {
    list();
    ASSERT_GT(page->table()->rowCount(), 0);
    meter->stop();
    list();
    const QString state = window->stateLine()->text();
    EXPECT_TRUE(state.contains(ownText(OwnText::MeterFilesListFailed) + QStringLiteral("\n")))
        << state.toStdString();
    EXPECT_EQ(page->table()->rowCount(), 0) << "no list the meter did not give";
}

class ChineseFilesPage : public MeterFilesPageTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        ASSERT_TRUE(saved.isValid());
        LanguageOffset = ChineseOffset;
        load({});
        openPage();
    }
};

TEST_F(ChineseFilesPage, ThePageSpeaksChinese) {
    EXPECT_EQ(window->pages()->tabText(window->pages()->indexOf(page)),
              QString::fromUtf8("存储文件"));
    EXPECT_EQ(page->findChild<QPushButton*>(QStringLiteral("FilesReadAll"))->text(),
              QString::fromUtf8("全部读取..."));
    EXPECT_EQ(page->table()->horizontalHeaderItem(0)->text(), QString::fromUtf8("序号"));
    list();
    EXPECT_EQ(page->outcome()->text(),
              QString::fromUtf8("仪表中有 %1 个文件。").arg(simFiles().size()));

    const QString folder = QDir(saved.path()).filePath(QString::fromUtf8("测量 文件"));
    ASSERT_TRUE(QDir().mkpath(folder));
    page->setFolderChooser([folder] { return folder; });
    page->table()->selectRow(0);
    click("FilesRead");
    waitForJob();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2) << "the file and its index";
    EXPECT_EQ(page->outcome()->text(),
              QString::fromUtf8("已将文件 1 读入 %1。").arg(QDir::toNativeSeparators(folder)));
}

} // namespace
} // namespace plandex::testing
