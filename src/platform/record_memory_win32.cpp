#include "platform/record_memory.h"

#include <windows.h>

namespace platform {

// Committed pages read as zeros; Windows backs them on first touch.
void* AllocateRecordMemory(std::size_t size) {
  return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeRecordMemory(void* memory, std::size_t size) {
  (void)size;
  if (memory != nullptr) {
    (void)VirtualFree(memory, 0, MEM_RELEASE);
  }
}

}  // namespace platform
