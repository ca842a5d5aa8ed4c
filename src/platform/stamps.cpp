#include "platform/stamps.h"

#include <cstdio>

namespace platform {

namespace {

constexpr int kDaysPerWeek = 7;
constexpr const char* kDayAbbreviations[2][kDaysPerWeek] = {
    {"Su. ", "Mo. ", "Tu. ", "We. ", "Th. ", "Fr. ", "Sa. "},
    {"So. ", "Mo. ", "Di. ", "Mi. ", "Do. ", "Fr. ", "Sa. "},
};

// A number right-aligned in two characters, the blank of a one-digit number
// replaced by "0". Larger numbers keep all their digits.
void AppendTwoDigits(ShortText& text, int number) {
  char field[16];
  std::snprintf(field, sizeof field, "%2d", number);
  if (field[0] == ' ') {
    field[0] = '0';
  }
  Append(text, field);
}

void CutAfter(ShortText& text, std::size_t length) {
  if (text.length > length) {
    text.length = length;
    text.chars[length] = '\0';
  }
}

}  // namespace

void DateText(const LocalTime& time, int language, ShortText& text) {
  const int row = language == 1 ? 1 : 0;
  const int weekday = ((time.weekday % kDaysPerWeek) + kDaysPerWeek) % kDaysPerWeek;
  Assign(text, kDayAbbreviations[row][weekday]);
  AppendTwoDigits(text, time.day);
  Append(text, ".");
  AppendTwoDigits(text, time.month);
  Append(text, ".");
  char year[16];
  std::snprintf(year, sizeof year, "%4d", time.year);
  Append(text, year);
  CutAfter(text, kDateTextLength);
}

void TimeText(const LocalTime& time, ShortText& text) {
  Clear(text);
  AppendTwoDigits(text, time.hour);
  Append(text, ":");
  AppendTwoDigits(text, time.minute);
  Append(text, ":");
  AppendTwoDigits(text, time.second);
  CutAfter(text, kTimeTextLength);
}

}  // namespace platform
