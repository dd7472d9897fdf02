#pragma once
// The syntax check of an address.

#include <string_view>

namespace quorvel {

// The expression every address must match as a whole (PCRE, case-sensitive, default options).
inline constexpr const char* kSintaxeEmail =
    "^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\\.[a-zA-Z0-9-.]*[a-zA-Z0-9]+$";

// True when the trimmed text matches kSintaxeEmail. A failure of the matcher is a mismatch.
bool ValidateEmail(std::string_view emailAddress);

// A linear scan that accepts exactly the texts the expression accepts. It answers first so that
// long or hostile texts never reach the backtracking matcher.
bool sintaxePlausivel(std::string_view s);

// The expression alone through PCRE2 (for checks of the scan above).
bool sintaxePcre(std::string_view s);
// No mail server takes a local part or a domain that begins or ends with "." or holds "..",
// though the expression lets them through; they are syntax errors too.
bool pontosBemColocados(std::string_view s);

}  // namespace quorvel
