// What ends a sondrel command early, and the exit status each one gives.
#pragma once

#include <stdexcept>
#include <string>

namespace sondrel::cli {

inline constexpr int ExitCompleted = 0;
inline constexpr int ExitNoLibrary = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitMemberError = 3;
// The meter did not carry the command out: no answer, or no reason known.
inline constexpr int ExitNotDone = 4;
// Why a command was not carried out, where the library knows it.
inline constexpr int ExitWrongAnswer = 5;
inline constexpr int ExitNoDevice = 6;
inline constexpr int ExitInUse = 7;
inline constexpr int ExitPermission = 8;
// Standard output could not be written (a full disk, a reader that has gone).
inline constexpr int ExitOutputLost = 9;

// Every exit status, for the help texts.
inline constexpr const char* ExitStatusHelp =
    "Exit status: 0 done, 1 library not loadable, 2 usage error, 3 member error, 4 the meter did "
    "not carry it out (no answer, a bad reply), 5 a reply that does not answer the command, 6 no "
    "device at the port, 7 the port is in use by another program, 8 no permission to open the "
    "device, 9 the output could not be written.";

// The command line asks for something that cannot be done as written (unknown
// member, bad JSON, wrong arguments). One line on standard error, exit 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A member let an error reach the caller. Reported as
// {"member": NAME, "error": TEXT} on standard output, exit 3.
class MemberError : public std::runtime_error {
  public:
    MemberError(std::string member, const std::string& text)
        : std::runtime_error(text), member_(std::move(member)) {}
    const std::string& member() const { return member_; }

  private:
    std::string member_;
};

// Standard output failed; what() says why. One line on standard error, exit 9.
class OutputLost : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace sondrel::cli
