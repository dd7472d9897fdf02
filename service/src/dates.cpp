#include "dates.h"

#include <cstdio>
#include <ctime>

namespace quorvel::service {

namespace {

std::string utcDayOf(std::time_t when) {
  std::tm tm{};
  gmtime_r(&when, &tm);
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  return text;
}

}  // namespace

std::string todayUtc() {
  return utcDayOf(std::time(nullptr));
}

std::string utcDaysAgo(int days) {
  return utcDayOf(std::time(nullptr) - static_cast<std::time_t>(days) * 86400);
}

int secondsToUtcMidnight() {
  std::time_t now = std::time(nullptr);
  return static_cast<int>(86400 - now % 86400);
}

bool isDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  auto number = [&](size_t from, size_t count) {
    int n = 0;
    for (size_t i = from; i < from + count; ++i) n = n * 10 + (text[i] - '0');
    return n;
  };
  int year = number(0, 4), month = number(5, 2), day = number(8, 2);
  if (year < 1 || month < 1 || month > 12 || day < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  return day <= last;
}

}  // namespace quorvel::service
