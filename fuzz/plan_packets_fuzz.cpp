// The plan packets as they arrive from the meter (replies to 0x66) and as the
// library writes them (0x67, 0x71): analogue and digital entry blocks, the plan
// header and the user names. Every packet is decoded into records; where the
// bytes are in the form the library itself writes, encoding the records again
// must give back the very same packet.
//
// Input: one selector byte (bits 0-1 the kind, bit 2 the code page, bit 3 the
// first or a later block), then the packet from its first byte.
#include "fuzz_input.h"

#include "common/plan_codec_numbers.h"
#include "common/plan_codec_packets.h"

#include <algorithm>

namespace {

using namespace sondrel;
using korvane::fuzzing::check;

enum class Kind { Analog, Digital, Head, UserNames };

// The entry bytes of a block, or the header or name bytes, as the packet holds them.
std::span<const std::uint8_t> partOf(const Reply& packet, std::size_t start, std::size_t size) {
    return packet.slice(start, size);
}

bool isKnownAnalogType(std::uint8_t code) {
    return code == 0x01 || code == 0x02 || code == 0x03 || code == 0x04 || code == 0x10 ||
           code == 0x20 || code == 0x30 || code == 0x40;
}

// The form the library writes an analogue entry in: a known type code, a
// frequency below the field's limit, blanks as 0.
bool isWrittenForm(const AnalogEntry& e) {
    return isKnownAnalogType(e.typeCode) && e.freq < FrequencyFieldLimit &&
           std::none_of(e.name.begin(), e.name.end(), [](std::uint8_t c) { return c == ' '; });
}

bool isWrittenForm(const DigitalEntry& e) {
    const bool flagsWritten =
        e.flags == 0 || e.flags == FlagChannelOk || e.flags == FlagChannelAndTiltOk;
    return e.typeCode < 4 && flagsWritten && e.freq < FrequencyFieldLimit &&
           (e.typeCode == 3 || e.audio2 == 0) && e.modulation < 7 && e.name[3] == 0 &&
           e.rate < FrequencyFieldLimit;
}

// A record that came from the wire goes back in the same bytes, when its code
// page gives each of its name bytes a character of its own.
template <typename Entry, typename Record, typename ToRecord, typename ToEntry>
void checkRecordRoundTrip(const Entry& entry, ToRecord toRecord, ToEntry toEntry) {
    const Record record = toRecord(entry);
    try {
        check(toEntry(record) == entry, "record does not encode to the bytes it came from");
    } catch (const PlanValueDoesNotFit&) {
        // A name byte the code page has no character for (a GBK lead byte alone)
        // cannot be sent back; the sending member refuses it.
    }
}

void analogPacket(const Reply& packet, int block, const CodePage& codePage) {
    const auto entries = analogEntriesIn(packet, block);
    const auto records = DecodeAnalogBlock(packet, block, codePage);
    Bytes plan;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        check(records[i] == analogChannelOf(entries[i], codePage),
              "block and entry decoders differ");
        std::array<std::uint8_t, AnalogEntrySize> bytes{};
        packAnalogEntry(entries[i], bytes);
        plan.insert(plan.end(), bytes.begin(), bytes.end());
        if (isWrittenForm(entries[i]))
            checkRecordRoundTrip<AnalogEntry, Channellist>(
                entries[i], [&](const AnalogEntry& e) { return analogChannelOf(e, codePage); },
                [&](const Channellist& c) { return analogEntryOf(c, codePage); });
    }
    const std::size_t start = blockStart(block);
    const auto head = packet.slice(5, start - 5);
    // Packet 1 carries the first block, every later packet a later one.
    const std::uint8_t number = head[1];
    if (block == 1 ? number != 1 : number < 2) return;
    const auto expected = packet.slice(5, start - 5 + plan.size());
    // The packet the library writes for these entries: the entries of block k
    // sit at (k - 1) * 63 in the plan bytes.
    Bytes whole((number - 1u) * plan.size(), 0);
    whole.insert(whole.end(), plan.begin(), plan.end());
    const Bytes written = analogEntryPacket(head[0], number, block == 1 ? head[2] : 0,
                                            block == 1 ? head[3] : 0, whole);
    check(std::equal(expected.begin(), expected.end(), written.begin()),
          "analogue packet does not encode to its own bytes");
}

void digitalPacket(const Reply& packet, int block, const CodePage& codePage) {
    const auto entries = digitalEntriesIn(packet, block);
    const auto records = DecodeDigitalBlock(packet, block, codePage);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        check(records[i] == digitalChannelOf(entries[i], codePage),
              "block and entry decoders differ");
        std::array<std::uint8_t, DigitalEntrySize> bytes{};
        packDigitalEntry(entries[i], bytes);
        const auto original =
            partOf(packet, blockStart(block) + i * DigitalEntrySize, DigitalEntrySize);
        check(std::equal(bytes.begin(), bytes.end(), original.begin()),
              "digital entry does not pack to its own bytes");
        if (isWrittenForm(entries[i]))
            checkRecordRoundTrip<DigitalEntry, ChannellistDigi>(
                entries[i], [&](const DigitalEntry& e) { return digitalChannelOf(e, codePage); },
                [&](const ChannellistDigi& c) { return digitalEntryOf(c, codePage); });
    }
}

void headPacket(const Reply& packet) {
    const HeadEntry entry = headEntryIn(packet);
    std::array<std::uint8_t, HeadEntrySize> bytes{};
    packHeadEntry(entry, bytes);
    const auto original = partOf(packet, HeadPos, HeadEntrySize);
    check(std::equal(bytes.begin(), bytes.end(), original.begin()),
          "header does not pack to its own bytes");
    // The record keeps the span in whole MHz: only whole spans come back unchanged.
    const ChannelHead head = headOf(entry);
    if (entry.span % 100 == 0 && entry.span < SpanFieldLimit)
        check(headEntryOf(head) == entry, "header record does not encode to its bytes");
}

void userNamePacket(const Reply& packet, int block) {
    const std::size_t start = userNameBlockStart(block);
    for (std::size_t i = 0; start + (i + 1) * UserNameEntrySize <= packet.size() && i < 10; ++i) {
        const auto original = partOf(packet, start + i * UserNameEntrySize, UserNameEntrySize);
        const UserNameEntry entry = unpackUserNameEntry(original.first<UserNameEntrySize>());
        std::array<std::uint8_t, UserNameEntrySize> bytes{};
        packUserNameEntry(entry, bytes);
        if (original[5] == 0)
            check(std::equal(bytes.begin(), bytes.end(), original.begin()),
                  "user name does not pack to its own bytes");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvane::fuzzing::FuzzInput input(data, size);
    const std::uint8_t selector = input.byte();
    const auto kind = static_cast<Kind>(selector & 3);
    static const CodePage gbk("GBK");
    static const CodePage westEuropean("WINDOWS-1252");
    const CodePage& codePage = (selector & 4) ? gbk : westEuropean;
    const int block = (selector & 8) ? 1 : 2;
    const auto rest = input.rest();
    const Reply packet(Bytes(rest.begin(), rest.end()));
    try {
        switch (kind) {
        case Kind::Analog:
            analogPacket(packet, block, codePage);
            break;
        case Kind::Digital:
            digitalPacket(packet, block, codePage);
            break;
        case Kind::Head:
            headPacket(packet);
            break;
        case Kind::UserNames:
            userNamePacket(packet, block);
            break;
        }
    } catch (const ReplyTooShort&) {
        // A packet shorter than its block is refused by the bounds-checked reader.
    }
    return 0;
}
