#include "platform/record_memory.h"

#include <sys/mman.h>

namespace platform {

// MAP_POPULATE has the kernel back the whole mapping at once, which costs a
// fraction of faulting it in page by page; where the system does not, the
// pages come on first touch as with malloc.
void* AllocateRecordMemory(std::size_t size) {
  int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#if defined(MAP_POPULATE)
  flags |= MAP_POPULATE;
#endif
  void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, flags, -1, 0);
  return memory == MAP_FAILED ? nullptr : memory;
}

void FreeRecordMemory(void* memory, std::size_t size) {
  if (memory != nullptr) {
    (void)munmap(memory, size);
  }
}

}  // namespace platform
