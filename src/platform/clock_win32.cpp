#include "platform/clock.h"
#include "platform/win32_io.h"

namespace platform {

LocalTime ReadLocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  // wDayOfWeek counts from 0 = Sunday, as LocalTime does.
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wDayOfWeek,
                   now.wHour, now.wMinute, now.wSecond};
}

void Pause(int milliseconds) {
  if (milliseconds > 0) {
    Sleep(static_cast<DWORD>(milliseconds));
  }
}

}  // namespace platform
