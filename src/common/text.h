#pragma once
// UTF-8 text helpers shared by every subsystem. Strings are UTF-8 std::string throughout;
// ill-formed bytes are carried along unchanged, never dropped.

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// Removes characters with codes 0..32 from both ends (the classic "Trim").
std::string_view trimView(std::string_view s);
std::string trim(std::string_view s);

// True when the text is empty after trim.
bool isBlank(std::string_view s);

bool isAscii(std::string_view s);
// Length of the leading run of ASCII bytes (read eight at a time).
size_t asciiPrefixLength(std::string_view s);

// Unicode simple lower-case mapping, code point by code point. ASCII input takes a fast path.
std::string toLower(std::string_view s);
// Lower-cases into `out` (cleared first); reuses its capacity on the hot paths.
void toLowerInto(std::string_view s, std::string& out);

// Case-insensitive equality (Unicode lower-case of both sides).
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// Case-insensitive containment: lower(needle) occurs in lower(haystack).
bool containsIgnoreCase(std::string_view haystack, std::string_view needle);

// Locale-aware (pt-BR), case-insensitive comparison: <0, 0, >0.
int compareText(std::string_view a, std::string_view b);

// Decodes the code point at s[i]; advances i. Ill-formed bytes decode as one negative value
// per byte so that callers can keep them apart from every real character.
int nextCodePointSlow(std::string_view s, size_t& i);
inline int nextCodePoint(std::string_view s, size_t& i) {
  auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    ++i;
    return c;
  }
  return nextCodePointSlow(s, i);
}
size_t codePointCount(std::string_view s);
// Length in UTF-16 code units (how the desktop toolkit counts a text's length).
size_t utf16Length(std::string_view s);
bool isValidUtf8(std::string_view s);
void appendUtf8(std::string& out, char32_t cp);

// Splits text into lines at CR LF, LF or CR. A final line break does not start an empty line.
std::vector<std::string> splitLines(std::string_view text);

}  // namespace quorvel
