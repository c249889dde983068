#include "plan_memory.h"

#include "common/plan_codec_packets.h"
#include "demo_plans.h"
#include "state_fields.h"

#include <stdexcept>

namespace korvane::sim {
namespace {

using nlohmann::json;

// Name bytes as text, each byte the character of the same code (Latin-1), so
// that ASCII names read as themselves and every byte survives the file.
std::string textOfBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        if (b < 0x80) {
            text += static_cast<char>(b);
        } else {
            text += static_cast<char>(0xC0 | b >> 6);
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

template <std::size_t N> std::array<std::uint8_t, N> bytesOfText(const std::string& text) {
    std::array<std::uint8_t, N> bytes{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const auto lead = static_cast<unsigned char>(text[i]);
        unsigned code = lead;
        if (lead >= 0x80) {
            const bool twoBytes = (lead == 0xC2 || lead == 0xC3) && i + 1 < text.size();
            if (!twoBytes) throw std::invalid_argument("name holds a character above code 255");
            code = (lead & 0x1F) << 6 | (static_cast<unsigned char>(text[i + 1]) & 0x3F);
            ++i;
        }
        ++i;
        if (count < N) bytes[count] = static_cast<std::uint8_t>(code);
    }
    if (count != N)
        throw std::invalid_argument("name \"" + text + "\" is not " + std::to_string(N) +
                                    " characters long");
    return bytes;
}

json analogJson(const sondrel::AnalogEntry& e) {
    return {{"name", textOfBytes(e.name)}, {"freq_10kHz", e.freq}, {"typeCode", e.typeCode}};
}

// Frequencies travel in three bytes.
constexpr double HighestFreq10kHz = 0xFFFFFF;

sondrel::AnalogEntry analogOfJson(const json& j) {
    const std::string s = "plans.channels";
    sondrel::AnalogEntry e;
    e.name = bytesOfText<3>(j.at("name").get<std::string>());
    e.freq = wholeField<std::uint32_t>(j, s, "freq_10kHz", HighestFreq10kHz);
    e.typeCode = wholeField<std::uint8_t>(j, s, "typeCode");
    return e;
}

json digitalJson(const sondrel::DigitalEntry& e) {
    return {{"typeCode", e.typeCode},     {"number", e.number},          {"flags", e.flags},
            {"freq_10kHz", e.freq},       {"audio1_10kHz", e.audio1},    {"audio2_10kHz", e.audio2},
            {"modulation", e.modulation}, {"name", textOfBytes(e.name)}, {"rate_kSps", e.rate}};
}

sondrel::DigitalEntry digitalOfJson(const json& j) {
    const std::string s = "plans.channels";
    sondrel::DigitalEntry e;
    e.typeCode = wholeField<std::uint8_t>(j, s, "typeCode");
    e.number = wholeField<std::uint8_t>(j, s, "number");
    e.flags = wholeField<std::uint8_t>(j, s, "flags");
    e.freq = wholeField<std::uint32_t>(j, s, "freq_10kHz", HighestFreq10kHz);
    e.audio1 = wholeField<std::uint16_t>(j, s, "audio1_10kHz");
    e.audio2 = wholeField<std::uint16_t>(j, s, "audio2_10kHz");
    e.modulation = wholeField<std::uint8_t>(j, s, "modulation");
    e.name = bytesOfText<4>(j.at("name").get<std::string>());
    e.rate = wholeField<std::uint32_t>(j, s, "rate_kSps");
    return e;
}

json headJson(const sondrel::HeadEntry& h) {
    return {{"favourites", h.favourites}, {"unit", h.unit}, {"span_10kHz", h.span}};
}

sondrel::HeadEntry headOfJson(const json& j) {
    sondrel::HeadEntry h;
    const json& favourites = j.at("favourites");
    if (!favourites.is_array() || favourites.size() != h.favourites.size())
        throw StateFieldError("field plans.head.favourites must hold 6 numbers");
    for (std::size_t i = 0; i < h.favourites.size(); ++i)
        h.favourites[i] = byteField(favourites[i], "plans.head.favourites");
    h.unit = wholeField<std::uint8_t>(j, "plans.head", "unit");
    h.span = wholeField<std::uint16_t>(j, "plans.head", "span_10kHz");
    return h;
}

template <typename Entry, typename ToJson>
json listJson(const std::vector<Entry>& entries, ToJson toJson) {
    json list = json::array();
    for (const auto& e : entries)
        list.push_back(toJson(e));
    return list;
}

template <typename OfJson> auto listOfJson(const json& list, OfJson ofJson) {
    std::vector<decltype(ofJson(list.front()))> entries;
    if (list.size() > sondrel::MaxPlanChannels)
        throw std::invalid_argument("a plan slot holds at most 255 channels");
    for (const auto& j : list)
        entries.push_back(ofJson(j));
    return entries;
}

json slotJson(const PlanSlot& slot) {
    json j;
    if (const auto* analog = std::get_if<AnalogPlan>(&slot.plan)) {
        j = {{"kind", "analogue"},
             {"head", headJson(analog->head)},
             {"channels", listJson(analog->channels, analogJson)}};
    } else {
        j = {{"kind", "digital"},
             {"channels", listJson(std::get<DigitalPlan>(slot.plan).channels, digitalJson)}};
    }
    j["userNames"] = listJson(slot.userNames,
                              [](const sondrel::UserNameEntry& e) { return textOfBytes(e.name); });
    return j;
}

PlanSlot slotOfJson(const json& j) {
    PlanSlot slot;
    const std::string kind = j.at("kind").get<std::string>();
    const json& channels = j.value("channels", json::array());
    if (kind == "analogue") {
        AnalogPlan plan;
        if (j.contains("head")) plan.head = headOfJson(j.at("head"));
        plan.channels = listOfJson(channels, analogOfJson);
        slot.plan = std::move(plan);
    } else if (kind == "digital") {
        DigitalPlan plan;
        plan.channels = listOfJson(channels, digitalOfJson);
        slot.plan = std::move(plan);
    } else {
        throw std::invalid_argument("plan kind \"" + kind + "\" is neither analogue nor digital");
    }
    for (const auto& name : j.value("userNames", json::array()))
        slot.userNames.push_back({bytesOfText<5>(name.get<std::string>())});
    return slot;
}

} // namespace

PlanMemory::PlanMemory() : slots(demoPlanSlots()) {}

void to_json(json& j, const PlanMemory& memory) {
    json slots = json::array();
    for (const auto& slot : memory.slots)
        slots.push_back(slotJson(slot));
    j = {{"activeSlot", memory.activeSlot}, {"slots", slots}};
}

void from_json(const json& j, PlanMemory& memory) {
    if (j.contains("slots")) {
        const json& slots = j.at("slots");
        if (slots.size() != PlanSlotCount)
            throw std::invalid_argument("the meter has exactly five plan slots");
        for (std::size_t i = 0; i < PlanSlotCount; ++i)
            memory.slots[i] = slotOfJson(slots.at(i));
    }
    if (j.contains("activeSlot")) {
        memory.activeSlot = wholeField<std::uint8_t>(j, "plans", "activeSlot", PlanSlotCount - 1);
    }
}

} // namespace korvane::sim
