// The editor without its meter link library: the windows open and edit plans,
// and Upload and Download are refused with a message instead of reaching for
// a meter, the table and the meter's plan left as they were.
#include "transfer_fixture.h"

namespace plandex::testing {
namespace {

class LibraryMissingTest : public TransferTest {
  protected:
    // A plan Download can send: every row has a type code.
    const std::vector<PlanRow> plan{{1, "S1", "TV", 55.25, 6.5}, {2, "C5", "TV", 175.25, 5.5}};

    void SetUp() override {
        TransferTest::SetUp();
        setMeterLibrary(nullptr);
        load(plan);
        setHeader({"1", "2", "0", "0", "0", "0"}, "8", "dBuV");
        meter->wireLog().clear();
    }
};

TEST_F(LibraryMissingTest, UploadAndDownloadAreRefusedWithAMessageAndChangeNothing) {
    const AnalogPlan meterPlan = slotA();
    const std::vector<bool> buttons = buttonStates();
    for (const char* command : {"Upload", "Download"}) {
        messages.shown.clear();
        run(command);
        ASSERT_EQ(messages.shown.size(), 1u) << command << ": one message, never silence";
        // Which words the message takes is the window's own choice; it must say something.
        EXPECT_FALSE(messages.shown[0].prompt.trimmed().isEmpty()) << command;
        EXPECT_NE(messages.textIds(), std::vector<int>{TextId::TransferSucceeded}) << command;
        EXPECT_EQ(messages.shown[0].style, MessageStyle::Exclamation) << command;
        EXPECT_EQ(form->store().rows(OrderById), plan) << command;
        EXPECT_EQ(slotA(), meterPlan) << command;
        EXPECT_TRUE(commandsToMeter().empty()) << command << ": nothing reaches the line";
    }
    EXPECT_EQ(buttonStates(), buttons) << "the window stays usable";
}

} // namespace
} // namespace plandex::testing
