#pragma once
// Memory that holds secrets (key material): kept out of swap while it is in
// use, and overwritten before it is given up.

#include <cstddef>

namespace platform {

// Sets the `size` bytes at `data` to zero in a way that the compiler may not
// leave out, even when the memory is never read again.
void WipeBytes(void* data, std::size_t size);

// Asks the system to keep the pages holding the `size` bytes at `data` in
// memory, never written to swap, until UnlockMemory. A refusal (a limit of
// lockable memory, no permission, no such service) is ignored: the program
// runs on without the lock.
void LockMemory(void* data, std::size_t size);

// Ends LockMemory for the same bytes (and for whatever else shares their
// pages). Wipe them first.
void UnlockMemory(void* data, std::size_t size);

}  // namespace platform
