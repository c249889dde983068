// Screen copy (0x72): the first request (with a parameter) takes a snapshot of
// the display and sends its first block; each bare request sends the next.
#include "common/command_codes.h"
#include "handlers.h"

#include <algorithm>

namespace korvane::sim {

using namespace sondrel::command_codes;
namespace {

using sondrel::Bytes;

// Reply data starts at reply position 5.
constexpr std::size_t DataStart = 5;
// The block count travels in one byte.
constexpr std::size_t MostBlocks = 255;

// The reply carrying block `number` of a picture padded to whole blocks.
Bytes blockReply(const ScreenTransfer& transfer, const sondrel::ScreenForm& form,
                 std::uint8_t number) {
    Bytes data(form.replyLength - sondrel::FrameOverhead, 0);
    data[sondrel::ScreenBlockCountPos - DataStart] =
        static_cast<std::uint8_t>(transfer.blockOrder.size());
    data[sondrel::ScreenBlockNumberPos - DataStart] = number;
    std::copy_n(
        transfer.picture.begin() + static_cast<std::ptrdiff_t>((number - 1u) * form.blockSize),
        form.blockSize,
        data.begin() + static_cast<std::ptrdiff_t>(sondrel::ScreenBlockDataPos - DataStart));
    return makeReply(CmdReadScreen, form.replyLength, data);
}

} // namespace

void registerScreenCommands(CommandTable& table, MeterState& state) {
    table.on(CmdReadScreen, [&state](const ReceivedFrame& f) -> std::optional<Bytes> {
        ScreenMemory& screen = state.screen;
        const sondrel::ScreenForm& form = screen.blocks();
        if (!f.params().empty()) {
            ScreenTransfer transfer;
            transfer.picture = screen.picture.value_or(
                spectrumScreen(screen, state.signal, channelsOfActivePlan(state.plans)));
            const std::size_t count =
                (transfer.picture.size() + form.blockSize - 1) / form.blockSize;
            transfer.blockOrder = screen.blockOrder(std::clamp<std::size_t>(count, 1, MostBlocks));
            transfer.picture.resize(transfer.blockOrder.size() * form.blockSize, 0);
            screen.transfer = std::move(transfer);
        }
        auto& transfer = screen.transfer;
        if (!transfer || transfer->next >= transfer->blockOrder.size()) return std::nullopt;
        Bytes reply = blockReply(*transfer, form, transfer->blockOrder[transfer->next++]);
        if (transfer->next >= transfer->blockOrder.size()) transfer.reset();
        return reply;
    });
}

} // namespace korvane::sim
