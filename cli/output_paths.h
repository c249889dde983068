// Files a command writes its results into, checked before it talks to the
// meter: a result measured for minutes must never be lost to a path that
// could have been refused at once.
#pragma once

#include <string>

namespace sondrel::cli {

// Creates the file when it does not exist (its folder must) and makes sure it
// can be written; throws UsageError naming the path and the reason otherwise.
// An existing file keeps its content until the command writes it.
void checkOutputPath(const std::string& path);

} // namespace sondrel::cli
