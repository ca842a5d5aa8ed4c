#include "platform/wipe.h"

#include <string.h>
#include <sys/mman.h>

namespace platform {

// explicit_bzero: a plain memset before free() may be removed as a dead store.
void WipeBytes(void* data, std::size_t size) { explicit_bzero(data, size); }

// mlock and munlock round to whole pages themselves.
void LockMemory(void* data, std::size_t size) { (void)mlock(data, size); }

void UnlockMemory(void* data, std::size_t size) { (void)munlock(data, size); }

}  // namespace platform
