// Interrupts on Windows are console control events (Ctrl-C, Ctrl-Break,
// closing the console window), handled on a thread of their own.
#include <atomic>

#include "platform/interrupt.h"
#include "platform/win32_io.h"

namespace platform {

namespace {

std::atomic<bool> gInterrupted{false};
bool gHandlerInstalled = false;

BOOL WINAPI NoteInterrupt(DWORD event) {
  if (gInterrupted.exchange(true)) {
    // The second interrupt: the system's handler ends the program at once.
    return FALSE;
  }
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    // The system ends the program as soon as this returns, or when its time
    // for the event is up: until then the dataset in hand is completed and
    // the run ends by itself.
    Sleep(INFINITE);
  }
  return TRUE;
}

}  // namespace

void DeferInterrupts() {
  gInterrupted = false;
  // A Ctrl-C that the caller chose to ignore never reaches a handler.
  if (!gHandlerInstalled) {
    gHandlerInstalled = SetConsoleCtrlHandler(NoteInterrupt, TRUE) != 0;
  }
}

bool InterruptRequested() { return gInterrupted; }

}  // namespace platform
