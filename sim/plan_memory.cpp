#include "plan_memory.h"

#include "common/plan_codec_packets.h"
#include "demo_plans.h"
#include "state_fields.h"

#include <stdexcept>

namespace korvane::sim {
namespace {

using nlohmann::json;

// A name of exactly N bytes (see textOfBytes).
template <std::size_t N>
std::array<std::uint8_t, N> nameOfText(const std::string& text, const std::string& field) {
    const auto bytes = bytesOfText(text, field);
    if (bytes.size() != N)
        throw StateFieldError("field " + field + ": name \"" + text + "\" is not " +
                              std::to_string(N) + " characters long");
    std::array<std::uint8_t, N> name{};
    std::copy(bytes.begin(), bytes.end(), name.begin());
    return name;
}

json analogJson(const sondrel::AnalogEntry& e) {
    return {{"name", textOfBytes(e.name)}, {"freq_10kHz", e.freq}, {"typeCode", e.typeCode}};
}

// Frequencies travel in three bytes.
constexpr double HighestFreq10kHz = 0xFFFFFF;

sondrel::AnalogEntry analogOfJson(const json& j) {
    const std::string s = "plans.channels";
    requireObject(j, s);
    sondrel::AnalogEntry e;
    e.name = nameOfText<3>(requiredText(j, s, "name"), s + ".name");
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
    requireObject(j, s);
    sondrel::DigitalEntry e;
    e.typeCode = wholeField<std::uint8_t>(j, s, "typeCode");
    e.number = wholeField<std::uint8_t>(j, s, "number");
    e.flags = wholeField<std::uint8_t>(j, s, "flags");
    e.freq = wholeField<std::uint32_t>(j, s, "freq_10kHz", HighestFreq10kHz);
    e.audio1 = wholeField<std::uint16_t>(j, s, "audio1_10kHz");
    e.audio2 = wholeField<std::uint16_t>(j, s, "audio2_10kHz");
    e.modulation = wholeField<std::uint8_t>(j, s, "modulation");
    e.name = nameOfText<4>(requiredText(j, s, "name"), s + ".name");
    e.rate = wholeField<std::uint32_t>(j, s, "rate_kSps");
    return e;
}

json headJson(const sondrel::HeadEntry& h) {
    return {{"favourites", h.favourites}, {"unit", h.unit}, {"span_10kHz", h.span}};
}

sondrel::HeadEntry headOfJson(const json& j) {
    requireObject(j, "plans.head");
    sondrel::HeadEntry h;
    const json* favourites = typedField(j, "plans.head", "favourites", json::value_t::array);
    if (!favourites || favourites->size() != h.favourites.size())
        throw StateFieldError("field plans.head.favourites must hold 6 numbers");
    for (std::size_t i = 0; i < h.favourites.size(); ++i)
        h.favourites[i] = byteField((*favourites)[i], "plans.head.favourites");
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

// The entries of the list `key` of a slot (none when it is absent).
template <typename OfJson> auto listOfJson(const json& slot, const char* key, OfJson ofJson) {
    std::vector<decltype(ofJson(slot))> entries;
    const json* list = typedField(slot, "plans.slots", key, json::value_t::array);
    if (!list) return entries;
    if (list->size() > sondrel::MaxPlanChannels)
        throw StateFieldError("field plans.slots." + std::string(key) +
                              ": a plan slot holds at most 255 channels");
    for (const auto& j : *list)
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
    requireObject(j, "plans.slots");
    PlanSlot slot;
    if (!j.contains("kind")) throw StateFieldError("field plans.slots.kind is missing");
    if (choiceField(j, "plans.slots", "kind", "", {"analogue", "digital"}) == "analogue") {
        AnalogPlan plan;
        if (j.contains("head")) plan.head = headOfJson(j.at("head"));
        plan.channels = listOfJson(j, "channels", analogOfJson);
        slot.plan = std::move(plan);
    } else {
        DigitalPlan plan;
        plan.channels = listOfJson(j, "channels", digitalOfJson);
        slot.plan = std::move(plan);
    }
    slot.userNames = listOfJson(j, "userNames", [](const json& name) {
        if (!name.is_string())
            throw StateFieldError("field plans.slots.userNames must hold texts, not " +
                                  name.dump().substr(0, 40));
        return sondrel::UserNameEntry{
            nameOfText<5>(name.get<std::string>(), "plans.slots.userNames")};
    });
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
    requireObject(j, "plans");
    if (const json* slots = typedField(j, "plans", "slots", json::value_t::array)) {
        if (slots->size() != PlanSlotCount)
            throw StateFieldError("field plans.slots must hold exactly five plan slots");
        for (std::size_t i = 0; i < PlanSlotCount; ++i)
            memory.slots[i] = slotOfJson(slots->at(i));
    }
    if (j.contains("activeSlot")) {
        memory.activeSlot = wholeField<std::uint8_t>(j, "plans", "activeSlot", PlanSlotCount - 1);
    }
}

} // namespace korvane::sim
