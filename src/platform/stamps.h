#pragma once
// The date and time texts of the processing run's begin and end stamps, as
// pure functions of a given local time (the caller reads the clock anew for
// every stamp, see platform/clock.h).

#include "platform/clock.h"
#include "platform/short_text.h"

namespace platform {

inline constexpr std::size_t kDateTextLength = 14;  // "Mo. 07.12.2026"
inline constexpr std::size_t kTimeTextLength = 8;   // "09:05:03"

// The date as the abbreviation of the day of the week ("Mo. "; German for
// `language` 1, English for 0 and for every other value), the day and the
// month as two-digit fields each followed by ".", and the year right-aligned in
// four characters. At most 14 characters: anything beyond is cut off. A day
// of the week outside 0..6 is taken modulo 7.
void DateText(const LocalTime& time, int language, ShortText& text);

// The time as hh:mm:ss on a 24-hour clock, each field two digits with a
// leading zero; at most 8 characters, anything beyond is cut off.
void TimeText(const LocalTime& time, ShortText& text);

}  // namespace platform
