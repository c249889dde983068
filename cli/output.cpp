#include "output.h"

#include "cli_errors.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <unistd.h>

namespace sondrel::cli {
namespace {

[[noreturn]] void lost(int error) {
    throw OutputLost(std::string("cannot write to standard output") +
                     (error ? std::string(": ") + std::strerror(error) : std::string()));
}

} // namespace

void printLineNow(const std::string& line) {
    errno = 0;
    std::cout << line << '\n';
    std::cout.flush();
    if (!std::cout) lost(errno);
}

void checkOutputReader() {
    // A pipe whose reader has closed it reports an error to poll at once,
    // before anything is written; files and terminals do not.
    pollfd out{STDOUT_FILENO, 0, 0};
    if (::poll(&out, 1, 0) == 1 && (out.revents & POLLERR)) lost(EPIPE);
}

void finishOutput() {
    errno = 0;
    std::cout.flush();
    if (!std::cout) lost(errno);
}

} // namespace sondrel::cli
