#pragma once
// Number and date texts shown to the user and stored in the database.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

// "#,##0" with pt-BR grouping: 1234567 → "1.234.567", 0 → "0".
std::string formatNumber(int64_t n);
// "#,##": as above, but 0 gives an empty text.
std::string formatNumberOrEmpty(int64_t n);

// "yyyy-MM-dd".
std::string getDataSQL(std::chrono::year_month_day d);
// Builds a date from characters 1–4, 6–7 and 9–10 of "yyyy-MM-dd"; 2020-01-01 when that fails.
std::chrono::year_month_day strToDataSQL(std::string_view s);

// Local date and time as pt-BR short date and long time, made fit for a file name:
// "dd-mm-yyyy hh_nn_ss".
std::string fileStamp(std::chrono::system_clock::time_point t);

}  // namespace quorvel
