#include "port_registry.h"

#include "last_failure.h"
#include "serial_device.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

std::string canonicalOrSelf(const std::string& path) {
    std::error_code ec;
    auto c = fs::canonical(path, ec);
    return ec ? path : c.string();
}

std::vector<std::string> sortedEntries(const fs::path& dir, const std::string& prefix) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        const auto name = e.path().filename().string();
        if (name.rfind(prefix, 0) == 0) out.push_back(e.path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Number after a device name prefix, for a natural order of ttyS0, ttyS2, ttyS10.
int trailingNumber(const std::string& path) {
    auto pos = path.find_last_not_of("0123456789");
    return pos + 1 < path.size() ? std::atoi(path.c_str() + pos + 1) : -1;
}

// A ttyS node is a real UART only when the kernel found hardware behind it.
bool isRealUart(const std::string& systemRoot, const std::string& devicePath) {
    const auto name = fs::path(devicePath).filename().string();
    std::ifstream type(systemRoot + "/sys/class/tty/" + name + "/type");
    int t = 0;
    return (type >> t) && t != 0;
}

} // namespace

std::string PortRegistry::defaultFolder() {
    if (const char* env = std::getenv("SONDREL_PORTS"); env && *env) return env;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return std::string(xdg) + "/sondrel/ports";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/sondrel/ports";
}

PortRegistry::PortRegistry(std::string folder) : folder_(std::move(folder)) {}

std::string PortRegistry::entryPath(int number) const {
    return folder_ + "/COM" + std::to_string(number);
}

std::vector<PortEntry> PortRegistry::list() const {
    std::vector<PortEntry> ports;
    std::set<std::string> named; // canonical devices already given a number
    std::set<int> taken;
    for (int n = FirstPortNumber; n <= LastPortNumber; ++n) {
        std::error_code ec;
        const fs::path entry = entryPath(n);
        if (!fs::is_symlink(entry, ec) && !fs::exists(entry, ec)) continue;
        auto target = fs::read_symlink(entry, ec);
        std::string device = ec ? entry.string() : target.string();
        if (!ec && target.is_relative()) device = (entry.parent_path() / target).string();
        ports.push_back({n, device, true});
        named.insert(canonicalOrSelf(device));
        taken.insert(n);
    }
    int next = FirstPortNumber;
    for (const auto& device : discoverSystemSerialDevices(systemRoot_)) {
        if (!named.insert(canonicalOrSelf(device)).second) continue;
        while (next <= LastPortNumber && taken.count(next))
            ++next;
        if (next > LastPortNumber) break;
        ports.push_back({next, device, false});
        taken.insert(next);
    }
    std::sort(ports.begin(), ports.end(),
              [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });
    return ports;
}

std::optional<std::string> PortRegistry::resolve(int number) const {
    for (const auto& p : list())
        if (p.number == number) return p.device;
    return std::nullopt;
}

std::string PortRegistry::deviceToOpen(int number) const {
    if (auto device = resolve(number)) return *device;
    const std::string text = "no serial device for port COM" + std::to_string(number) +
                             ": the ports folder " + folder_ + " has no entry COM" +
                             std::to_string(number) + " and no free system device is left for it";
    recordFailure(FailureKind::NoDevice, text);
    throw SerialError(text);
}

void PortRegistry::link(int number, const std::string& device) const {
    if (number < FirstPortNumber || number > LastPortNumber)
        throw std::runtime_error("port number must be 1 to 16");
    fs::create_directories(folder_);
    const fs::path entry = entryPath(number);
    std::error_code ec;
    fs::remove(entry, ec);
    fs::create_symlink(device, entry); // throws filesystem_error with the reason
}

bool PortRegistry::unlink(int number) const {
    std::error_code ec;
    return fs::remove(entryPath(number), ec);
}

std::vector<std::string> discoverSystemSerialDevices(const std::string& systemRoot) {
    std::vector<std::string> devices;
    std::set<std::string> seen;
    auto add = [&](const std::string& path) {
        if (seen.insert(canonicalOrSelf(path)).second) devices.push_back(path);
    };
    // Stable names first: ttyUSB numbers change between plug-ins, by-id names do not.
    for (const auto& p : sortedEntries(systemRoot + "/dev/serial/by-id", ""))
        add(p);
    auto usb = sortedEntries(systemRoot + "/dev", "ttyUSB");
    auto acm = sortedEntries(systemRoot + "/dev", "ttyACM");
    auto byNumber = [](const std::string& a, const std::string& b) {
        return trailingNumber(a) < trailingNumber(b);
    };
    std::sort(usb.begin(), usb.end(), byNumber);
    std::sort(acm.begin(), acm.end(), byNumber);
    for (const auto& p : usb)
        add(p);
    for (const auto& p : acm)
        add(p);
    auto uarts = sortedEntries(systemRoot + "/dev", "ttyS");
    std::sort(uarts.begin(), uarts.end(), byNumber);
    for (const auto& p : uarts)
        if (isRealUart(systemRoot, p)) add(p);
    return devices;
}

} // namespace sondrel
