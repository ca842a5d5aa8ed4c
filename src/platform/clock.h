#pragma once
// The clock: local date and time, a steady clock, and a pause.

#include <cstdint>

namespace platform {

struct LocalTime {
  int year;       // e.g. 2026
  int month;      // 1..12
  int day;        // 1..31
  int weekday;    // 0 Sunday .. 6 Saturday
  int hour;       // 0..23
  int minute;     // 0..59
  int second;     // 0..60
};

// The current local date and time.
LocalTime ReadLocalTime();

// Milliseconds on a clock that only ever runs forward (not the time of day),
// for measuring how long something takes.
std::int64_t SteadyMilliseconds();

// Sleeps `milliseconds` (nothing for 0 or less).
void Pause(int milliseconds);

}  // namespace platform
