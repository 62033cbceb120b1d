// Calendar dates as the record files store them: days since 30 December 1899
// with the time of day as the fraction. "Now" is always passed in, so tests
// can pin the clock.
#pragma once

#include <cstdint>
#include <string>

struct LocalDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

namespace dates {

// Day number of a calendar date; month and day may lie outside their ranges
// and roll over (month 13 is January of the next year, day 0 the last day of
// the month before).
int64_t DayNumber(int year, int month, int day);
LocalDateTime FromDayNumber(int64_t days);

double ToOleDate(const LocalDateTime& t);  // whole seconds
LocalDateTime FromOleDate(double ole);
// The same date twenty (or n) years earlier; 29 February falls back to the 28th.
LocalDateTime YearsBack(const LocalDateTime& t, int years);

LocalDateTime NowLocal();          // the machine's local clock
int DayOfWeek(int64_t dayNumber);  // 0 = Sunday

}  // namespace dates
