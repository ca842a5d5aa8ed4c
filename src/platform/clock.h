#pragma once
// The clock: local date and time, and a pause.

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

// Sleeps `milliseconds` (nothing for 0 or less).
void Pause(int milliseconds);

}  // namespace platform
