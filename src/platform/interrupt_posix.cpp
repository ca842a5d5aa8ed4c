#include <csignal>

#include "platform/interrupt.h"

namespace platform {

namespace {

volatile std::sig_atomic_t gInterrupts = 0;

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kInterruptSignalCount = 3;
constexpr int kInterruptsBeforeTheEnd = 2;

// The actions DeferInterrupts replaced; `gDeferred` tells which are kept.
struct sigaction gPrevious[kInterruptSignalCount];
bool gDeferred[kInterruptSignalCount] = {};

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
  for (int i = 0; i < kInterruptSignalCount; ++i) {
    struct sigaction previous {};
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (gDeferred[i] || sigaction(kInterruptSignals[i], nullptr, &previous) != 0 ||
        previous.sa_handler == SIG_IGN) {
      continue;
    }
    gPrevious[i] = previous;
    gDeferred[i] = sigaction(kInterruptSignals[i], &action, nullptr) == 0;
  }
}

bool InterruptRequested() { return gInterrupts >= 1; }

bool StopRequested() { return gInterrupts >= kInterruptsBeforeTheEnd; }

void RestoreInterrupts() {
  for (int i = 0; i < kInterruptSignalCount; ++i) {
    if (gDeferred[i]) {
      sigaction(kInterruptSignals[i], &gPrevious[i], nullptr);
      gDeferred[i] = false;
    }
  }
}

}  // namespace platform
