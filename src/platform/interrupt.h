#pragma once
// Interrupts (SIGINT, SIGTERM, SIGHUP; on Windows the console's control
// events: Ctrl-C, Ctrl-Break, closing the window) during the processing run,
// counted while deferred. The first one lets the dataset in hand be finished and then
// ends the run; the second one stops the dataset in hand at the next chunk
// boundary (it is then reported as not processed completely) and ends the run
// the same way; a third one ends the program at once, as it would have
// without deferral.
//
// Interrupts reach only the thread that processes the datasets: the helper
// threads of the run are started by StartThreadWithoutInterrupts.

#include <thread>

namespace platform {

// From now on interrupts are only counted, from zero.
void DeferInterrupts();

// True once an interrupt arrived while deferred: end the run after the
// dataset in hand.
[[nodiscard]] bool InterruptRequested();

// True once a second interrupt arrived: stop the dataset in hand at the next
// chunk boundary.
[[nodiscard]] bool StopRequested();

// Gives the interrupts back the actions they had before DeferInterrupts, so
// that a run leaves the process as it found it. Harmless when they were not
// deferred.
void RestoreInterrupts();

// Starts `body(context)` as `thread`, a new thread that interrupts never
// reach, so that the calling thread takes every one of them. False when the
// system starts no more threads or there is no memory for one.
[[nodiscard]] bool StartThreadWithoutInterrupts(std::thread& thread, void (*body)(void*), void* context);

}  // namespace platform
