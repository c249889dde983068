#include "survey_csv.h"

#include <charconv>
#include <vector>

namespace sondrel::client {
namespace {

constexpr std::string_view Measured = "measured";
constexpr std::string_view Failed = "failed";
constexpr std::string_view UnconfirmedUnit = "unit not confirmed";

std::string number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string headerLine(const std::string& unit) {
    return "Channel,Name,Type,Frequency (MHz),Level (" +
           (unit.empty() ? std::string(UnconfirmedUnit) : unit) + "),C/N (dB),Result";
}

// The fields of one line; nullopt for a quote that does not close.
std::optional<std::vector<std::string>> splitFields(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                fields.back() += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted) return std::nullopt;
    return fields;
}

template <typename T> std::optional<T> parsed(const std::string& text) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Lines ended by LF or CR LF; a quoted field holds no line break here.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

} // namespace

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

std::string surveyCsv(const Survey& survey) {
    std::string text = headerLine(survey.unit) + "\r\n";
    for (const SurveyResult& r : survey.results) {
        const std::string cn = r.cn ? std::to_string(*r.cn) : r.cnFailed ? std::string(Failed) : "";
        text += std::to_string(r.channel.number) + ',' + csvField(r.channel.name) + ',' +
                csvField(r.channel.type) + ',' + number(r.channel.mhz) + ',' +
                (r.level ? number(*r.level) : "") + ',' + cn + ',' +
                std::string(r.level ? Measured : Failed) + "\r\n";
    }
    return text;
}

std::optional<Survey> parseSurveyCsv(std::string_view text) {
    const auto lines = splitLines(text);
    if (lines.empty()) return std::nullopt;
    constexpr std::string_view levelOpen = "Level (";
    const auto unitAt = lines[0].find(levelOpen);
    if (unitAt == std::string_view::npos) return std::nullopt;
    const auto unitEnd = lines[0].find(')', unitAt);
    Survey survey;
    survey.unit = std::string(
        lines[0].substr(unitAt + levelOpen.size(), unitEnd - unitAt - levelOpen.size()));
    if (survey.unit == UnconfirmedUnit) survey.unit.clear();
    if (lines[0] != headerLine(survey.unit)) return std::nullopt;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        const auto fields = splitFields(lines[i]);
        if (!fields || fields->size() != 7) return std::nullopt;
        const auto& f = *fields;
        SurveyResult r;
        const auto channelNumber = parsed<int>(f[0]);
        const auto mhz = parsed<double>(f[3]);
        if (!channelNumber || !mhz) return std::nullopt;
        r.channel = {*channelNumber, f[1], f[2], *mhz};
        if (f[6] == Measured) {
            r.level = parsed<double>(f[4]);
            if (!r.level) return std::nullopt;
        } else if (f[6] != Failed || !f[4].empty()) {
            return std::nullopt;
        }
        if (f[5] == Failed) {
            r.cnFailed = true;
        } else if (!f[5].empty()) {
            r.cn = parsed<int>(f[5]);
            if (!r.cn) return std::nullopt;
        }
        survey.results.push_back(std::move(r));
    }
    return survey;
}

} // namespace sondrel::client
