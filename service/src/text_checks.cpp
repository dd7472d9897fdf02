#include "text_checks.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>

namespace quorvel::service {

bool isValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    size_t extra;
    unsigned int code;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (static_cast<size_t>(end - p) <= extra) return false;
    for (size_t i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      code = (code << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000) || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    p += extra + 1;
  }
  return true;
}

namespace {

// Windows-1252's characters at 0x80-0x9F; 0 where the code page leaves the byte undefined (those
// pass through as the C1 control of the same number).
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The Windows-1252 byte of a code point, or -1.
int cp1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == c || (kCp1252High[i] == 0 && c == 0x80u + static_cast<char32_t>(i))) {
      return 0x80 + i;
    }
  }
  return -1;
}

}  // namespace

std::string repairDoubleEncoding(std::string_view text) {
  if (std::none_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; })) {
    return std::string(text);  // ASCII, the usual case
  }
  std::string bytes;
  bool wide = false;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {  // text is valid UTF-8 here
    char32_t c;
    size_t n = *p < 0x80 ? 1 : *p < 0xE0 ? 2 : *p < 0xF0 ? 3 : 4;
    if (static_cast<size_t>(end - p) < n) return std::string(text);
    c = n == 1 ? *p : n == 2 ? (*p & 0x1F) : n == 3 ? (*p & 0x0F) : (*p & 0x07);
    for (size_t i = 1; i < n; ++i) c = (c << 6) | (p[i] & 0x3F);
    int b = cp1252Byte(c);
    if (b < 0) return std::string(text);
    wide = wide || b >= 0x80;
    bytes.push_back(static_cast<char>(b));
    p += n;
  }
  if (!wide || !isValidUtf8(bytes)) return std::string(text);
  return bytes;
}

std::string_view trimControl(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string foldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  auto length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    if (p[i] < 0x80) {
      char c = static_cast<char>(p[i++]);
      out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
      continue;
    }
    int32_t start = i;
    UChar32 code;
    U8_NEXT(p, i, length, code);
    if (code < 0) {
      out.append(text.substr(static_cast<size_t>(start), static_cast<size_t>(i - start)));
      continue;
    }
    uint8_t encoded[U8_MAX_LENGTH];
    int32_t n = 0;
    [[maybe_unused]] UBool error = false;
    U8_APPEND(encoded, n, U8_MAX_LENGTH, u_tolower(code), error);
    out.append(reinterpret_cast<const char*>(encoded), static_cast<size_t>(n));
  }
  return out;
}

bool isShareableDomain(std::string_view domain) {
  if (domain.empty() || domain.size() > 253) return false;
  if (domain.find('.') == std::string_view::npos) return false;
  size_t label = 0;
  char previous = '.';
  for (char ch : domain) {
    auto c = static_cast<unsigned char>(ch);
    if (c == '.') {
      if (previous == '.' || previous == '-' || label > 63) return false;
      label = 0;
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c >= 0x80 || c == '_') {
      ++label;
    } else if (c == '-') {
      if (previous == '.') return false;
      ++label;
    } else {
      return false;
    }
    previous = ch;
  }
  return previous != '.' && previous != '-' && label <= 63;
}

bool isShareableAddress(std::string_view address) {
  if (address.size() > 254) return false;
  size_t at = address.find('@');
  if (at == 0 || at == std::string_view::npos || at > 64) return false;
  for (char ch : address.substr(0, at)) {
    auto c = static_cast<unsigned char>(ch);
    if (c <= 32 || c == 127 || c == '@' || c == '\\' || c == '"') return false;
  }
  return isShareableDomain(address.substr(at + 1));
}

std::vector<std::string> splitItems(std::string_view dados) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= dados.size()) {
    size_t end = dados.find_first_of(";\r\n", start);
    if (end == std::string_view::npos) end = dados.size();
    std::string_view item = trimControl(dados.substr(start, end - start));
    if (!item.empty()) items.push_back(foldCase(item));
    start = end + 1;
  }
  return items;
}

std::string printable(std::string_view text, size_t max) {
  std::string out;
  for (char c : text.substr(0, max)) {
    auto u = static_cast<unsigned char>(c);
    out.push_back(u >= 32 && u < 127 ? c : '?');
  }
  return out;
}

bool isPublicFileName(std::string_view name) {
  if (name.empty() || name.size() > 128 || name.front() == '.') return false;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '.' || c == '-' || c == '_';
    if (!ok) return false;
  }
  return true;
}

}  // namespace quorvel::service
