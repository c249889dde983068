#include "KorvaneConnection.h"

namespace sondrel {

// Not built yet: every member fails with result 0.

HResult KorvaneConnection::CarryPlanNum(UserPlanNumber Plannum, Variant* result) {
    (void)Plannum;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::ReadChannel(UserPlanNumber Plannum, SafeArray<Channellist>* ChannelPlan,
                                       ChannelHead* Head, Variant* result) {
    (void)Plannum;
    (void)ChannelPlan;
    (void)Head;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::ReadChannelDigi(UserPlanNumber Plannum, Variant* ChannelPlan,
                                           Variant* result) {
    (void)Plannum;
    (void)ChannelPlan;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::CarryChannelHead(ChannelHead* Head, Variant* result) {
    (void)Head;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::CarryChannel(Variant* ChannelPlan, UserPlanNumber Plannum,
                                        ChannelHead* Head, Variant* result) {
    (void)ChannelPlan;
    (void)Plannum;
    (void)Head;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::CarryChannelDigi(Variant* ChannelPlan, UserPlanNumber Plannum,
                                            Variant* result) {
    (void)ChannelPlan;
    (void)Plannum;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::UserNameTransmmission(UserPlanNumber Plannum,
                                                 SafeArray<Channellist>* ChannelPlan,
                                                 Variant* result) {
    (void)Plannum;
    (void)ChannelPlan;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::ReadPlanNum(UserPlanNumber* NowChannel, std::int16_t* result) {
    (void)NowChannel;
    *result = 0;
    return S_Ok;
}

} // namespace sondrel
