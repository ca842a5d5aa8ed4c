#include <csignal>

#include "platform/interrupt.h"

namespace platform {

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void NoteInterrupt(int signalNumber) {
  if (gInterrupted != 0) {
    // The second interrupt: end now, as the signal would have without us.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
    return;
  }
  gInterrupted = 1;
}

}  // namespace

void DeferInterrupts() {
  gInterrupted = 0;
  for (int signalNumber : kInterruptSignals) {
    struct sigaction action {};
    action.sa_handler = NoteInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
  }
}

bool InterruptRequested() { return gInterrupted != 0; }

}  // namespace platform
