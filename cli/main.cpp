// sondrel: every member of the meter link library from the command line,
// through the library's late-bound interface. The commands are in the other
// files of this folder (see command_registry.h); exit statuses in cli_errors.h.
#include "cli_errors.h"
#include "command_registry.h"
#include "json_values.h"
#include "member_call.h"
#include "session.h"

#include <iostream>

using namespace sondrel::cli;

int main(int argc, char** argv) {
    CLI::App app{"Talks to a signal level meter through the Sondrel library.", "sondrel"};
    app.set_version_flag("--version", std::string("sondrel ") + SONDREL_CLI_VERSION);
    std::string port;
    app.add_option("--port", port, "serial port for the object: N or COMn (1 to 16)");
    app.require_subcommand(1);
    app.footer("Run 'sondrel COMMAND --help' for the arguments of a command.\n"
               "Exit status: 0 done, 1 library not loadable, 2 usage error, 3 member error, 4 the "
               "meter did not carry it out (no answer, a bad reply).");

    std::vector<std::pair<CLI::App*, std::unique_ptr<Command>>> commands;
    for (const auto& entry : CommandRegistry::instance().entries()) {
        CLI::App* sub = app.add_subcommand(entry.name, entry.summary);
        auto command = entry.make();
        command->configure(*sub);
        commands.emplace_back(sub, std::move(command));
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) { // --help, --version
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "sondrel: " << e.what() << " (see sondrel --help)\n";
        return ExitUsage;
    }

    try {
        Session session(port.empty() ? std::nullopt : std::optional<int>(parsePortNumber(port)));
        for (auto& [sub, command] : commands)
            if (sub->parsed()) return command->run(session);
        return ExitUsage; // require_subcommand(1) leaves no other way here
    } catch (const UsageError& e) {
        std::cerr << "sondrel: " << e.what() << '\n';
        return ExitUsage;
    } catch (const MemberError& e) {
        std::cout << jsonLine(errorLine(e.member(), e.what())) << '\n';
        return ExitMemberError;
    } catch (const sondrel::client::LoadError& e) {
        std::cerr << "sondrel: " << e.what() << '\n';
        return ExitNoLibrary;
    }
}
