// Reading channel plans from the meter's slots, and selecting and reporting
// the meter's active plan slot.
#include "plan_protocol.h"
#include "KorvaneConnection.h"
#include "common/plan_codec_packets.h"

#include <algorithm>

namespace sondrel {
namespace {

// Copies the entries of block k (counted from 1) of `perBlock` entries into
// plan(1..n) at (k - 1) * perBlock + j. False once an index beyond n came up,
// which ends the read.
template <typename Record, std::size_t PerBlock>
bool fillBlock(SafeArray<Record>& plan, int k, const std::array<Record, PerBlock>& block) {
    for (std::size_t j = 1; j <= PerBlock; ++j) {
        const std::int32_t index =
            (k - 1) * static_cast<std::int32_t>(PerBlock) + static_cast<std::int32_t>(j);
        if (index > plan.upperBound()) return false;
        plan.at(index) = block[j - 1];
    }
    return true;
}

// An analogue plan: entry packets of nine channels, then the header packet.
// The caller's array is re-dimensioned after the first reply and keeps what
// arrived when a later exchange fails.
std::int16_t readAnalogPlan(FrameExchange& wire, UserPlanNumber slot, SafeArray<Channellist>& plan,
                            ChannelHead& head) {
    const CodePage codePage = CodePage::system();
    Reply reply;
    if (!wire.Exchange(AnalogFirstPacketLength, commandBuffer(CmdReadPlan, Bytes{slotByte(slot)}),
                       reply))
        return 0;
    const int packets = reply.byte(PacketCountPos);
    const int channels = reply.byte(ChannelCountPos);
    if (channels == 0) return 0;
    plan.redim(1, channels);
    bool more = fillBlock(plan, 1, DecodeAnalogBlock(reply, reply.byte(PacketNumberPos), codePage));
    if (!transferContinues(1, packets)) return 0;

    const Bytes nextPacket = commandBuffer(CmdReadPlan);
    for (int k = 2; more && k <= packets - 1; ++k) {
        yieldToCaller();
        if (!wire.Exchange(AnalogNextPacketLength, nextPacket, reply)) return 0;
        more = fillBlock(plan, k, DecodeAnalogBlock(reply, k, codePage));
        if (!transferContinues(k, packets)) return 0;
    }
    yieldToCaller();
    if (!wire.Exchange(HeadPacketLength, nextPacket, reply)) return 0;
    head = headOf(headEntryIn(reply));
    return 1;
}

// A digital plan: packets of four channels, no header. The array goes to the
// caller only when every packet arrived.
std::int16_t readDigitalPlan(FrameExchange& wire, UserPlanNumber slot, Variant& out) {
    const CodePage codePage = CodePage::system();
    Reply reply;
    if (!wire.Exchange(DigitalFirstPacketLength, commandBuffer(CmdReadPlan, Bytes{slotByte(slot)}),
                       reply))
        return 0;
    const int packets = reply.byte(PacketCountPos);
    const int channels = reply.byte(ChannelCountPos);
    if (channels == 0) return 0;
    SafeArray<ChannellistDigi> plan;
    plan.redim(1, channels);
    bool more =
        fillBlock(plan, 1, DecodeDigitalBlock(reply, reply.byte(PacketNumberPos), codePage));
    if (more && !transferContinues(1, packets)) return 0;

    const Bytes nextPacket = commandBuffer(CmdReadPlan);
    for (int k = 2; more && k <= packets; ++k) {
        yieldToCaller();
        if (!wire.Exchange(DigitalNextPacketLength, nextPacket, reply)) return 0;
        more = fillBlock(plan, k, DecodeDigitalBlock(reply, k, codePage));
        if (more && !transferContinues(k, packets)) return 0;
    }
    out = Variant::channelsDigi(std::move(plan));
    return 1;
}

} // namespace

HResult KorvaneConnection::ReadChannel(UserPlanNumber Plannum, SafeArray<Channellist>* ChannelPlan,
                                       ChannelHead* Head, Variant* result) {
    const MemberCall call(*this);
    if (!ChannelPlan || !Head || !result) return E_Pointer;
    *result =
        Variant::i2(trapped([&] { return readAnalogPlan(wire(), Plannum, *ChannelPlan, *Head); }));
    return S_Ok;
}

HResult KorvaneConnection::ReadChannelDigi(UserPlanNumber Plannum, Variant* ChannelPlan,
                                           Variant* result) {
    const MemberCall call(*this);
    if (!ChannelPlan || !result) return E_Pointer;
    *result = Variant::i2(trapped([&] { return readDigitalPlan(wire(), Plannum, *ChannelPlan); }));
    return S_Ok;
}

HResult KorvaneConnection::CarryPlanNum(UserPlanNumber Plannum, Variant* result) {
    const MemberCall call(*this);
    if (!result) return E_Pointer;
    *result = Variant::i2(trapped([&] {
        Reply reply;
        const std::int16_t done = wire().Exchange(
            PlanNumberReplyLength, commandBuffer(CmdSelectPlan, Bytes{slotByte(Plannum)}), reply);
        yieldToCaller();
        return done;
    }));
    return S_Ok;
}

HResult KorvaneConnection::ReadPlanNum(UserPlanNumber* NowChannel, std::int16_t* result) {
    const MemberCall call(*this);
    if (!NowChannel || !result) return E_Pointer;
    *result = trapped([&] {
        Reply reply;
        const std::int16_t done =
            wire().Exchange(PlanNumberReplyLength, commandBuffer(CmdReadPlanNumber), reply);
        if (done) *NowChannel = static_cast<UserPlanNumber>(reply.byte(PlanNumberPos));
        return done;
    });
    return S_Ok;
}

} // namespace sondrel
