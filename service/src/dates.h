#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel::service {

// Dates travel as "yyyy-MM-dd". The service stamps rows with the UTC day: Brazil is behind UTC,
// so a client's local day never runs ahead of the day the service gives a row.
std::string todayUtc();

// The UTC day `days` days before today.
std::string utcDaysAgo(int days);

// Seconds until the next UTC day begins (1 to 86400).
int secondsToUtcMidnight();

// True when text is exactly "yyyy-MM-dd" and names a real calendar day.
bool isDate(std::string_view text);

}  // namespace quorvel::service
