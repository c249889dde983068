// Sending channel plans, plan headers and user names to the meter. Every value
// is encoded before the first packet goes out, so a value that does not fit
// fails the method without sending anything.
#include "KorvaneConnection.h"
#include "common/plan_codec_packets.h"
#include "last_failure.h"
#include "plan_protocol.h"

namespace sondrel {
namespace {

// Channel count of a plan array: its upper bound, 1..255.
std::uint8_t channelCountOf(std::int32_t upperBound) {
    if (upperBound < 1 || upperBound > static_cast<std::int32_t>(MaxPlanChannels))
        throw PlanValueDoesNotFit("plan of " + std::to_string(upperBound) + " channels");
    return static_cast<std::uint8_t>(upperBound);
}

// Entry packets of nine channels, then the header packet, each through
// SendAndWait. The meter's answers are not examined, but a packet that cannot
// be written or that the meter does not answer at all (a cable pulled during
// the transfer) fails the method.
std::int16_t carryAnalogPlan(FrameExchange& wire, const Variant& planVariant, UserPlanNumber slot,
                             const ChannelHead& head) {
    const auto& plan = planVariant.asChannels();
    const std::uint8_t channels = channelCountOf(plan.upperBound());
    const std::uint8_t slotCode = slotByte(slot);
    const HeadEntry headEntry = headEntryOf(head);
    const Bytes entries = EncodeAnalogPlan(plan, CodePage::system());
    const auto packets = static_cast<std::uint8_t>(analogEntryPacketCount(channels) + 1);

    const auto send = [&](const Bytes& params) {
        return wire.SendAndWaitForAnswer(PlanAnswerLength, commandBuffer(CmdCarryPlan, params));
    };
    if (!sendPackets(packets - 1u, packets, [&](std::uint8_t k) {
            return send(analogEntryPacket(packets, k, channels, slotCode, entries));
        }))
        return 0;
    return send(analogHeadPacket(packets, headEntry));
}

// Packets of four channels through Exchange; no header.
std::int16_t carryDigitalPlan(FrameExchange& wire, const Variant& planVariant,
                              UserPlanNumber slot) {
    const auto& plan = planVariant.asChannelsDigi();
    const std::uint8_t channels = channelCountOf(plan.upperBound());
    const std::uint8_t slotCode = slotByte(slot);
    const Bytes entries = EncodeDigitalPlan(plan, CodePage::system());
    const auto packets = static_cast<std::uint8_t>(digitalPacketCount(channels));
    Reply answer;
    return sendPackets(packets, [&](std::uint8_t k) {
        return wire.Exchange(PlanAnswerLength,
                             commandBuffer(CmdCarryPlan, digitalEntryPacket(packets, k, channels,
                                                                            slotCode, entries)),
                             answer);
    });
}

// One five-character name per channel, 64 name bytes per packet, through Exchange.
std::int16_t carryUserNames(FrameExchange& wire, UserPlanNumber slot,
                            const SafeArray<Channellist>& plan) {
    channelCountOf(static_cast<std::int32_t>(plan.size()));
    const std::uint8_t slotCode = slotByte(slot);
    const Bytes names = encodeUserNames(plan, CodePage::system());
    const auto packets = static_cast<std::uint8_t>(userNamePacketCount(plan.size()));
    Reply answer;
    return sendPackets(packets, [&](std::uint8_t k) {
        return wire.Exchange(
            PlanAnswerLength,
            commandBuffer(CmdCarryUserNames, userNamePacket(packets, k, slotCode, names)), answer);
    });
}

} // namespace

HResult KorvaneConnection::CarryChannelHead(ChannelHead* Head, Variant* result) {
    const MemberCall call(*this);
    if (!Head || !result) return E_Pointer;
    // The result is whether the packet could be written. Whether the meter
    // answered it does not change the result; a missing or wrong answer is
    // left in the call's failure record, so a client can tell the user.
    *result = Variant::i2(trapped([&]() -> std::int16_t {
        const HeadEntry headEntry = headEntryOf(*Head);
        if (wire().SendAndWaitForAnswer(
                PlanAnswerLength, commandBuffer(CmdCarryPlan, analogHeadPacket(1, headEntry))))
            return 1;
        const FailureKind why = lastFailure().kind;
        return why == FailureKind::NoAnswer || why == FailureKind::WrongAnswer ? 1 : 0;
    }));
    return S_Ok;
}

HResult KorvaneConnection::CarryChannel(Variant* ChannelPlan, UserPlanNumber Plannum,
                                        ChannelHead* Head, Variant* result) {
    const MemberCall call(*this);
    if (!ChannelPlan || !Head || !result) return E_Pointer;
    *result =
        Variant::i2(trapped([&] { return carryAnalogPlan(wire(), *ChannelPlan, Plannum, *Head); }));
    return S_Ok;
}

HResult KorvaneConnection::CarryChannelDigi(Variant* ChannelPlan, UserPlanNumber Plannum,
                                            Variant* result) {
    const MemberCall call(*this);
    if (!ChannelPlan || !result) return E_Pointer;
    *result = Variant::i2(trapped([&] { return carryDigitalPlan(wire(), *ChannelPlan, Plannum); }));
    return S_Ok;
}

HResult KorvaneConnection::UserNameTransmmission(UserPlanNumber Plannum,
                                                 SafeArray<Channellist>* ChannelPlan,
                                                 Variant* result) {
    const MemberCall call(*this);
    if (!ChannelPlan || !result) return E_Pointer;
    *result = Variant::i2(trapped([&] { return carryUserNames(wire(), Plannum, *ChannelPlan); }));
    return S_Ok;
}

} // namespace sondrel
