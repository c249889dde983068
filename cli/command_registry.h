// The commands of sondrel. Each command lives in its own file and registers
// itself with a static RegisterCommand object, so a new command is one new
// file in cli/ and nothing else changes:
//
//   class LevelCommand final : public Command {
//       void configure(CLI::App& command) override { command.add_option(...); }
//       int run(Session& session) override { ... session.call("GetLevelByFrequence", ...); }
//   };
//   const RegisterCommand<LevelCommand> registration{"level", "level at a frequency"};
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sondrel::cli {

class Session;

class Command {
  public:
    virtual ~Command() = default;
    // Declares the command's options, arguments and subcommands.
    virtual void configure(CLI::App& command) = 0;
    // Runs once the command line is parsed; returns the exit status. May throw
    // UsageError, MemberError or client::LoadError (see cli_errors.h).
    virtual int run(Session& session) = 0;
};

struct CommandEntry {
    std::string name;
    std::string summary;
    std::function<std::unique_ptr<Command>()> make;
};

class CommandRegistry {
  public:
    static CommandRegistry& instance();
    void add(CommandEntry entry);
    // Every registered command, by name.
    std::vector<CommandEntry> entries() const;

  private:
    std::vector<CommandEntry> entries_;
};

template <typename T> struct RegisterCommand {
    RegisterCommand(std::string name, std::string summary) {
        CommandRegistry::instance().add(
            {std::move(name), std::move(summary), [] { return std::make_unique<T>(); }});
    }
};

} // namespace sondrel::cli
