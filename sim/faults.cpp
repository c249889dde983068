#include "faults.h"

#include <map>
#include <sstream>
#include <stdexcept>

namespace korvane::sim {
namespace {

unsigned parseNumber(const std::string& text, const std::string& what, int base = 10) {
    try {
        std::size_t used = 0;
        unsigned long v = std::stoul(text, &used, base);
        if (used != text.size()) throw std::invalid_argument(text);
        return static_cast<unsigned>(v);
    } catch (const std::exception&) {
        throw std::invalid_argument("fault " + what + " is not a number: " + text);
    }
}

} // namespace

FaultRule parseFaultRule(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        throw std::invalid_argument("fault must read COMMAND:KIND, got: " + text);
    FaultRule rule;
    const std::string command = text.substr(0, colon);
    if (command != "any") {
        const unsigned c = parseNumber(command, "command", 16);
        if (c > 0xFF) throw std::invalid_argument("fault command is not a byte: " + command);
        rule.command = static_cast<std::uint8_t>(c);
    }
    static const std::map<std::string, std::pair<FaultKind, bool>> kinds = {
        {"noreply", {FaultKind::NoReply, false}},    {"truncate", {FaultKind::Truncate, true}},
        {"badsum", {FaultKind::BadChecksum, false}}, {"plainsum", {FaultKind::PlainSum, false}},
        {"extra", {FaultKind::Extra, true}},         {"garbage", {FaultKind::Garbage, true}},
        {"delay", {FaultKind::Delay, true}},         {"close", {FaultKind::Close, false}},
    };
    std::istringstream parts(text.substr(colon + 1));
    std::string part;
    bool first = true;
    while (std::getline(parts, part, ',')) {
        const auto eq = part.find('=');
        const std::string key = part.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : part.substr(eq + 1);
        if (first) {
            auto it = kinds.find(key);
            if (it == kinds.end()) throw std::invalid_argument("unknown fault kind: " + key);
            rule.kind = it->second.first;
            if (it->second.second != !value.empty())
                throw std::invalid_argument("fault " + key +
                                            (value.empty() ? " needs =VALUE" : " takes no value"));
            if (!value.empty()) rule.value = parseNumber(value, key);
            first = false;
        } else if (key == "after") {
            rule.after = parseNumber(value, key);
        } else if (key == "times") {
            rule.times = static_cast<int>(parseNumber(value, key));
        } else {
            throw std::invalid_argument("unknown fault option: " + key);
        }
    }
    if (first) throw std::invalid_argument("fault kind missing: " + text);
    return rule;
}

void FaultPlan::add(FaultRule rule) {
    std::lock_guard lock(mutex_);
    rules_.push_back({rule});
}

void FaultPlan::clear() {
    std::lock_guard lock(mutex_);
    rules_.clear();
}

FaultAction FaultPlan::apply(std::uint8_t command, sondrel::Bytes reply) {
    std::lock_guard lock(mutex_);
    FaultAction action;
    const FaultRule* chosen = nullptr;
    for (auto& active : rules_) {
        if (active.rule.command && *active.rule.command != command) continue;
        if (active.seen++ < active.rule.after) continue;
        if (active.rule.times >= 0 && active.applied >= active.rule.times) continue;
        if (!chosen) {
            ++active.applied;
            chosen = &active.rule;
        }
    }
    if (!chosen) {
        action.reply = std::move(reply);
        return action;
    }
    switch (chosen->kind) {
    case FaultKind::NoReply:
        break;
    case FaultKind::Truncate:
        if (reply.size() > chosen->value) reply.resize(chosen->value);
        action.reply = std::move(reply);
        break;
    case FaultKind::BadChecksum:
        if (!reply.empty()) reply.back() = static_cast<std::uint8_t>(reply.back() + 1);
        action.reply = std::move(reply);
        break;
    case FaultKind::PlainSum:
        if (!reply.empty())
            reply.back() = static_cast<std::uint8_t>(
                (256 - sondrel::frameChecksum(std::span(reply).first(reply.size() - 1))) % 256);
        action.reply = std::move(reply);
        break;
    case FaultKind::Extra:
        reply.insert(reply.end(), chosen->value, 0xEE);
        action.reply = std::move(reply);
        break;
    case FaultKind::Garbage:
        reply.insert(reply.begin(), chosen->value, 0x3C);
        action.reply = std::move(reply);
        break;
    case FaultKind::Delay:
        action.delayMs = chosen->value;
        action.reply = std::move(reply);
        break;
    case FaultKind::Close:
        action.closeLine = true;
        break;
    }
    return action;
}

} // namespace korvane::sim
