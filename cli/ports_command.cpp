// sondrel ports [link N DEVICE | unlink N]: the port numbers and their
// devices, and editing the ports folder (see platform/port_registry.h).
#include "cli_errors.h"
#include "command_registry.h"
#include "platform/port_registry.h"
#include "session.h"

#include <filesystem>
#include <iostream>

namespace sondrel::cli {
namespace {

class PortsCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.footer("Ports folder: $SONDREL_PORTS, else ~/.config/sondrel/ports. "
                       "Each line of the listing: COMn DEVICE folder|system.");
        link_ = command.add_subcommand("link", "make COMn name DEVICE in the ports folder");
        link_->add_option("N", linkNumber_, "port number, N or COMn")->required();
        link_->add_option("DEVICE", device_, "device path, e.g. /dev/serial/by-id/...")->required();
        unlink_ = command.add_subcommand("unlink", "remove COMn from the ports folder");
        unlink_->add_option("N", unlinkNumber_, "port number, N or COMn")->required();
    }

    int run(Session&) override {
        const PortRegistry registry;
        if (link_->parsed()) {
            const int n = parsePortNumber(linkNumber_);
            try {
                registry.link(n, device_);
            } catch (const std::exception& e) {
                throw UsageError("cannot link COM" + std::to_string(n) + ": " + e.what());
            }
            // An adapter may be unplugged now: link all the same, but say so.
            std::error_code error;
            if (!std::filesystem::exists(device_, error))
                std::cerr << "sondrel: warning: " << device_ << " does not exist now; COM" << n
                          << " names it all the same\n";
            std::cout << "COM" << n << " " << device_ << '\n';
        } else if (unlink_->parsed()) {
            const int n = parsePortNumber(unlinkNumber_);
            if (!registry.unlink(n))
                throw UsageError("COM" + std::to_string(n) + " has no entry in " +
                                 registry.folder());
        } else {
            for (const auto& port : registry.list())
                std::cout << "COM" << port.number << " " << port.device << " "
                          << (port.fromFolder ? "folder" : "system") << '\n';
        }
        return 0;
    }

  private:
    CLI::App* link_ = nullptr;
    CLI::App* unlink_ = nullptr;
    std::string linkNumber_, unlinkNumber_, device_;
};

const RegisterCommand<PortsCommand> registration{
    "ports", "list the port numbers with their devices; link or unlink a number"};

} // namespace
} // namespace sondrel::cli
