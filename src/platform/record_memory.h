#pragma once
// Memory for the run's large records (the run record with its 1 MiB chunk
// buffer, the helper thread's schedules): taken once per run, already backed
// by the system's pages. Touched page by page instead, a fresh megabyte costs
// a page fault per 4 KiB, and on virtual machines that is a few milliseconds
// at every start.

#include <cstddef>

namespace platform {

// `size` bytes of zeros, aligned for any object (in fact to a page), or null
// where the system has no room for them.
void* AllocateRecordMemory(std::size_t size);

// Gives back what AllocateRecordMemory gave, with the same size.
void FreeRecordMemory(void* memory, std::size_t size);

}  // namespace platform
