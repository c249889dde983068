#include "command_registry.h"

#include <algorithm>

namespace sondrel::cli {

CommandRegistry& CommandRegistry::instance() {
    static CommandRegistry registry; // built on first use, whatever the order of files
    return registry;
}

void CommandRegistry::add(CommandEntry entry) {
    entries_.push_back(std::move(entry));
}

std::vector<CommandEntry> CommandRegistry::entries() const {
    auto sorted = entries_;
    std::sort(sorted.begin(), sorted.end(),
              [](const CommandEntry& a, const CommandEntry& b) { return a.name < b.name; });
    return sorted;
}

} // namespace sondrel::cli
