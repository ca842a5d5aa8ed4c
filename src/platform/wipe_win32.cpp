#include "platform/wipe.h"
#include "platform/win32_io.h"

namespace platform {

// SecureZeroMemory: a plain memset before the memory is given up may be
// removed as a dead store.
void WipeBytes(void* data, std::size_t size) { SecureZeroMemory(data, size); }

}  // namespace platform
