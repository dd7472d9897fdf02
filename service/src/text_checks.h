#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvel::service {

bool isValidUtf8(std::string_view text);

// Trims characters with codes up to 32 at both ends.
std::string_view trimControl(std::string_view text);

// Trims spaces and tabs at both ends (HTTP's optional whitespace).
std::string_view trimBlanks(std::string_view text);

// ASCII letters lowered; other bytes (UTF-8 of international names) kept as they are.
std::string asciiLower(std::string_view text);

// The case fold of addresses and domains, the same rule the desktop program applies: every
// code point to its Unicode simple lower case ("ÁNA@X.COM" is "ána@x.com"); ill-formed bytes
// are kept as they are.
std::string foldCase(std::string_view text);

// A domain name as the program shares it: dot-separated labels of letters, digits, hyphens or
// UTF-8 letters, at most 253 bytes, with at least one dot.
bool isShareableDomain(std::string_view domain);

// A single address: a local part without spaces or control characters, "@", a shareable domain.
bool isShareableAddress(std::string_view address);

// Undoes one round of UTF-8 text read back as Windows-1252 and encoded as UTF-8 again ("aÃ§aÃ­"
// for "açaí"), which some clients send; any other text is returned as it is.
std::string repairDoubleEncoding(std::string_view text);

// Splits a "dados" value at ";" (and line breaks, which some clients leave in), trims and
// folds the case of every item (foldCase) and keeps the non-empty ones in order.
std::vector<std::string> splitItems(std::string_view dados);

// For log lines: printable ASCII only (anything else becomes "?"), at most max characters, so a
// client cannot forge or break lines of the log.
std::string printable(std::string_view text, size_t max = 80);

// True when the text is a name a client may download: letters, digits, ".", "-" and "_",
// not starting with a dot.
bool isPublicFileName(std::string_view name);

}  // namespace quorvel::service
