// MeterConnection: the editor's one KorvaneConnection, created at start-up
// through the run-time loaded library and kept for the life of the process.
#pragma once

#include "sondrel_client.h"

#include <QString>

#include <memory>
#include <optional>

namespace plandex {

// The connection object, or nullptr when none could be created.
sondrel::_KorvaneConnection* MeterConnection();

// Loads the library and creates the object unless one exists already. The
// library's yield hook is set to process pending events between packets.
// Returns the reason when the library or the object is not available.
std::optional<QString> createMeterConnection();

// Uses this library and object from now on (tests point the editor at a
// library of their choice); a null connection removes it.
void setMeterConnection(std::shared_ptr<sondrel::client::SondrelLibrary> library,
                        sondrel::client::ConnectionPtr connection);

} // namespace plandex
