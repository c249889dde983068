// Ctrl-C (SIGINT) and SIGTERM that end a long command's loop instead of the
// program, so it can still print what it has: while an InterruptsStopLoop
// lives, a signal only sets interruptRequested().
#pragma once

#include <csignal>

namespace sondrel::cli {

class InterruptsStopLoop {
  public:
    InterruptsStopLoop();
    ~InterruptsStopLoop();
    InterruptsStopLoop(const InterruptsStopLoop&) = delete;
    InterruptsStopLoop& operator=(const InterruptsStopLoop&) = delete;

  private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

// True once SIGINT or SIGTERM came while the latest InterruptsStopLoop lived.
bool interruptRequested();

} // namespace sondrel::cli
