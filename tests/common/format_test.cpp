#include "common/format.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace std::chrono;

namespace {

TEST(Format, NumbersUsePtBrThousandsGrouping) {
  struct Case {
    int64_t n;
    std::string numero;
    std::string ouVazio;
  };
  const std::vector<Case> cases = {
      {0, "0", ""},
      {7, "7", "7"},
      {999, "999", "999"},
      {1000, "1.000", "1.000"},
      {100000, "100.000", "100.000"},
      {1234567, "1.234.567", "1.234.567"},
      {-1234, "-1.234", "-1.234"},
      {std::numeric_limits<int64_t>::max(), "9.223.372.036.854.775.807",
       "9.223.372.036.854.775.807"},
      {std::numeric_limits<int64_t>::min(), "-9.223.372.036.854.775.808",
       "-9.223.372.036.854.775.808"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quorvel::formatNumber(c.n), c.numero) << c.n;
    EXPECT_EQ(quorvel::formatNumberOrEmpty(c.n), c.ouVazio) << c.n;
  }
}

TEST(Format, GetDataSQLPadsMonthAndDay) {
  EXPECT_EQ(quorvel::getDataSQL(2024y / February / 29d), "2024-02-29");
  EXPECT_EQ(quorvel::getDataSQL(2020y / January / 1d), "2020-01-01");
  EXPECT_EQ(quorvel::getDataSQL(999y / December / 31d), "0999-12-31");
}

TEST(Format, StrToDataSQLReadsYearMonthDayOrFallsBackTo2020) {
  const year_month_day fallback = 2020y / January / 1d;
  struct Case {
    std::string texto;
    year_month_day data;
  };
  const std::vector<Case> cases = {
      {"2024-02-29", 2024y / February / 29d},
      {"1999-12-31", 1999y / December / 31d},
      {"2024-03-05 10:20:30", 2024y / March / 5d},  // only the date characters are read
      {"2024/03/05", 2024y / March / 5d},
      {"", fallback},
      {"2023-02-30", fallback},
      {"2023-02-29", fallback},
      {"abcd-ef-gh", fallback},
      {"2024-13-01", fallback},
      {"2024-00-10", fallback},
      {"2024-01-00", fallback},
      {"0000-01-01", fallback},
      {"2024-1-10", fallback},
      {"2024-01-1", fallback},
      {"2024-01", fallback},
      {"2024--1-10", fallback},
  };
  for (const auto& c : cases) EXPECT_EQ(quorvel::strToDataSQL(c.texto), c.data) << c.texto;

  for (const char* s : {"2024-02-29", "2000-10-01", "0999-12-31"})
    EXPECT_EQ(quorvel::getDataSQL(quorvel::strToDataSQL(s)), s);
}

}  // namespace
