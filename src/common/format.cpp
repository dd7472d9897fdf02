#include "common/format.h"

#include <ctime>

#include <charconv>
#include <cstdio>

namespace quorvel {

std::string formatNumber(int64_t n) {
  bool neg = n < 0;
  uint64_t v = neg ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  std::string digits = std::to_string(v);
  std::string out;
  out.reserve(digits.size() + digits.size() / 3 + 1);
  if (neg) out.push_back('-');
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back('.');
    out.push_back(digits[i]);
  }
  return out;
}

std::string formatNumberOrEmpty(int64_t n) {
  return n == 0 ? std::string() : formatNumber(n);
}

std::string getDataSQL(std::chrono::year_month_day d) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(d.year()),
                static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
  return buf;
}

std::chrono::year_month_day strToDataSQL(std::string_view s) {
  using namespace std::chrono;
  const year_month_day fallback{year{2020}, month{1}, day{1}};
  auto number = [&](size_t pos, size_t len, int& out) {
    if (s.size() < pos + len) return false;
    auto part = s.substr(pos, len);
    auto [p, ec] = std::from_chars(part.data(), part.data() + part.size(), out);
    return ec == std::errc() && p == part.data() + part.size();
  };
  int y, m, d;
  if (!number(0, 4, y) || !number(5, 2, m) || !number(8, 2, d) || y < 1) return fallback;
  year_month_day r{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
  return r.ok() ? r : fallback;
}

std::string fileStamp(std::chrono::system_clock::time_point t) {
  std::time_t tt = std::chrono::system_clock::to_time_t(t);
  std::tm tm{};
  localtime_r(&tt, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%04d %02d_%02d_%02d", tm.tm_mday, tm.tm_mon + 1,
                tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

}  // namespace quorvel
