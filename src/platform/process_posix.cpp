#include <sys/resource.h>

#include "platform/process.h"

namespace platform {

void PreventCoreDumps() {
  const rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
}

}  // namespace platform
