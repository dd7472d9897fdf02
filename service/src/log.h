#pragma once

#include <string_view>

namespace quorvel::service {

// One line on standard error, prefixed with the UTC time; safe from any thread.
void logLine(std::string_view text);

}  // namespace quorvel::service
