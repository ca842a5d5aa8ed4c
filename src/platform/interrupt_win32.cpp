// Interrupts on Windows are console control events (Ctrl-C, Ctrl-Break,
// closing the console window), handled on a thread of their own.
#include <atomic>
#include <new>
#include <system_error>

#include "platform/interrupt.h"
#include "platform/win32_io.h"

namespace platform {

namespace {

std::atomic<int> gInterrupts{0};
bool gHandlerInstalled = false;

constexpr int kInterruptsBeforeTheEnd = 2;

BOOL WINAPI NoteInterrupt(DWORD event) {
  // Each event comes on a thread of its own, two of them possibly at once.
  if (gInterrupts.fetch_add(1) >= kInterruptsBeforeTheEnd) {
    // The third interrupt: the system's handler ends the program at once.
    return FALSE;
  }
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    // The system ends the program as soon as this returns, or when its time
    // for the event is up: until then the dataset in hand is completed (or,
    // after an interrupt before, stopped) and the run ends by itself.
    Sleep(INFINITE);
  }
  return TRUE;
}

}  // namespace

void DeferInterrupts() {
  gInterrupts = 0;
  // A Ctrl-C that the caller chose to ignore never reaches a handler.
  if (!gHandlerInstalled) {
    gHandlerInstalled = SetConsoleCtrlHandler(NoteInterrupt, TRUE) != 0;
  }
}

bool InterruptRequested() { return gInterrupts >= 1; }

bool StopRequested() { return gInterrupts >= kInterruptsBeforeTheEnd; }

void RestoreInterrupts() {
  if (gHandlerInstalled) {
    gHandlerInstalled = SetConsoleCtrlHandler(NoteInterrupt, FALSE) == 0;
  }
}

// Console control events come on threads of their own, so a helper thread
// needs nothing to keep them off.
bool StartThreadWithoutInterrupts(std::thread& thread, void (*body)(void*), void* context) {
  try {
    thread = std::thread(body, context);
  } catch (const std::system_error&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace platform
