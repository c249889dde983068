// The screen copy against the simulated meter over a pseudo-terminal: block
// placement in both forms, blocks out of order or lost, block numbers that do
// not fit, and the meter's own picture arriving intact.
#include "common/member_errors.h"
#include "simulated_meter.h"
#include "yield_hook.h"

#include <deque>
#include <memory>

using namespace korvane::testing;
using korvane::sim::MeterState;
using korvane::sim::ReceivedFrame;
using korvane::sim::ScreenMemory;
using sondrel::Bytes;
using sondrel::SafeArray;

namespace {

constexpr std::uint8_t CmdReadScreen = 0x72;

// A picture whose every byte says where it lies.
Bytes countingPicture(std::size_t size) {
    Bytes picture(size);
    for (std::size_t i = 0; i < size; ++i)
        picture[i] = static_cast<std::uint8_t>(i % 251 + 1);
    return picture;
}

SafeArray<std::uint8_t> untouched() {
    SafeArray<std::uint8_t> screen;
    screen.items = {1, 2, 3};
    return screen;
}

} // namespace

class ScreenCaptureTest : public SimulatedMeterTest {
  protected:
    // The meter shows `picture` (size bytes of the counting pattern) in this form and order.
    Bytes showPicture(ScreenMemory::Form form, ScreenMemory::Order order, std::size_t size) {
        const Bytes picture = countingPicture(size);
        meter().withState([&](MeterState& s) {
            s.screen.form = form;
            s.screen.order = order;
            s.screen.picture = picture;
        });
        return picture;
    }
    // Answers screen requests with these (block count, block number, fill byte) in turn.
    void scriptBlocks(std::size_t replyLength, std::vector<std::array<std::uint8_t, 3>> blocks) {
        auto queue =
            std::make_shared<std::deque<std::array<std::uint8_t, 3>>>(blocks.begin(), blocks.end());
        meter().setHandler(CmdReadScreen, [=](const ReceivedFrame&) -> std::optional<Bytes> {
            if (queue->empty()) return std::nullopt;
            const auto [count, number, fill] = queue->front();
            queue->pop_front();
            Bytes data(replyLength - 6, fill);
            data[0] = count;
            data[1] = number;
            return korvane::sim::makeReply(CmdReadScreen, replyLength, data);
        });
    }
};

TEST_F(ScreenCaptureTest, BlocksLandAtTheirNumbersInAFixedSizeBuffer) {
    const Bytes picture =
        showPicture(ScreenMemory::Form::Small, ScreenMemory::Order::Ascending, 3 * 64);
    SafeArray<std::uint8_t> screen;
    std::int16_t result = 0;
    link().ReadSLMScreen(&screen, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(screen.lowerBound, 0);
    ASSERT_EQ(screen.size(), 10001u);
    EXPECT_TRUE(std::equal(picture.begin(), picture.end(), screen.items.begin()));
    EXPECT_TRUE(std::all_of(screen.items.begin() + 192, screen.items.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(framesToMeterHex(),
              (std::vector<std::string>{"55 AA 01 07 72 00 87", "55 AA 01 06 72 88",
                                        "55 AA 01 06 72 88"}));
}

TEST_F(ScreenCaptureTest, BlocksOutOfOrderGiveTheSameBuffer) {
    const Bytes picture =
        showPicture(ScreenMemory::Form::Small, ScreenMemory::Order::Descending, 3 * 64);
    SafeArray<std::uint8_t> descending;
    std::int16_t result = 0;
    link().ReadSLMScreen(&descending, &result);
    EXPECT_EQ(result, 1);
    showPicture(ScreenMemory::Form::Small, ScreenMemory::Order::OddThenEven, 3 * 64);
    SafeArray<std::uint8_t> interleaved;
    link().ReadSLMScreen(&interleaved, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(descending, interleaved);
    EXPECT_TRUE(std::equal(picture.begin(), picture.end(), descending.items.begin()));
}

TEST_F(ScreenCaptureTest, TheBigFormCarries160ByteBlocksIntoFortyThousandBytes) {
    const Bytes picture =
        showPicture(ScreenMemory::Form::Big, ScreenMemory::Order::Ascending, 2 * 160);
    SafeArray<std::uint8_t> screen;
    std::int16_t result = 0;
    ASSERT_EQ(link().ReadSLMScreenBig(&screen, &result), sondrel::S_Ok);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(screen.size(), 40001u);
    EXPECT_TRUE(std::equal(picture.begin(), picture.end(), screen.items.begin()));
    EXPECT_EQ(screen.items[320], 0);
}

TEST_F(ScreenCaptureTest, ASingleBlockIsOneExchangeAndLandsWhereItsNumberSays) {
    scriptBlocks(72, {{1, 3, 0xAB}});
    SafeArray<std::uint8_t> screen;
    std::int16_t result = 0;
    link().ReadSLMScreen(&screen, &result);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(screen.size(), 10001u);
    for (std::size_t i = 0; i < screen.size(); ++i)
        ASSERT_EQ(screen.items[i], (i >= 128 && i < 192) ? 0xAB : 0) << i;
    EXPECT_EQ(framesToMeterHex().size(), 1u);
}

TEST_F(ScreenCaptureTest, TheLastBlocksThatFitAreAcceptedAndTheNextOnesAreNot) {
    std::int16_t result = 0;
    scriptBlocks(72, {{1, 156, 0x11}});
    SafeArray<std::uint8_t> small;
    link().ReadSLMScreen(&small, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(small.items[9983], 0x11);
    EXPECT_EQ(small.items[10000], 0);

    scriptBlocks(168, {{1, 250, 0x22}});
    SafeArray<std::uint8_t> big;
    EXPECT_EQ(link().ReadSLMScreenBig(&big, &result), sondrel::S_Ok);
    EXPECT_EQ(big.items[39999], 0x22);

    for (std::uint8_t bad : {0, 157}) {
        scriptBlocks(72, {{1, bad, 0x33}});
        SafeArray<std::uint8_t> screen = untouched();
        link().ReadSLMScreen(&screen, &result);
        EXPECT_EQ(result, 0) << "block " << int(bad);
        EXPECT_EQ(screen, untouched());
    }
}

TEST_F(ScreenCaptureTest, TheBigFormLetsABlockThatDoesNotFitFailTheCall) {
    for (std::uint8_t bad : {0, 251}) {
        // The bad block comes second, after a good one.
        scriptBlocks(168, {{2, 1, 0x44}, {2, bad, 0x55}});
        SafeArray<std::uint8_t> screen = untouched();
        std::int16_t result = 7;
        EXPECT_EQ(link().ReadSLMScreenBig(&screen, &result), sondrel::MemberESubscriptOutOfRange)
            << "block " << int(bad);
        EXPECT_EQ(screen, untouched());
    }
}

TEST_F(ScreenCaptureTest, ALostCutOrGarbledBlockFailsTheCopyAndLeavesTheCallersArray) {
    for (const auto form : {ScreenMemory::Form::Small, ScreenMemory::Form::Big}) {
        const bool big = form == ScreenMemory::Form::Big;
        showPicture(form, ScreenMemory::Order::Ascending, 3 * (big ? 160 : 64));
        for (const char* fault : {"72:noreply,after=1,times=1", "72:truncate=20,after=2,times=1",
                                  "72:badsum,after=1,times=1", "72:noreply"}) {
            meter().faults().clear();
            meter().faults().add(korvane::sim::parseFaultRule(fault));
            SafeArray<std::uint8_t> screen = untouched();
            std::int16_t result = 1;
            const auto hr = big ? link().ReadSLMScreenBig(&screen, &result)
                                : link().ReadSLMScreen(&screen, &result);
            EXPECT_EQ(hr, sondrel::S_Ok) << fault;
            EXPECT_EQ(result, 0) << fault << (big ? " (big)" : " (small)");
            EXPECT_EQ(screen, untouched()) << fault;
        }
    }
}

TEST_F(ScreenCaptureTest, TheCallerMayProcessItsEventsBeforeEveryBlockAfterTheFirst) {
    showPicture(ScreenMemory::Form::Small, ScreenMemory::Order::Ascending, 3 * 64);
    int yields = 0;
    sondrel::setYieldHook([](void* count) { ++*static_cast<int*>(count); }, &yields);
    SafeArray<std::uint8_t> screen;
    std::int16_t result = 0;
    link().ReadSLMScreen(&screen, &result);
    sondrel::setYieldHook(nullptr, nullptr);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(yields, 2);
}

TEST_F(ScreenCaptureTest, TheMetersOwnSpectrumScreenArrivesPixelForPixel) {
    // A small display: 64 x 24 pixels, one bit each, is 192 bytes in three blocks.
    const Bytes expected = meter().withState([](MeterState& s) {
        s.screen.width = 64;
        s.screen.height = 24;
        return korvane::sim::spectrumScreen(s.screen, s.signal,
                                            korvane::sim::channelsOfActivePlan(s.plans));
    });
    ASSERT_EQ(expected.size(), 192u);
    SafeArray<std::uint8_t> screen;
    std::int16_t result = 0;
    link().ReadSLMScreen(&screen, &result);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), screen.items.begin()));
    // The frame round the edge and the marker line in the middle.
    EXPECT_TRUE(korvane::sim::pixelAt(screen.items, 64, 0, 0));
    EXPECT_TRUE(korvane::sim::pixelAt(screen.items, 64, 63, 23));
    EXPECT_TRUE(korvane::sim::pixelAt(screen.items, 64, 32, 1));
    EXPECT_FALSE(korvane::sim::pixelAt(screen.items, 64, 32, 2));
}

TEST(ScreenMemory, TheStateFileKeepsTheDisplayButNoTransfer) {
    ScreenMemory screen;
    screen.form = ScreenMemory::Form::Big;
    screen.order = ScreenMemory::Order::OddThenEven;
    screen.width = 160;
    screen.height = 8;
    screen.picture = Bytes(160, 0x5A);
    screen.transfer = korvane::sim::ScreenTransfer{};
    const nlohmann::json saved = screen;
    ScreenMemory loaded;
    saved.get_to(loaded);
    EXPECT_EQ(nlohmann::json(loaded), saved);
    EXPECT_EQ(loaded.picture, screen.picture);
    EXPECT_FALSE(loaded.transfer);
    EXPECT_EQ(loaded.blockOrder(5), (std::vector<std::uint8_t>{1, 3, 5, 2, 4}));
}
