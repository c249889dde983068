// Save and Open of plan text files through the main window, on a real plan
// database: what reaches the file, what comes back, and what a bad file leaves.
#include "cell_editing_fixture.h"
#include "database_holder.h"
#include "failure_texts.h"
#include "file_system_faults.h"
#include "own_texts.h"
#include "plan_file_encoding.h"
#include "plan_files.h"

#include <QFileDialog>
#include <QStandardPaths>

#include <QDir>
#include <QFile>

namespace plandex::testing {
namespace {

class FixedChooser final : public PlanFileChooser {
  public:
    FixedChooser() : previous_(installPlanFileChooser(this)) {}
    ~FixedChooser() override { installPlanFileChooser(previous_); }
    QString fileToOpen() override { return ++asked, path; }
    QString fileToSave() override { return ++asked, path; }
    QString path;
    int asked = 0;

  private:
    PlanFileChooser* previous_;
};

class PlanFilesTest : public EditorWindowTest {
  protected:
    void SetUp() override {
        EditorWindowTest::SetUp();
        chooser.path = folder.filePath("plan.txt");
    }
    void setHeader(const QStringList& favourites, const QString& unit, const QString& span) {
        for (std::size_t i = 0; i < FavouriteElements.size(); ++i)
            field(FavouriteElements[i]).setText(favourites.value(static_cast<qsizetype>(i)));
        form->Combo5()->setCurrentText(unit);
        field(SpanElement).setText(span);
    }
    QStringList header() const {
        QStringList texts;
        for (int element : FavouriteElements)
            texts << field(element).text();
        return texts << form->Combo5()->currentText() << field(SpanElement).text();
    }
    void writeFile(const QByteArray& bytes) {
        QFile file(chooser.path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readFile() const {
        QFile file(chooser.path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void open() {
        OpenPlanFile(*form);
        QApplication::processEvents();
    }

    FixedChooser chooser;
};

TEST_F(PlanFilesTest, SaveWritesThePlanInStoredOrderWithItsHeader) {
    setHeader({"1", "2", "0", "0", "0", "3"}, "dBuV", "8.5");
    SavePlanFile(*form);
    EXPECT_EQ(form->OperationResult, "Yes");
    EXPECT_EQ(readFile(), QByteArray("  CH No\r\n"
                                     "ID\tCHName\tTYPE\tFREQ\tAUDIO\t\r\n"
                                     "1\tS1\tTV\t55.25\t6.5\t\r\n"
                                     "2\tS2\tDIGI\t474\t8\t\r\n"
                                     "3\tC5\tTV\t175.25\t5.5\t\r\n"
                                     "1st Favorite CH  ID*\t1\r\n"
                                     "2nd Favorite CH  ID*\t2\r\n"
                                     "3rd Favorite CH ID*\t0\r\n"
                                     "4th Favorite CH  ID*\t0\r\n"
                                     "5th Favorite CH  ID*\t0\r\n"
                                     "6th Favorite CH  ID*\t3\r\n"
                                     "Unit*\tdBuV\r\n"
                                     "*Span\t8.5\r\n"));
}

TEST_F(PlanFilesTest, SaveThenOpenGivesTheSamePlanHeaderAndTitle) {
    setHeader({"1", "2", "0", "0", "250", "3"}, "dBmV", "8");
    grid().setCaption("My plan");
    SavePlanFile(*form);
    ASSERT_EQ(form->OperationResult, "Yes");

    PlanStore(form->store()).replaceAll({{1, "X", "TV", 100, 4.5}});
    setHeader({}, "", "");
    grid().setCaption("other");
    open();

    EXPECT_EQ(form->OperationResult, "Yes");
    EXPECT_EQ(storedRows(), threeChannels());
    EXPECT_EQ(header(), QStringList({"1", "2", "0", "0", "250", "3", "dBmV", "8"}));
    EXPECT_FLOAT_EQ(form->SpanValue, 8);
    EXPECT_EQ(grid().caption(), "My plan");
    EXPECT_EQ(grid().rowCount(), 3) << "the grid shows the opened plan";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PlanFilesTest, SaveOfAnEmptyPlanAsksToLoadOneAndWritesNothing) {
    PlanStore(form->store()).replaceAll({});
    SavePlanFile(*form);
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(messages.textIds(), std::vector<int>{TextId::LoadPlanFirst});
    EXPECT_EQ(messages.shown.front().style, MessageStyle::Exclamation);
    EXPECT_EQ(chooser.asked, 0);
    EXPECT_FALSE(QFile::exists(chooser.path));
}

TEST_F(PlanFilesTest, CancelledDialogEndsInNo) {
    chooser.path.clear();
    SavePlanFile(*form);
    EXPECT_EQ(form->OperationResult, "No");
    OpenPlanFile(*form);
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(storedRows(), threeChannels());
}

TEST_F(PlanFilesTest, FailedSaveLeavesTheOldFileIntact) {
    writeFile("the old plan\r\n");
    // The disk fills up: every write under the folder fails.
    fileSystemFaults().watch(folder.path().toStdString());
    fileSystemFaults().failWritesWith = ENOSPC;
    SavePlanFile(*form);
    fileSystemFaults().stopWatching();
    EXPECT_GT(fileSystemFaults().stepsStarted, 0) << "the save reached the write";
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(readFile(), "the old plan\r\n");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"FileDB2000.mdb", "plan.txt"}))
        << "no temporary file left behind";
    ASSERT_EQ(messages.shown.size(), 1u) << "never silently";
    EXPECT_EQ(messages.shown[0].style, MessageStyle::Exclamation);
    EXPECT_EQ(messages.shown[0].prompt,
              ownText(OwnText::FileNotWritten).arg(chooser.path, ownText(OwnText::FileDiskFull)))
        << "the message names the file and the reason";
}

TEST_F(PlanFilesTest, SaveNamesTheFieldItCannotWriteAndWritesNothing) {
    writeFile("the old plan\r\n");
    // A name Windows-1252 cannot hold: the text cannot be written on this system.
    PlanStore(form->store())
        .replaceAll({{1, "S1", "TV", 55.25, 6.5}, {2, QString::fromUtf8("频"), "TV", 62.25, 6.5}});
    SavePlanFile(*form);
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(readFile(), "the old plan\r\n");
    ASSERT_EQ(messages.shown.size(), 1u) << "never silently";
    EXPECT_EQ(messages.shown[0].prompt,
              "ID 2 (STD CH) holds a character the file's code page cannot write. The file was "
              "not saved.");

    PlanStore(form->store()).replaceAll(threeChannels());
    setHeader({"1", "2", "3", "4", "5", "6"}, QString::fromUtf8("dB中"), "8");
    SavePlanFile(*form);
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(readFile(), "the old plan\r\n");
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[1].prompt.startsWith("\"Unit\" holds a character"))
        << messages.shown[1].prompt.toStdString();
}

TEST_F(PlanFilesTest, NamesThePlanFilesCannotCarryAreRefusedAtEntry) {
    showPlan();
    for (const QString name : {"A*", "ID", "\"Q\"", "A\tB", "xID"}) {
        messages.shown.clear();
        grid().setCurrentBookmark(1);
        checks->SnapshotStoredRows();
        grid().setColumnText(ColumnName, name);
        checks->ValidateCellEdit(ColumnName);
        ASSERT_EQ(messages.shown.size(), 1u) << name.toStdString();
        EXPECT_EQ(messages.shown[0].prompt,
                  "STD CH cannot hold *, TAB, double quotes or the letters ID: plan files cannot "
                  "carry them.");
        EXPECT_EQ(grid().columnText(ColumnName), "S1") << "the stored name comes back";
    }
    messages.shown.clear();
    grid().setColumnText(ColumnName, "Id1");
    checks->ValidateCellEdit(ColumnName);
    EXPECT_TRUE(messages.shown.empty()) << "only the letters the file reader looks for";
}

// Plans received from a meter may hold names the plain lines cannot carry:
// what Save writes, Open reads back unchanged.
TEST_F(PlanFilesTest, NamesPlainLinesCannotCarryComeBackUnchanged) {
    const std::vector<PlanRow> received = {
        {1, "*A", "TV", 55.25, 6.5},     {2, "\"Q", "TV", 62.25, 6.5},
        {3, "a\tb", "TV", 69.25, 6.5},   {4, "ID", "DIGI", 474, 8},
        {5, "x\"\"y", "TV", 77.25, 6.5}, {6, "C6", "TV", 83.25, 4.5},
        {7, "\"\t\"", "TV", 91.25, 5.5}};
    PlanStore(form->store()).replaceAll(received);
    setHeader({"1", "2", "3", "4", "5", "6"}, "dBuV", "8");
    SavePlanFile(*form);
    ASSERT_EQ(form->OperationResult, "Yes");
    EXPECT_TRUE(readFile().contains("ID\tCHName\tTYPE\tFREQ\tAUDIO\tQUOTED\t\r\n"));
    PlanStore(form->store()).replaceAll(threeChannels());
    open();
    EXPECT_EQ(form->OperationResult, "Yes");
    EXPECT_EQ(storedRows(), received);
    EXPECT_EQ(header(), QStringList({"1", "2", "3", "4", "5", "6", "dBuV", "8"}));
    EXPECT_TRUE(messages.shown.empty());
}

// A plan without such names is written exactly as before, and a file of the
// plain format with a quoted name reads as it always did.
TEST_F(PlanFilesTest, PlainPlansKeepThePlainFormat) {
    SavePlanFile(*form);
    EXPECT_FALSE(readFile().contains("QUOTED"));
    writeFile("t\r\nID\tCHName\tTYPE\tFREQ\tAUDIO\t\r\n1\t\"\"A\"B\"\tTV\t55.25\t6.5\t\r\n");
    open();
    ASSERT_EQ(storedRows().size(), 1u);
    EXPECT_EQ(storedRows()[0].name, "\"A\"B");
}

TEST_F(PlanFilesTest, SaveRefusesANameNoFileCanCarryAndNamesItsRow) {
    PlanStore(form->store())
        .replaceAll({{1, "S1", "TV", 55.25, 6.5}, {2, "A\nB", "TV", 62.25, 6.5}});
    SavePlanFile(*form);
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_TRUE(readFile().isEmpty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].prompt.startsWith("ID 2 holds a character"))
        << messages.shown[0].prompt.toStdString();
}

// Another program holds the database: Save and Open say what failed and why,
// in the user's language, never in the database's words.
TEST_F(PlanFilesTest, SaveAndOpenWithTheDatabaseHeldSaySo) {
    SavePlanFile(*form);
    ASSERT_EQ(form->OperationResult, "Yes");
    QFile::remove(chooser.path);
    {
        DatabaseHolder holder(form->store().databasePath());
        SavePlanFile(*form);
        EXPECT_EQ(form->OperationResult, "No");
        EXPECT_FALSE(QFile::exists(chooser.path));
        writeFile("t\r\n1\tN1\tTV\t55.25\t6.5\t\r\n");
        open();
        EXPECT_EQ(form->OperationResult, "No");
    }
    EXPECT_EQ(storedRows(), threeChannels());
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].prompt,
              ownText(OwnText::PlanNotRead) + "\n" + ownText(OwnText::StoreBusy));
    EXPECT_EQ(messages.shown[1].prompt,
              ownText(OwnText::CommandNotDone).arg("Open") + "\n" + ownText(OwnText::StoreBusy));
}

TEST_F(PlanFilesTest, FailedWriteSaysWhy) {
    chooser.path = folder.filePath("no such folder/plan.txt");
    SavePlanFile(*form);
    EXPECT_EQ(form->OperationResult, "No");
    ASSERT_EQ(messages.shown.size(), 1u);
    const QString prompt = messages.shown[0].prompt;
    EXPECT_FALSE(prompt.contains("%2")) << prompt.toStdString();
    EXPECT_TRUE(prompt.startsWith("The file " + chooser.path + " could not be written: "));
    EXPECT_GT(prompt.size(), ownText(OwnText::FileNotWritten).arg(chooser.path, "").size());
}

// A grid edit the database refused is not carried into the plan Open brings.
TEST_F(PlanFilesTest, OpenWhileAnEditIsUnwrittenIsRefusedThenReplacesThePlan) {
    showPlan();
    grid().setCurrentBookmark(3);
    grid().setColumnText(ColumnName, "XYZ"); // changed, not yet written
    writeFile("t\r\n1\tN1\tTV\t55.25\t6.5\t\r\n2\tN2\tTV\t62.25\t6.5\t\r\n"
              "3\tN3\tTV\t69.25\t6.5\t\r\n");
    {
        DatabaseHolder holder(form->store().databasePath());
        form->ToolKv_ButtonClick("Open");
        EXPECT_EQ(chooser.asked, 0) << "refused before the dialog";
    }
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[0].prompt.startsWith(ownText(OwnText::EditNotWritten).arg(3)));
    EXPECT_TRUE(messages.shown[0].prompt.endsWith(ownText(OwnText::StoreBusy)));
    EXPECT_EQ(messages.shown[1].prompt, ownText(OwnText::CommandRefusedUnwritten).arg("Open"));
    EXPECT_EQ(storedRows(), threeChannels());

    form->ToolKv_ButtonClick("Open");
    QApplication::processEvents();
    EXPECT_EQ(form->OperationResult, "Yes");
    const std::vector<PlanRow> fromFile = {
        {1, "N1", "TV", 55.25, 6.5}, {2, "N2", "TV", 62.25, 6.5}, {3, "N3", "TV", 69.25, 6.5}};
    EXPECT_EQ(storedRows(), fromFile);
}

TEST_F(PlanFilesTest, DialogSpeaksTheUsersLanguageAndStartsWhereTheUserWorks) {
    LanguageOffset = ChineseOffset;
    QFileDialog dialog;
    PrepareFileDialog(dialog);
    EXPECT_EQ(dialog.nameFilters(), QStringList({QString::fromUtf8("频道表文件 (*.txt)"),
                                                 QString::fromUtf8("所有文件 (*)")}));
    LanguageOffset = EnglishOffset;
    SavePlanFile(*form);
    ASSERT_EQ(form->OperationResult, "Yes");
    EXPECT_EQ(planFolder(), QFileInfo(chooser.path).absolutePath()) << "the last folder used";
    QFileDialog again;
    PrepareFileDialog(again);
    EXPECT_EQ(again.directory().absolutePath(), QFileInfo(chooser.path).absolutePath());
    EXPECT_NE(again.directory().absolutePath(), QApplication::applicationDirPath());
}

TEST_F(PlanFilesTest, OpenAndPasteRefuseMoreThan250Channels) {
    QByteArray file = "big\r\n";
    for (int id = 1; id <= 251; ++id)
        file += QByteArray::number(id) + "\tC\tTV\t" + QByteArray::number(50 + id) + "\t6.5\t\r\n";
    writeFile(file);
    open();
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(storedRows(), threeChannels());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt,
              "A channel plan holds at most 250 channels; this one has 251.");

    std::vector<PlanRow> full;
    for (int id = 1; id <= 249; ++id)
        full.push_back({id, "C", "TV", 50.0 + id, 6.5});
    PlanStore(form->store()).replaceAll(full);
    form->CopiedIds = {1, 2};
    form->PasteChannels();
    EXPECT_EQ(form->store().rowCount(), 249);
    EXPECT_EQ(messages.shown.back().prompt,
              "A channel plan holds at most 250 channels; this one has 251.");
    form->CopiedIds = {1};
    form->PasteChannels();
    EXPECT_EQ(form->store().rowCount(), 250) << "250 channels are a whole plan";
}

TEST_F(PlanFilesTest, OpenReadsLinesAsTheFormatSays) {
    writeFile("title\r\n"
              "ID\tCHName\tTYPE\tFREQ\tAUDIO\t\r\n"
              "9\tS9\tTV\t100\r\n"              // no trailing TAB
              "1\t\"S1\"\tTV\t55.25\t6.5\t\r\n" // quoted token
              "5\tID1\tTV\t60\t6.5\t\r\n"       // looks like the header
              "5\tS5\tDIGI\t474\t8\t\r\n"
              "1st*\t7\r\n2nd*\t8\r\n3rd*\t\r\n4th*\t\r\n5th*\t\r\n6th*\t\r\nUnit*\tdBuV\r\n"
              "*Span\t6\r\n");
    open();
    EXPECT_EQ(form->OperationResult, "Yes");
    const std::vector<PlanRow> expected{
        {1, "S1", "TV", 55.25, 6.5}, {2, "S5", "DIGI", 474, 8}, {3, "S9", "TV", 100, 100}};
    EXPECT_EQ(storedRows(), expected) << "renumbered 1..n in ID order";
    EXPECT_EQ(header(), QStringList({"7", "8", "", "", "", "", "dBuV", "6"}));
}

TEST_F(PlanFilesTest, TitleOnlyFileEmptiesThePlanAndTheHeader) {
    setHeader({"1", "2", "3", "4", "5", "6"}, "dBuV", "8");
    writeFile("just a title\r\n");
    open();
    EXPECT_EQ(form->OperationResult, "Yes");
    EXPECT_TRUE(storedRows().empty());
    EXPECT_EQ(grid().caption(), "just a title");
    EXPECT_FLOAT_EQ(form->SpanValue, 0);
    // The span box receives "0", which its own check refuses and clears.
    EXPECT_EQ(messages.textIds(), std::vector<int>{29});
    EXPECT_EQ(header(), QStringList({"", "", "", "", "", "", "", ""}));
}

TEST_F(PlanFilesTest, FooterLabelsInEitherLanguageOpenOnTheOther) {
    for (const std::int16_t saveIn : {ChineseOffset, EnglishOffset}) {
        const std::int16_t openIn = saveIn == ChineseOffset ? EnglishOffset : ChineseOffset;
        LanguageOffset = saveIn;
        form->ApplyCaptions();
        setHeader({"1", "2", "3", "0", "0", "0"}, "dBuV", "8");
        SavePlanFile(*form);
        ASSERT_EQ(form->OperationResult, "Yes");
        EXPECT_EQ(readFile().contains("\xB5\xDA"
                                      "1"),
                  saveIn == ChineseOffset)
            << "\"第1\" in GBK in the Chinese labels";

        LanguageOffset = openIn;
        setHeader({}, "", "");
        open();
        EXPECT_EQ(form->OperationResult, "Yes");
        EXPECT_EQ(header(), QStringList({"1", "2", "3", "0", "0", "0", "dBuV", "8"}));
        EXPECT_EQ(storedRows(), threeChannels());
    }
}

TEST_F(PlanFilesTest, GbkFileOpensOnAChineseSystem) {
    LanguageOffset = ChineseOffset;
    writeFile(*encodeAnsi(QString::fromUtf8("   频道表\r\n1\tS1\tTV\t55.25\t6.5\t\r\n"),
                          ansiCodePageFor(ChineseOffset)));
    open();
    EXPECT_EQ(form->OperationResult, "Yes");
    EXPECT_EQ(grid().caption(), QString::fromUtf8("   频道表"));
    EXPECT_EQ(storedRows(), std::vector<PlanRow>({{1, "S1", "TV", 55.25, 6.5}}));
}

TEST_F(PlanFilesTest, DamagedFileChangesNothing) {
    QByteArray nineFooters = "t\r\n1\tA\tTV\t100\t6.5\t\r\n";
    for (int i = 0; i < 9; ++i)
        nineFooters += "x*\t1\r\n";
    QByteArray garbage;
    for (int i = 0; i < 512; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    const std::vector<std::pair<const char*, QByteArray>> files{
        {"binary garbage", garbage},
        {"ninth footer line", nineFooters},
        {"text in Freq", "t\r\n1\tA\tTV\t100\t6.5\t\r\n2\tB\tTV\tabc\t6.5\t\r\n"},
        {"empty file", ""},
    };
    showPlan();
    setHeader({"1", "2", "3", "4", "5", "6"}, "dBuV", "8");
    for (const auto& [what, bytes] : files) {
        writeFile(bytes);
        open();
        EXPECT_EQ(form->OperationResult, "No") << what;
        EXPECT_EQ(storedRows(), threeChannels()) << what;
        EXPECT_EQ(header(), QStringList({"1", "2", "3", "4", "5", "6", "dBuV", "8"})) << what;
        EXPECT_EQ(grid().caption(), "  CH No") << what;
        EXPECT_EQ(grid().rowCount(), 3) << what;
    }
    EXPECT_EQ(messages.textIds(), std::vector<int>(files.size(), TextId::NotAPlanFile))
        << "each refused file says so";
}

TEST_F(PlanFilesTest, MissingFileChangesNothing) {
    chooser.path = folder.filePath("no such file.txt");
    open();
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(storedRows(), threeChannels());
}

TEST_F(PlanFilesTest, OpenTakesAFileOfUpTo1MiBAndRefusesALargerOne) {
    // A plan whose long title brings the file to exactly the limit.
    const QByteArray body = "1\tS1\tTV\t55.25\t6.5\t\r\n";
    constexpr qsizetype OneMiB = 1 << 20;
    const QByteArray title(OneMiB - body.size() - 2, 'T');
    writeFile(title + "\r\n" + body);
    open();
    EXPECT_EQ(form->OperationResult, "Yes") << "a file of exactly 1 MiB opens";
    EXPECT_EQ(storedRows(), std::vector<PlanRow>({{1, "S1", "TV", 55.25, 6.5}}));

    messages.shown.clear();
    writeFile(title + "T\r\n" + body);
    open();
    EXPECT_EQ(form->OperationResult, "No") << "one byte more is refused";
    EXPECT_EQ(messages.textIds(), std::vector<int>{TextId::NotAPlanFile});
    EXPECT_EQ(storedRows(), std::vector<PlanRow>({{1, "S1", "TV", 55.25, 6.5}}));
}

} // namespace
} // namespace plandex::testing
