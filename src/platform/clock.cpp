// What the clock is the same on every platform: the steady clock of the
// standard library.
#include <chrono>

#include "platform/clock.h"

namespace platform {

std::int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace platform
