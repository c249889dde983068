// Late-bound arguments as an automation client may pass them: any value,
// converted to every type a parameter can ask for, and whole argument lists of
// every member converted and written back as a call does. Dates also as text:
// a date text that reads as a date is written and read back to the same date.
//
// Input: a mode byte (0 conversions, 1 a member's arguments, 2 a date text),
// then the values, each a kind byte and the bytes of its value.
#include "fuzz_input.h"

#include "common/dispatch_coercion.h"
#include "common/dispatch_members.h"
#include "dispatch_arguments.h"

#include <bit>
#include <cstring>

namespace {

using namespace sondrel;
using korvane::fuzzing::check;
using korvane::fuzzing::FuzzInput;

template <typename T> T numberFrom(FuzzInput& input) {
    std::array<std::uint8_t, sizeof(T)> bytes{};
    const auto run = input.take(sizeof(T));
    std::copy(run.begin(), run.end(), bytes.begin());
    return std::bit_cast<T>(bytes);
}

std::string textFrom(FuzzInput& input) {
    const auto run = input.counted();
    return {run.begin(), run.end()};
}

VariantBool flagFrom(FuzzInput& input) {
    return (input.byte() & 1) ? VariantTrue : VariantFalse;
}

Channellist channelFrom(FuzzInput& input) {
    Channellist c;
    c.ChannelNumber = numberFrom<std::int32_t>(input);
    c.Type = textFrom(input);
    c.ChannelName = textFrom(input);
    c.freq = numberFrom<float>(input);
    c.Audio1 = numberFrom<float>(input);
    c.Memo = textFrom(input);
    c.ChannelOK = flagFrom(input);
    return c;
}

ChannellistDigi digitalChannelFrom(FuzzInput& input) {
    ChannellistDigi c;
    c.ChannelNumber = numberFrom<std::int32_t>(input);
    c.Type = textFrom(input);
    c.ChannelName = textFrom(input);
    c.freq = numberFrom<float>(input);
    c.Audio1 = numberFrom<float>(input);
    c.Audio2 = numberFrom<float>(input);
    c.Memo = textFrom(input);
    c.Rate = textFrom(input);
    c.TiltOK = flagFrom(input);
    return c;
}

template <typename T, typename Make> SafeArray<T> arrayFrom(FuzzInput& input, Make make) {
    SafeArray<T> array;
    array.lowerBound = static_cast<std::int8_t>(input.byte());
    const std::size_t count = input.byte() % 8;
    for (std::size_t i = 0; i < count && !input.empty(); ++i)
        array.items.push_back(make(input));
    return array;
}

Variant valueFrom(FuzzInput& input, int depth = 0) {
    switch (input.byte() % 16) {
    case 0:
        return Variant();
    case 1:
        return Variant::null();
    case 2:
        return Variant::i2(numberFrom<std::int16_t>(input));
    case 3:
        return Variant::i4(numberFrom<std::int32_t>(input));
    case 4:
        return Variant::ui1(input.byte());
    case 5:
        return Variant::r4(numberFrom<float>(input));
    case 6:
        return Variant::r8(numberFrom<double>(input));
    case 7:
        return Variant::bstr(textFrom(input));
    case 8:
        return Variant::boolean(input.byte() & 1);
    case 9:
        return Variant::date(ComDate{numberFrom<double>(input)});
    case 10:
        return Variant::bytes(
            arrayFrom<std::uint8_t>(input, [](FuzzInput& in) { return in.byte(); }));
    case 11:
        return Variant::channels(arrayFrom<Channellist>(input, channelFrom));
    case 12:
        return Variant::channelsDigi(arrayFrom<ChannellistDigi>(input, digitalChannelFrom));
    case 13:
        if (depth > 2) return Variant();
        return Variant::variants(
            arrayFrom<Variant>(input, [depth](FuzzInput& in) { return valueFrom(in, depth + 1); }));
    case 14: {
        ChannelHead head;
        head.Fav1 = input.byte();
        head.Un = input.byte();
        head.Span = numberFrom<std::int16_t>(input);
        return Variant::head(head);
    }
    default: {
        FileHead head;
        head.FileName = textFrom(input);
        head.FileDate = ComDate{numberFrom<double>(input)};
        head.FileTime = ComDate{numberFrom<double>(input)};
        head.FileBaseChannel = textFrom(input);
        return Variant::fileHead(head);
    }
    }
}

void convertToEveryType(FuzzInput& input) {
    const Variant value = valueFrom(input);
    for (int t = static_cast<int>(VarType::Empty); t <= static_cast<int>(VarType::FileHeader);
         ++t) {
        try {
            const Variant converted = coerce(value, static_cast<VarType>(t));
            check(converted.type() == static_cast<VarType>(t) ||
                      t == static_cast<int>(VarType::Empty) || t == static_cast<int>(VarType::Null),
                  "conversion gave a value of another type than asked");
        } catch (const CoercionError&) {
        }
    }
}

void callArguments(FuzzInput& input) {
    const MemberInfo& member = KorvaneMembers[input.byte() % KorvaneMembers.size()];
    std::vector<Variant> args;
    for (std::size_t i = 0; i < member.params.size(); ++i)
        args.push_back(valueFrom(input));
    try {
        CallArguments converted(member, args);
        converted.writeBack(args);
    } catch (const InvokeError&) {
    }
}

void dateText(FuzzInput& input) {
    const std::string text = input.restAsText();
    const auto date = parseDate(text);
    if (!date) return;
    const auto written = formatDate(*date);
    if (!written) return; // outside the years a date text can name
    const auto reread = parseDate(*written);
    check(reread.has_value(), "a written date does not read back: " + *written);
    check(formatDate(*reread) == written, "a date does not keep its text: " + *written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    switch (input.byte() % 3) {
    case 0:
        convertToEveryType(input);
        break;
    case 1:
        callArguments(input);
        break;
    default:
        dateText(input);
        break;
    }
    return 0;
}
