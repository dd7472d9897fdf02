#include "common/text.h"

#include <cstdint>
#include <cstring>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "common/collation.h"

namespace quorvel {

std::string_view trimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

std::string trim(std::string_view s) {
  return std::string(trimView(s));
}

bool isBlank(std::string_view s) {
  return trimView(s).empty();
}

size_t asciiPrefixLength(std::string_view s) {
  size_t i = 0;
  for (uint64_t w; i + 8 <= s.size(); i += 8) {
    std::memcpy(&w, s.data() + i, 8);
    if (w & 0x8080808080808080ull) break;
  }
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}

bool isAscii(std::string_view s) {
  return asciiPrefixLength(s) == s.size();
}

int nextCodePointSlow(std::string_view s, size_t& i) {
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  int32_t len = static_cast<int32_t>(s.size());
  int32_t pos = static_cast<int32_t>(i);
  int32_t start = pos;
  UChar32 c;
  U8_NEXT(p, pos, len, c);
  if (c < 0) {
    // One negative value per ill-formed byte.
    i = start + 1;
    return -static_cast<int>(p[start]);
  }
  i = pos;
  return c;
}

// ASCII bytes, the most of any list, are counted without decoding.
size_t codePointCount(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); ++n) {
    if (static_cast<unsigned char>(s[i]) < 0x80)
      ++i;
    else
      nextCodePoint(s, i);
  }
  return n;
}

size_t utf16Length(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      ++n;
    } else {
      n += nextCodePoint(s, i) > 0xFFFF ? 2 : 1;
    }
  }
  return n;
}

bool isValidUtf8(std::string_view s) {
  size_t i = 0;
  while ((i += asciiPrefixLength(s.substr(i))) < s.size())
    if (nextCodePoint(s, i) < 0) return false;
  return true;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void toLowerInto(std::string_view s, std::string& out) {
  // ASCII prefix: plain byte mapping, written straight into the buffer.
  out.resize(s.size());
  char* o = out.data();
  size_t i = 0;
  // Eight ASCII bytes at a time: the bytes in 'A'..'Z' get the 0x20 bit.
  constexpr uint64_t kAltos = 0x8080808080808080ull, kUm = 0x0101010101010101ull;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    if (w & kAltos) break;
    uint64_t aPartirDeA = w + (0x80 - 'A') * kUm;
    uint64_t depoisDeZ = w + (0x80 - 'Z' - 1) * kUm;
    w |= ((aPartirDeA & ~depoisDeZ) & kAltos) >> 2;
    std::memcpy(o + i, &w, 8);
  }
  for (; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) break;
    o[i] = static_cast<char>(static_cast<unsigned>(c - 'A') < 26u ? c + 32 : c);
  }
  if (i == s.size()) return;
  out.resize(i);
  while (i < s.size()) {
    size_t start = i;
    int cp = nextCodePoint(s, i);
    if (cp < 0) {
      out.push_back(s[start]);  // ill-formed byte kept as it is
    } else if (cp < 0x80) {
      out.push_back(static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + 32 : cp));
    } else {
      appendUtf8(out, static_cast<char32_t>(u_tolower(cp)));
    }
  }
}

std::string toLower(std::string_view s) {
  std::string out;
  toLowerInto(s, out);
  return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (isAscii(a) && isAscii(b)) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      unsigned char x = a[i], y = b[i];
      if (x >= 'A' && x <= 'Z') x += 32;
      if (y >= 'A' && y <= 'Z') y += 32;
      if (x != y) return false;
    }
    return true;
  }
  return toLower(a) == toLower(b);
}

bool containsIgnoreCase(std::string_view haystack, std::string_view needle) {
  return toLower(haystack).find(toLower(needle)) != std::string::npos;
}

int compareText(std::string_view a, std::string_view b) {
  return collation::compare(a, b);
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

}  // namespace quorvel
