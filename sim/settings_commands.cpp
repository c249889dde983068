#include "handlers.h"

namespace korvane::sim {

// Not built yet: the meter stays silent on these commands.
void registerSettingsCommands(CommandTable&, MeterState&) {}

} // namespace korvane::sim
