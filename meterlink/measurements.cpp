#include "KorvaneConnection.h"

namespace sondrel {

// Not built yet: every member fails with result 0.

HResult KorvaneConnection::GetCN(const Variant& freq, Variant* cnvalue, Variant* result) {
    (void)freq;
    (void)cnvalue;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::GetlevelByChannel(const Variant& chnum, Variant* videolevel,
                                             Variant* peak_videolevel, Variant* adjust_videolevel,
                                             Variant* audiolevel, Variant* peadk_audiolevel,
                                             Variant* adjust_audiolevel, Variant* result) {
    (void)chnum;
    (void)videolevel;
    (void)peak_videolevel;
    (void)adjust_videolevel;
    (void)audiolevel;
    (void)peadk_audiolevel;
    (void)adjust_audiolevel;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::GetLevelByFrequence(const Variant& freq, Variant* levelvalue,
                                               Variant* result) {
    (void)freq;
    (void)levelvalue;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::ReadDigi(std::int16_t nowchan, float* power, float* powerpj, float* mer,
                                    float* ber, std::int16_t* zhishu, std::int16_t* dishu,
                                    Variant* result) {
    (void)nowchan;
    (void)power;
    (void)powerpj;
    (void)mer;
    (void)ber;
    (void)zhishu;
    (void)dishu;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::ReadPowerDigi(std::int16_t nowchan, float* power, float* powerpj,
                                         Variant* result) {
    (void)nowchan;
    (void)power;
    (void)powerpj;
    *result = Variant::i2(0);
    return S_Ok;
}

HResult KorvaneConnection::askwendb(std::int16_t* WenDB, std::int16_t* result) {
    (void)WenDB;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::SetupFreq(float freq, Variant* freqrev, std::int16_t* result) {
    (void)freq;
    (void)freqrev;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::ReadNowChannel(std::string* NowChannel, std::int16_t* result) {
    (void)NowChannel;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::SetupNowChannel(std::string* NowChannel, std::int16_t* result) {
    (void)NowChannel;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::GetFreqOffset(const Variant& freq, Variant* FreqOffsetValue,
                                         Variant* result) {
    (void)freq;
    (void)FreqOffsetValue;
    *result = Variant::i2(0);
    return S_Ok;
}

} // namespace sondrel
