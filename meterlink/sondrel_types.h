// Value types that cross the _KorvaneConnection interface: the records, the
// enumerations, automation-style booleans, dates and arrays with a lower bound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sondrel {

// Result of every interface call, as an HRESULT: negative means the call
// failed and its out-parameters must not be trusted.
using HResult = std::int32_t;
inline constexpr HResult S_Ok = 0;
inline constexpr HResult E_Fail = static_cast<HResult>(0x80004005u);
inline constexpr HResult E_NoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult E_InvalidArg = static_cast<HResult>(0x80070057u);
inline constexpr HResult E_Pointer = static_cast<HResult>(0x80004003u);
inline constexpr HResult ClassENoAggregation = static_cast<HResult>(0x80040110u);
inline constexpr HResult ClassENotAvailable = static_cast<HResult>(0x80040111u);
inline constexpr HResult DispEUnknownName = static_cast<HResult>(0x80020006u);
inline constexpr HResult DispEMemberNotFound = static_cast<HResult>(0x80020003u);
inline constexpr HResult DispEBadParamCount = static_cast<HResult>(0x8002000Eu);
inline constexpr HResult DispETypeMismatch = static_cast<HResult>(0x80020005u);
inline constexpr HResult DispEParamNotOptional = static_cast<HResult>(0x8002000Fu);
inline constexpr HResult DispEException = static_cast<HResult>(0x80020009u);
inline constexpr HResult DispEOverflow = static_cast<HResult>(0x8002000Au);

inline bool failed(HResult hr) {
    return hr < 0;
}

// Automation boolean: -1 true, 0 false.
using VariantBool = std::int16_t;
inline constexpr VariantBool VariantTrue = -1;
inline constexpr VariantBool VariantFalse = 0;

// Automation date: days since 30 December 1899, the fraction being the time of day.
struct ComDate {
    double value = 0.0;
    friend bool operator==(const ComDate&, const ComDate&) = default;
};

// One-dimensional array with a lower bound, as automation clients pass them.
template <typename T> struct SafeArray {
    std::int32_t lowerBound = 0;
    std::vector<T> items;

    std::int32_t upperBound() const {
        return lowerBound + static_cast<std::int32_t>(items.size()) - 1;
    }
    bool empty() const { return items.empty(); }
    std::size_t size() const { return items.size(); }
    // Element by its index within lowerBound..upperBound.
    T& at(std::int32_t index) { return items.at(static_cast<std::size_t>(index - lowerBound)); }
    const T& at(std::int32_t index) const {
        return items.at(static_cast<std::size_t>(index - lowerBound));
    }
    // Re-dimension to lower..upper, every element default-initialised.
    void redim(std::int32_t lower, std::int32_t upper) {
        lowerBound = lower;
        items.assign(upper >= lower ? static_cast<std::size_t>(upper - lower + 1) : 0, T{});
    }
    friend bool operator==(const SafeArray&, const SafeArray&) = default;
};

// The meter's five user channel-plan slots.
enum UserPlanNumber : std::int32_t {
    UserPlanA = 0,
    UserPlanb = 1,
    UserPlanC = 2,
    UserPlanD = 3,
    UserPlanE = 4,
};

enum CnOffset : std::int32_t {
    KvCnOffsetA = 12,
    KvCnOffsetB = 8,
};

// One channel of a plan. Field order is part of the interface.
struct Channellist {
    std::int32_t ChannelNumber = 0;
    std::string Type;
    std::uint8_t Serial = 0;
    float freq = 0.0f;
    VariantBool ChannelOK = VariantFalse;
    VariantBool TiltOK = VariantFalse;
    std::string ChannelName;
    float Audio1 = 0.0f;
    float Audio2 = 0.0f;
    std::string Memo;
    friend bool operator==(const Channellist&, const Channellist&) = default;
};

// A channel of a digital plan: the Channellist fields followed by the symbol rate.
struct ChannellistDigi {
    std::int32_t ChannelNumber = 0;
    std::string Type;
    std::uint8_t Serial = 0;
    float freq = 0.0f;
    VariantBool ChannelOK = VariantFalse;
    VariantBool TiltOK = VariantFalse;
    std::string ChannelName;
    float Audio1 = 0.0f;
    float Audio2 = 0.0f;
    std::string Memo;
    std::string Rate;
    friend bool operator==(const ChannellistDigi&, const ChannellistDigi&) = default;
};

// Plan header: six favourite channels, level unit and span.
struct ChannelHead {
    std::uint8_t Fav1 = 0;
    std::uint8_t Fav2 = 0;
    std::uint8_t Fav3 = 0;
    std::uint8_t Fav4 = 0;
    std::uint8_t Fav5 = 0;
    std::uint8_t Fav6 = 0;
    std::int16_t Span = 0;
    std::uint8_t Un = 0;
    friend bool operator==(const ChannelHead&, const ChannelHead&) = default;
};

// Header of a measurement file stored in the meter.
struct FileHead {
    std::string FileName;
    ComDate FileDate;
    ComDate FileTime;
    std::string FileBaseChannel;
    VariantBool FileInfoLimitsTest = VariantFalse;
    VariantBool FileInfoTilt = VariantFalse;
    VariantBool FileInfoSpect = VariantFalse;
    VariantBool FileInfoScan = VariantFalse;
    VariantBool FileInfoLevel = VariantFalse;
    VariantBool FileInfo24Hour = VariantFalse;
    VariantBool FileInfoQAM = VariantFalse;
    friend bool operator==(const FileHead&, const FileHead&) = default;
};

} // namespace sondrel
