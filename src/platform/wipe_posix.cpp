#include "platform/wipe.h"

#include <string.h>

namespace platform {

// explicit_bzero: a plain memset before free() may be removed as a dead store.
void WipeBytes(void* data, std::size_t size) { explicit_bzero(data, size); }

}  // namespace platform
