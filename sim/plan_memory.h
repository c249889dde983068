// Simulated meter: the five user plan slots, the active slot, and the state of
// a plan read or write that runs over several packets. Slots hold exactly the
// bytes the meter was sent, split into their fields.
#pragma once

#include "common/plan_codec_entries.h"
#include "frame.h"

#include <array>
#include <nlohmann/json.hpp>
#include <optional>
#include <variant>
#include <vector>

namespace korvane::sim {

inline constexpr std::size_t PlanSlotCount = 5;

// An analogue plan and the header (favourites, unit, span) shown with it.
struct AnalogPlan {
    std::vector<sondrel::AnalogEntry> channels;
    sondrel::HeadEntry head;
    friend bool operator==(const AnalogPlan&, const AnalogPlan&) = default;
};

struct DigitalPlan {
    std::vector<sondrel::DigitalEntry> channels;
    friend bool operator==(const DigitalPlan&, const DigitalPlan&) = default;
};

struct PlanSlot {
    std::variant<AnalogPlan, DigitalPlan> plan;
    // Five-character user names, one per channel, sent apart from the plan.
    std::vector<sondrel::UserNameEntry> userNames;
    friend bool operator==(const PlanSlot&, const PlanSlot&) = default;
};

// A plan read in progress: the packet the next request without a slot gets.
struct PlanReadCursor {
    std::uint8_t slot = 0;
    std::uint8_t nextPacket = 0;
};

// A write of several packets in progress; stored in its slot only once its
// last packet arrived in sequence.
struct PendingPlanWrite {
    enum class Kind { Analog, Digital, UserNames };
    Kind kind = Kind::Analog;
    std::uint8_t packets = 0;
    std::uint8_t nextPacket = 0;
    std::uint8_t channels = 0;
    std::uint8_t slot = 0;
    std::vector<sondrel::AnalogEntry> analog;
    std::vector<sondrel::DigitalEntry> digital;
    sondrel::Bytes names;
};

struct PlanMemory {
    PlanMemory(); // starts with the demonstration plans
    std::array<PlanSlot, PlanSlotCount> slots;
    std::uint8_t activeSlot = 0;
    std::optional<PlanReadCursor> read;
    std::optional<PendingPlanWrite> write;
};

// Only the slots and the active slot are kept; transfers in progress are not.
// Names appear as text of one character per byte (code 0 as \u0000).
void to_json(nlohmann::json& j, const PlanMemory& memory);
void from_json(const nlohmann::json& j, PlanMemory& memory);

} // namespace korvane::sim
