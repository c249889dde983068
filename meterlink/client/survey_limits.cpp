#include "survey_limits.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace sondrel::client {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::optional<double> number(const json& object, const char* key, const std::string& where) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return std::nullopt;
    if (!it->is_number() || !std::isfinite(it->get<double>()))
        throw LimitsError(where + key + " is not a number");
    return it->get<double>();
}

double required(const json& object, const char* key, const std::string& where) {
    const auto value = number(object, key, where);
    if (!value) throw LimitsError(where + key + " is missing");
    return *value;
}

const json* object(const json& parent, const char* key) {
    const auto it = parent.find(key);
    if (it == parent.end() || it->is_null()) return nullptr;
    if (!it->is_object()) throw LimitsError(std::string(key) + " is not an object");
    return &*it;
}

KindLimits kindLimits(const json& profile, const char* kind) {
    KindLimits limits;
    const json* o = object(profile, kind);
    if (!o) return limits;
    const std::string where = std::string(kind) + ".";
    limits.minLevel = number(*o, "minLevel", where);
    limits.maxLevel = number(*o, "maxLevel", where);
    limits.minCn = number(*o, "minCn", where);
    limits.minMer = number(*o, "minMer", where);
    limits.maxBer = number(*o, "maxBer", where);
    if (limits.minLevel && limits.maxLevel && *limits.minLevel > *limits.maxLevel)
        throw LimitsError(where + "minLevel is above maxLevel");
    if (limits.maxBer && (*limits.maxBer <= 0 || *limits.maxBer >= 1))
        throw LimitsError(where + "maxBer is not a ratio between 0 and 1");
    return limits;
}

std::string text(const json& profile, const char* key, std::string fallback) {
    const auto it = profile.find(key);
    if (it == profile.end()) return fallback;
    if (!it->is_string()) throw LimitsError(std::string(key) + " is not text");
    return it->get<std::string>();
}

// The folder the running program lives in; empty when it cannot be told.
fs::path programFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self.parent_path();
}

fs::path fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? fs::path(value) : fs::path();
}

bool namesAFile(const std::string& idOrFile) {
    return idOrFile.find('/') != std::string::npos ||
           (idOrFile.size() > 5 && idOrFile.ends_with(".json"));
}

} // namespace

double SpreadLimit::allowedFor(double highestMhz) const {
    if (highestMhz <= baseMhz) return maxDifference;
    // Every 100 MHz begun above the base adds its allowance: 301 MHz is one step.
    const double steps = std::ceil((highestMhz - baseMhz) / 100.0 - 1e-9);
    return maxDifference + perHundredMhz * steps;
}

LimitsProfile parseLimitsProfile(std::string_view text_, std::string id) {
    const json profile = json::parse(text_, nullptr, false);
    if (profile.is_discarded() || !profile.is_object()) throw LimitsError("not a JSON object");
    LimitsProfile limits;
    limits.id = std::move(id);
    limits.name = text(profile, "name", limits.id);
    limits.source = text(profile, "source", "");
    limits.unit = text(profile, "unit", "dBuV");
    if (limits.unit != "dBuV" && limits.unit != "dBmV")
        throw LimitsError("unit is neither dBuV nor dBmV");
    if (const auto it = profile.find("example"); it != profile.end()) {
        if (!it->is_boolean()) throw LimitsError("example is not true or false");
        limits.example = it->get<bool>();
    }
    limits.analogue = kindLimits(profile, "analogue");
    limits.digital = kindLimits(profile, "digital");
    limits.maxAdjacentDifference = number(profile, "maxAdjacentDifference", "");
    if (const json* s = object(profile, "spread"))
        limits.spread = SpreadLimit{required(*s, "maxDifference", "spread."),
                                    number(*s, "baseMhz", "spread.").value_or(0),
                                    number(*s, "perHundredMhz", "spread.").value_or(0)};
    if (const json* t = object(profile, "tilt")) {
        limits.tilt = TiltLimit{required(*t, "min", "tilt."), required(*t, "max", "tilt.")};
        if (limits.tilt->min > limits.tilt->max) throw LimitsError("tilt.min is above tilt.max");
    }
    return limits;
}

LimitsProfile readLimitsProfile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw LimitsError("cannot read " + file.string());
    const std::string content{std::istreambuf_iterator<char>(in), {}};
    try {
        return parseLimitsProfile(content, file.stem().string());
    } catch (const LimitsError& e) {
        throw LimitsError(file.string() + ": " + e.what());
    }
}

std::vector<fs::path> limitsFolders() {
    std::vector<fs::path> folders;
    if (fs::path config = fromEnvironment("XDG_CONFIG_HOME"); !config.empty())
        folders.push_back(config / "sondrel" / "limits");
    else if (fs::path home = fromEnvironment("HOME"); !home.empty())
        folders.push_back(home / ".config" / "sondrel" / "limits");
    if (fs::path shipped = fromEnvironment("SONDREL_LIMITS_DIR"); !shipped.empty())
        folders.push_back(shipped);
    else if (fs::path program = programFolder(); !program.empty())
        folders.push_back(program.parent_path() / "share" / "sondrel" / "limits");
    return folders;
}

std::vector<LimitsProfile> availableLimitsProfiles() {
    std::vector<LimitsProfile> profiles;
    for (const fs::path& folder : limitsFolders()) {
        std::error_code error;
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder, error))
            if (entry.path().extension() == ".json") files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            const std::string id = file.stem().string();
            if (std::any_of(profiles.begin(), profiles.end(),
                            [&](const auto& p) { return p.id == id; }))
                continue;
            try {
                profiles.push_back(readLimitsProfile(file));
            } catch (const LimitsError&) {
                // A broken file is left out of the list; naming it says why.
            }
        }
    }
    return profiles;
}

LimitsProfile findLimitsProfile(const std::string& idOrFile) {
    if (namesAFile(idOrFile)) return readLimitsProfile(idOrFile);
    for (const fs::path& folder : limitsFolders()) {
        const fs::path file = folder / (idOrFile + ".json");
        if (fs::exists(file)) return readLimitsProfile(file);
    }
    throw LimitsError("no limits profile \"" + idOrFile + "\"");
}

double convertLevel(double level, const std::string& from, const std::string& to) {
    if (from == to) return level;
    if (from == "dBmV" && to == "dBuV") return level + 60.0;
    if (from == "dBuV" && to == "dBmV") return level - 60.0;
    return level;
}

} // namespace sondrel::client
