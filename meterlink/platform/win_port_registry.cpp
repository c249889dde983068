// Serial port numbers on Windows are the system's own: port n is the device
// \\.\COMn. There is no ports folder; numbers are given to adapters by the
// system (Device Manager), so linking a number is refused here.
#include "port_registry.h"

#include "last_failure.h"
#include "serial_device.h"

#include <windows.h>

#include <stdexcept>

namespace sondrel {
namespace {

std::string deviceOf(int number) {
    return "\\\\.\\COM" + std::to_string(number);
}

// True when the system knows a device by the name COMn.
bool systemHasPort(int number) {
    const std::string name = "COM" + std::to_string(number);
    char target[512];
    return QueryDosDeviceA(name.c_str(), target, sizeof target) != 0;
}

} // namespace

std::string PortRegistry::defaultFolder() {
    return {};
}

PortRegistry::PortRegistry(std::string folder) : folder_(std::move(folder)) {}

std::vector<PortEntry> PortRegistry::list() const {
    std::vector<PortEntry> ports;
    for (int n = FirstPortNumber; n <= LastPortNumber; ++n)
        if (systemHasPort(n)) ports.push_back({n, deviceOf(n), false});
    return ports;
}

std::optional<std::string> PortRegistry::resolve(int number) const {
    if (number < FirstPortNumber || number > LastPortNumber) return std::nullopt;
    return deviceOf(number);
}

std::string PortRegistry::deviceToOpen(int number) const {
    if (auto device = resolve(number)) return *device;
    const std::string text = "no serial port COM" + std::to_string(number) +
                             ": Windows numbers ports 1 to 16 (Device Manager)";
    recordFailure(FailureKind::NoDevice, text);
    throw SerialError(text);
}

void PortRegistry::link(int, const std::string&) const {
    throw std::runtime_error("port numbers are given by Windows (Device Manager), not linked here");
}

bool PortRegistry::unlink(int) const {
    return false;
}

std::string PortRegistry::entryPath(int number) const {
    return deviceOf(number);
}

std::vector<std::string> discoverSystemSerialDevices(const std::string&) {
    std::vector<std::string> devices;
    for (const auto& port : PortRegistry().list())
        devices.push_back(port.device);
    return devices;
}

} // namespace sondrel
