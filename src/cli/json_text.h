#pragma once
// Texts as JSON strings. Bytes that are not UTF-8 become U+FFFD, so the output is always valid
// JSON whatever the input held.

#include <string>
#include <string_view>

namespace quorvel::cli {

std::string jsonString(std::string_view texto);

}  // namespace quorvel::cli
