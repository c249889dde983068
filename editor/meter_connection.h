// The editor's access to the meter: the link library, loaded once at start-up,
// and the port chosen in the start-up window. The editor keeps no connection
// object of its own: each job with the meter makes one through the library on
// its worker thread (meter_worker.h), so exactly one connection holds the port
// at a time, and a line that dropped is not kept for the next job.
#pragma once

#include "sondrel_client.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace plandex {

// The loaded library, or nullptr when it could not be loaded.
std::shared_ptr<sondrel::client::SondrelLibrary> meterLibrary();

// Loads the library unless it is loaded already. Returns the reason when it
// cannot be loaded.
std::optional<QString> loadMeterLibrary();

// Why the library could not be loaded at start-up; nullopt once it is loaded
// (or before anything tried).
std::optional<QString> meterLibraryFailure();
// Records that the library is missing, and why (loading it failed).
void markMeterLibraryMissing(const QString& reason);

// Uses this library from now on (tests point the editor at a library of their
// choice); nullptr removes it.
void setMeterLibrary(std::shared_ptr<sondrel::client::SondrelLibrary> library);

// The port the jobs with the meter use.
std::int16_t meterPort();
void setMeterPort(std::int16_t port);

// Gives a connection of the library the port, as the start-up window's OK does,
// and records the port the connection took (an unknown number becomes 1). The
// connection goes again at once, so the port is free for the jobs.
void chooseMeterPort(std::int16_t port);

} // namespace plandex
