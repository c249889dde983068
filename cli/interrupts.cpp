#include "interrupts.h"

#include <atomic>

namespace sondrel::cli {
namespace {

std::atomic<bool> interrupted{false};

extern "C" void noteInterrupt(int) {
    interrupted = true;
}

} // namespace

InterruptsStopLoop::InterruptsStopLoop() {
    interrupted = false;
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
}

InterruptsStopLoop::~InterruptsStopLoop() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
}

bool interruptRequested() {
    return interrupted;
}

} // namespace sondrel::cli
