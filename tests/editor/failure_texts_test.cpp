// The reasons the editor gives, in both languages: every failure kind of the
// link library and every refusal of the plan database has a text of its own,
// and none of them is the database's or the library's raw wording alone.
#include "cell_editing_fixture.h"
#include "failure_texts.h"
#include "own_texts.h"

#include <set>

namespace plandex::testing {
namespace {

using sondrel::FailureKind;

const FailureKind allKinds[] = {FailureKind::NoDevice,    FailureKind::Permission,
                                FailureKind::InUse,       FailureKind::NoAnswer,
                                FailureKind::WrongAnswer, FailureKind::CodePage,
                                FailureKind::Cancelled,   FailureKind::Other};
const StoreFailure allStoreFailures[] = {
    StoreFailure::Busy,     StoreFailure::ReadOnly, StoreFailure::NotOpened, StoreFailure::Damaged,
    StoreFailure::DiskFull, StoreFailure::RowGone,  StoreFailure::Other};

class FailureTextsTest : public ::testing::TestWithParam<std::int16_t> {
  protected:
    void SetUp() override { LanguageOffset = GetParam(); }
    void TearDown() override { LanguageOffset = EnglishOffset; }
};

TEST_P(FailureTextsTest, EveryMeterFailureKindHasItsOwnTextAboveTheLibrarysDetail) {
    std::set<QString> seen;
    for (FailureKind kind : allKinds) {
        const QString detail = meterFailureDetail({kind, "/dev/ttyUSB0: reason"});
        const QStringList lines = detail.split(u'\n');
        ASSERT_EQ(lines.size(), 2) << detail.toStdString();
        EXPECT_EQ(lines[1], "/dev/ttyUSB0: reason");
        EXPECT_FALSE(lines[0].isEmpty());
        seen.insert(lines[0]);
    }
    EXPECT_EQ(seen.size(), std::size(allKinds)) << "one text per kind";
    EXPECT_TRUE(meterFailureDetail({FailureKind::None, "stale"}).isEmpty());
    EXPECT_EQ(meterFailureDetail({FailureKind::NoAnswer, " "}), ownText(OwnText::MeterNoAnswer));
}

TEST_P(FailureTextsTest, PermissionNamesTheFix) {
    const QString text = meterFailureDetail({FailureKind::Permission, ""});
    EXPECT_TRUE(text.contains("dialout")) << text.toStdString();
}

TEST_P(FailureTextsTest, StoreRefusalsAreSaidWithoutTheDatabasesWords) {
    std::set<QString> seen;
    for (StoreFailure reason : allStoreFailures) {
        const StoreError error("DELETE FROM ChannelPlanUser: database is locked", reason);
        const QString message = storeFailureMessage("What failed.", error);
        EXPECT_TRUE(message.startsWith("What failed.\n"));
        EXPECT_FALSE(message.contains("DELETE")) << message.toStdString();
        EXPECT_FALSE(message.contains("locked")) << message.toStdString();
        seen.insert(storeFailureText(error));
    }
    EXPECT_EQ(seen.size(), std::size(allStoreFailures));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, FailureTextsTest,
                         ::testing::Values(ChineseOffset, EnglishOffset));

} // namespace
} // namespace plandex::testing
