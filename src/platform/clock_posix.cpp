#include <cerrno>
#include <ctime>

#include "platform/clock.h"

namespace platform {

LocalTime ReadLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
}

void Pause(int milliseconds) {
  if (milliseconds <= 0) {
    return;
  }
  timespec remaining{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
