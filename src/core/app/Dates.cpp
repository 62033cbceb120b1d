#include "core/app/Dates.h"

#include <cmath>
#include <ctime>

namespace dates {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// Constant-initialised: other files' static dates may be computed before this file's.
constexpr int64_t kOleEpoch = DaysFromCivil(1899, 12, 30);

}  // namespace

int64_t DayNumber(int year, int month, int day) {
  int64_t y = year;
  int64_t m = month - 1;  // 0-based, then folded into 0..11
  y += m >= 0 ? m / 12 : -((11 - m) / 12);
  m = ((m % 12) + 12) % 12;
  return DaysFromCivil(y, m + 1, 1) + (day - 1) - kOleEpoch;
}

LocalDateTime FromDayNumber(int64_t days) {
  LocalDateTime t;
  CivilFromDays(days + kOleEpoch, t.year, t.month, t.day);
  t.hour = t.minute = t.second = 0;
  return t;
}

double ToOleDate(const LocalDateTime& t) {
  const double seconds = t.hour * 3600.0 + t.minute * 60.0 + t.second;
  return static_cast<double>(DayNumber(t.year, t.month, t.day)) + seconds / 86400.0;
}

LocalDateTime FromOleDate(double ole) {
  const double whole = std::floor(ole);
  LocalDateTime t = FromDayNumber(static_cast<int64_t>(whole));
  auto secs = static_cast<int64_t>(std::llround((ole - whole) * 86400.0));
  if (secs >= 86400) secs = 86399;
  t.hour = static_cast<int>(secs / 3600);
  t.minute = static_cast<int>(secs / 60 % 60);
  t.second = static_cast<int>(secs % 60);
  return t;
}

LocalDateTime YearsBack(const LocalDateTime& t, int years) {
  LocalDateTime r = t;
  r.year -= years;
  if (r.month == 2 && r.day == 29 && DayNumber(r.year, 3, 1) - DayNumber(r.year, 2, 1) == 28) r.day = 28;
  return r;
}

LocalDateTime NowLocal() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  LocalDateTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  return t;
}

int DayOfWeek(int64_t dayNumber) {
  // Day 0 (30 Dec 1899) was a Saturday.
  return static_cast<int>(((dayNumber + 6) % 7 + 7) % 7);
}

}  // namespace dates
