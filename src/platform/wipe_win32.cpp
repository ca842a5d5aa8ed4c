#include "platform/wipe.h"
#include "platform/win32_io.h"

namespace platform {

// SecureZeroMemory: a plain memset before the memory is given up may be
// removed as a dead store.
void WipeBytes(void* data, std::size_t size) { SecureZeroMemory(data, size); }

// VirtualLock and VirtualUnlock take whole pages; a refusal (more than the
// working set allows) leaves the bytes as they were, unlocked.
void LockMemory(void* data, std::size_t size) { (void)VirtualLock(data, size); }

void UnlockMemory(void* data, std::size_t size) { (void)VirtualUnlock(data, size); }

}  // namespace platform
