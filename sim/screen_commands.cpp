// Screen copy (0x72): the first request (with a parameter) takes a snapshot of
// the display and sends its first block; each bare request sends the next.
#include "handlers.h"

#include <algorithm>

namespace korvane::sim {
namespace {

using sondrel::Bytes;

constexpr std::uint8_t CmdReadScreen = 0x72;

Bytes blockReply(const ScreenTransfer& transfer, const sondrel::ScreenForm& form,
                 std::uint8_t number) {
    Bytes data(form.replyLength - sondrel::FrameOverhead, 0);
    data[0] = static_cast<std::uint8_t>(transfer.blockOrder.size());
    data[1] = number;
    const std::size_t from = (number - 1u) * form.blockSize;
    const std::size_t count = std::min(form.blockSize, transfer.picture.size() - from);
    std::copy_n(transfer.picture.begin() + static_cast<std::ptrdiff_t>(from), count,
                data.begin() + 2);
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
            transfer.blockOrder = screen.blockOrder(std::clamp<std::size_t>(count, 1, 255));
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
