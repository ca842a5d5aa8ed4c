#include <pthread.h>

#include <csignal>
#include <iterator>
#include <new>
#include <system_error>

#include "platform/interrupt.h"

namespace platform {

namespace {

volatile std::sig_atomic_t gInterrupts = 0;

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kInterruptSignalCount = static_cast<int>(std::size(kInterruptSignals));
constexpr int kInterruptsBeforeTheEnd = 2;

// The actions DeferInterrupts replaced; `gDeferred` tells which are kept.
struct sigaction gPrevious[kInterruptSignalCount];
bool gDeferred[kInterruptSignalCount] = {};

sigset_t InterruptSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signalNumber : kInterruptSignals) {
    sigaddset(&set, signalNumber);
  }
  return set;
}

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
  action.sa_mask = InterruptSignalSet();
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

bool StartThreadWithoutInterrupts(std::thread& thread, void (*body)(void*), void* context) {
  // A new thread inherits the signal mask of the thread that starts it.
  const sigset_t interrupts = InterruptSignalSet();
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &interrupts, &previous);
  bool started = true;
  try {
    thread = std::thread(body, context);
  } catch (const std::system_error&) {
    started = false;
  } catch (const std::bad_alloc&) {
    started = false;
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return started;
}

}  // namespace platform
