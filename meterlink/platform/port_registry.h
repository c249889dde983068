// Serial port numbers 1..16 on a system that names devices by path.
//
// The rule: a ports folder holds entries COM1 .. COM16, each a symbolic link to
// a device. The folder is $SONDREL_PORTS when set, else
// $XDG_CONFIG_HOME/sondrel/ports (by default ~/.config/sondrel/ports).
// Serial devices on the system that no entry names get the free numbers, in
// this order: USB adapters and ACM devices by their stable /dev/serial/by-id
// names (sorted), then any other ttyUSB/ttyACM device, then real UARTs ttyS*
// (sorted by number). Port n resolves to its device through this rule.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sondrel {

inline constexpr int FirstPortNumber = 1;
inline constexpr int LastPortNumber = 16;

struct PortEntry {
    int number = 0;
    std::string device;      // path to open
    bool fromFolder = false; // named by an entry of the ports folder
};

class PortRegistry {
  public:
    // The ports folder of the environment (see above).
    static std::string defaultFolder();

    explicit PortRegistry(std::string folder = defaultFolder());
    // A registry whose system devices are looked for under systemRoot instead
    // of / (tests give it a made-up /dev and /sys).
    PortRegistry(std::string folder, std::string systemRoot)
        : folder_(std::move(folder)), systemRoot_(std::move(systemRoot)) {}

    const std::string& folder() const { return folder_; }

    // Every port number that has a device, in ascending order.
    std::vector<PortEntry> list() const;
    // The device of port n, if any.
    std::optional<std::string> resolve(int number) const;
    // The device of port n to open. When there is none, records why (a
    // NoDevice failure naming the number and where numbers come from) and
    // throws SerialError.
    std::string deviceToOpen(int number) const;

    // Makes COMn name the device (replacing any earlier entry); creates the folder.
    // Throws std::runtime_error on a bad number or when the link cannot be made.
    void link(int number, const std::string& device) const;
    // Removes COMn from the folder; true when there was an entry.
    bool unlink(int number) const;
    // Path of the entry COMn in the folder.
    std::string entryPath(int number) const;

  private:
    std::string folder_;
    std::string systemRoot_;
};

// Serial devices the system offers, in the stable order used for free numbers;
// systemRoot stands for / when given.
std::vector<std::string> discoverSystemSerialDevices(const std::string& systemRoot = {});

} // namespace sondrel
