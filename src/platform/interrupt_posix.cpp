#include <csignal>

#include "platform/interrupt.h"

namespace platform {

namespace {

volatile std::sig_atomic_t gInterrupts = 0;

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kInterruptsBeforeTheEnd = 2;

extern "C" void NoteInterrupt(int signalNumber) {
  if (gInterrupts >= kInterruptsBeforeTheEnd) {
    // The third interrupt: end now, as the signal would have without us.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
    return;
  }
  gInterrupts = gInterrupts + 1;
}

}  // namespace

void DeferInterrupts() {
  gInterrupts = 0;
  struct sigaction action {};
  action.sa_handler = NoteInterrupt;
  // Two interrupts arriving together are handled one after the other.
  sigemptyset(&action.sa_mask);
  for (int signalNumber : kInterruptSignals) {
    sigaddset(&action.sa_mask, signalNumber);
  }
  action.sa_flags = SA_RESTART;
  for (int signalNumber : kInterruptSignals) {
    struct sigaction previous {};
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) {
      continue;
    }
    sigaction(signalNumber, &action, nullptr);
  }
}

bool InterruptRequested() { return gInterrupts >= 1; }

bool StopRequested() { return gInterrupts >= kInterruptsBeforeTheEnd; }

}  // namespace platform
