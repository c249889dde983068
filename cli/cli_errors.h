// What ends a sondrel command early, and the exit status each one gives.
#pragma once

#include <stdexcept>
#include <string>

namespace sondrel::cli {

inline constexpr int ExitCompleted = 0;
inline constexpr int ExitNoLibrary = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitMemberError = 3;

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

} // namespace sondrel::cli
