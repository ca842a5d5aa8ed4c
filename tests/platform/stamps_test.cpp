#include "platform/stamps.h"

#include <gtest/gtest.h>

namespace {

TEST(Stamps, DateTextsInBothLanguages) {
  struct Case {
    platform::LocalTime time;
    int language;
    const char* date;
  };
  const Case cases[] = {
      {{2026, 12, 7, 1, 0, 0, 0}, 0, "Mo. 07.12.2026"},
      {{2026, 12, 7, 1, 0, 0, 0}, 1, "Mo. 07.12.2026"},
      {{2024, 1, 10, 0, 0, 0, 0}, 0, "Su. 10.01.2024"},
      {{2024, 1, 10, 0, 0, 0, 0}, 1, "So. 10.01.2024"},
      {{2024, 1, 2, 2, 0, 0, 0}, 1, "Di. 02.01.2024"},
      {{2024, 1, 3, 3, 0, 0, 0}, 1, "Mi. 03.01.2024"},
      {{2024, 1, 4, 4, 0, 0, 0}, 1, "Do. 04.01.2024"},
      {{2024, 1, 5, 5, 0, 0, 0}, 1, "Fr. 05.01.2024"},
      {{2024, 1, 6, 6, 0, 0, 0}, 1, "Sa. 06.01.2024"},
      {{2024, 1, 2, 2, 0, 0, 0}, 2, "Tu. 02.01.2024"},
      {{2024, 1, 3, 3, 0, 0, 0}, -1, "We. 03.01.2024"},
      {{2024, 1, 4, 4, 0, 0, 0}, 0, "Th. 04.01.2024"},
      {{2024, 1, 6, 6, 0, 0, 0}, 0, "Sa. 06.01.2024"},
      {{99, 11, 30, 5, 0, 0, 0}, 0, "Fr. 30.11.  99"},
      {{12345, 2, 1, 4, 0, 0, 0}, 0, "Th. 01.02.1234"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    platform::ShortText text;
    platform::DateText(c.time, c.language, text);
    EXPECT_EQ(platform::View(text), c.date);
  }
}

TEST(Stamps, TimeTextsHaveTwoDigitFields) {
  struct Case {
    int hour;
    int minute;
    int second;
    const char* text;
  };
  const Case cases[] = {
      {9, 5, 3, "09:05:03"}, {0, 0, 0, "00:00:00"}, {23, 59, 59, "23:59:59"}, {10, 10, 60, "10:10:60"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    platform::ShortText text;
    platform::TimeText({2026, 1, 1, 4, c.hour, c.minute, c.second}, text);
    EXPECT_EQ(platform::View(text), c.text);
  }
}

}  // namespace
