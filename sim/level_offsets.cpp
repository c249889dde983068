#include "level_offsets.h"

#include "state_fields.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace korvane::sim {
namespace {

bool sameChannel(double a, double b) {
    return std::llround(a * 100) == std::llround(b * 100);
}

// Frequencies the meter tunes to, and offsets within what its display shows.
constexpr double LowestMhz = 5, HighestMhz = 870, LargestDb = 60;

} // namespace

double LevelOffsets::at(double mhz) const {
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const LevelOffset& o) { return sameChannel(o.mhz, mhz); });
    return it == entries.end() ? 0.0 : it->db;
}

void LevelOffsets::set(const LevelOffset& offset) {
    std::erase_if(entries, [&](const LevelOffset& o) { return sameChannel(o.mhz, offset.mhz); });
    if (offset.db != 0) entries.push_back(offset);
}

LevelOffset parseLevelOffset(const std::string& text) {
    const auto equals = text.find('=');
    if (equals == std::string::npos)
        throw std::invalid_argument("offset \"" + text + "\" is not MHZ=DB");
    try {
        std::size_t used = 0;
        const std::string mhzText = text.substr(0, equals), dbText = text.substr(equals + 1);
        LevelOffset offset{std::stod(mhzText, &used), 0};
        if (used != mhzText.size()) throw std::invalid_argument("");
        offset.db = std::stod(dbText, &used);
        if (used != dbText.size()) throw std::invalid_argument("");
        if (offset.mhz < LowestMhz || offset.mhz > HighestMhz || std::fabs(offset.db) > LargestDb)
            throw std::invalid_argument("");
        return offset;
    } catch (const std::logic_error&) {
        throw std::invalid_argument("offset \"" + text +
                                    "\" is not MHZ=DB with MHZ from 5 to 870 and DB from -60 "
                                    "to 60");
    }
}

void to_json(nlohmann::json& j, const LevelOffsets& offsets) {
    j = nlohmann::json::array();
    for (const LevelOffset& o : offsets.entries)
        j.push_back({{"mhz", o.mhz}, {"db", o.db}});
}

void from_json(const nlohmann::json& j, LevelOffsets& offsets) {
    if (!j.is_array()) throw StateFieldError("field signal.levelOffsets is not a list");
    offsets.entries.clear();
    for (const auto& entry : j) {
        if (!entry.is_object() || !entry.contains("mhz") || !entry.contains("db"))
            throw StateFieldError("field signal.levelOffsets holds an entry without mhz and db");
        offsets.set(
            {checkedNumber<double>(entry["mhz"], "signal.levelOffsets.mhz", LowestMhz, HighestMhz),
             checkedNumber<double>(entry["db"], "signal.levelOffsets.db", -LargestDb, LargestDb)});
    }
}

} // namespace korvane::sim
