// sondrel: every member of the meter link library from the command line,
// through the library's late-bound interface. The commands are in the other
// files of this folder (see command_registry.h); exit statuses in cli_errors.h.
#include "cli_errors.h"
#include "command_registry.h"
#include "common/option_texts.h"
#include "json_values.h"
#include "member_call.h"
#include "output.h"
#include "session.h"

#include <cstdlib>
#include <iostream>

using namespace sondrel::cli;

namespace {

// The version, and the reply check the library was asked for, if any.
std::string versionText() {
    std::string text = std::string("sondrel ") + SONDREL_CLI_VERSION;
    if (const char* check = std::getenv("SONDREL_REPLY_CHECK"))
        text += "\nSONDREL_REPLY_CHECK=" + std::string(check);
    return text;
}

// The first word of the command line that is neither an option nor the value
// of --port or --baud: the command asked for.
std::string commandWord(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--port" || word == "--baud") {
            ++i;
            continue;
        }
        if (!word.empty() && word[0] != '-') return word;
    }
    return {};
}

using Commands = std::vector<std::pair<CLI::App*, std::unique_ptr<Command>>>;

// Runs the command parsed; returns its exit status. Output errors are left to
// the caller (OutputLost).
int runCommand(Commands& commands, std::optional<int> port, std::optional<unsigned> baud) {
    try {
        Session session(port, baud);
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

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Talks to a signal level meter through the Sondrel library.", "sondrel"};
    app.set_version_flag("--version", versionText());
    std::string port;
    unsigned baud = 0;
    app.add_option("--port", port, "serial port for the object: N or COMn (1 to 16)");
    std::vector<std::string> rates;
    for (unsigned rate : sondrel::baudRates())
        rates.push_back(std::to_string(rate));
    app.add_option("--baud", baud,
                   "talk at this line speed, for a meter set to it earlier (see set baud)")
        ->check(CLI::IsMember(rates));
    app.require_subcommand(1);

    Commands commands;
    for (const auto& entry : CommandRegistry::instance().entries()) {
        CLI::App* sub = app.add_subcommand(entry.name, entry.summary);
        auto command = entry.make();
        command->configure(*sub);
        commands.emplace_back(sub, std::move(command));
    }
    // Set last: subcommands made after it would repeat it under their own.
    app.footer(std::string("Run 'sondrel COMMAND --help' for the arguments of a command.\n") +
               ExitStatusHelp);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) { // --help, --version
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        const std::string word = commandWord(argc, argv);
        bool known = false;
        for (const auto& [sub, command] : commands)
            known = known || sub->check_name(word);
        if (!word.empty() && !known)
            std::cerr << "sondrel: unknown command \"" << word << "\" (see sondrel --help)\n";
        else
            std::cerr << "sondrel: " << e.what() << " (see sondrel --help)\n";
        return ExitUsage;
    }

    try {
        const int status = runCommand(
            commands, port.empty() ? std::nullopt : std::optional<int>(parsePortNumber(port)),
            baud ? std::optional<unsigned>(baud) : std::nullopt);
        finishOutput();
        return status;
    } catch (const UsageError& e) { // a bad --port
        std::cerr << "sondrel: " << e.what() << '\n';
        return ExitUsage;
    } catch (const OutputLost& e) {
        std::cerr << "sondrel: " << e.what() << '\n';
        return ExitOutputLost;
    }
}
