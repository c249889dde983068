// Copies the meter's display memory, block by block, into a fixed-size buffer.
// The picture inside is the meter's; the library does not look at it.
#include "KorvaneConnection.h"
#include "common/command_codes.h"

#include "common/member_errors.h"
#include "common/screen_blocks.h"
#include "yield_hook.h"

#include <algorithm>
#include <stdexcept>

namespace sondrel {
namespace {

class BlockOutOfRange : public std::out_of_range {
  public:
    using std::out_of_range::out_of_range;
};

// Copies the block a reply carries to its place; a block numbered 0 or not
// fitting the buffer completely is refused.
void placeBlock(const Reply& reply, const ScreenForm& form, Bytes& buffer) {
    const std::size_t number = reply.byte(ScreenBlockNumberPos);
    if (number == 0 || number > form.lastBlock())
        throw BlockOutOfRange("screen block " + std::to_string(number) + " outside the picture");
    const auto block = reply.slice(ScreenBlockDataPos, form.blockSize);
    std::copy(block.begin(), block.end(),
              buffer.begin() + static_cast<std::ptrdiff_t>((number - 1) * form.blockSize));
}

// The whole buffer, or nullopt when any block did not come whole and checked:
// a lost or damaged block must not leave the previous one in its place.
std::optional<Bytes> collectScreen(FrameExchange& wire, const ScreenForm& form) {
    const auto replyLength = static_cast<std::uint8_t>(form.replyLength);
    const std::uint8_t first[] = {0};
    Reply reply;
    if (wire.Exchange(replyLength, commandBuffer(CmdReadScreen, first), reply) == 0)
        return std::nullopt;
    Bytes buffer(form.bufferSize, 0);
    const std::size_t blockCount = reply.byte(ScreenBlockCountPos);
    placeBlock(reply, form, buffer);
    const Bytes next = commandBuffer(CmdReadScreen);
    for (std::size_t block = 2; block <= blockCount; ++block) {
        yieldToCaller();
        if (wire.Exchange(replyLength, next, reply) == 0) return std::nullopt;
        placeBlock(reply, form, buffer);
    }
    return buffer;
}

void handOver(Bytes buffer, SafeArray<std::uint8_t>& screen) {
    screen.lowerBound = 0;
    screen.items = std::move(buffer);
}

} // namespace

HResult KorvaneConnection::ReadSLMScreen(SafeArray<std::uint8_t>* SLMScreen, std::int16_t* result) {
    const MemberCall call(*this);
    if (!SLMScreen || !result) return E_Pointer;
    *result = 0;
    try {
        auto buffer = collectScreen(wire(), SmallScreenForm);
        if (!buffer) return S_Ok;
        handOver(std::move(*buffer), *SLMScreen);
        *result = 1;
    } catch (const std::exception&) {
    }
    return S_Ok;
}

HResult KorvaneConnection::ReadSLMScreenBig(SafeArray<std::uint8_t>* SLMScreen,
                                            std::int16_t* result) {
    const MemberCall call(*this);
    if (!SLMScreen || !result) return E_Pointer;
    // Errors are not trapped here: they fail the call.
    try {
        auto buffer = collectScreen(wire(), BigScreenForm);
        *result = 0;
        if (!buffer) return S_Ok;
        handOver(std::move(*buffer), *SLMScreen);
        *result = 1;
    } catch (const BlockOutOfRange&) {
        return MemberESubscriptOutOfRange;
    } catch (const std::exception&) {
        return E_Fail;
    }
    return S_Ok;
}

} // namespace sondrel
