#include "common/collation.h"

#include <unicode/ucol.h>
#include <unicode/uiter.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <memory>
#include <stdexcept>

namespace quorvel::collation {
namespace {

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};

UCollator* collator() {
  // One collator for the program: everything runs on one thread.
  static std::unique_ptr<UCollator, CollatorCloser> instance = [] {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* c = ucol_open("pt_BR", &status);
    if (U_FAILURE(status)) throw std::runtime_error("ICU: não foi possível abrir o collator pt_BR");
    ucol_setStrength(c, UCOL_SECONDARY);
    return std::unique_ptr<UCollator, CollatorCloser>(c);
  }();
  return instance.get();
}

}  // namespace

int compare(std::string_view a, std::string_view b) {
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult r = ucol_strcollUTF8(collator(), a.data(), static_cast<int32_t>(a.size()),
                                        b.data(), static_cast<int32_t>(b.size()), &status);
  if (U_FAILURE(status)) return a.compare(b);
  return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

void appendSortKey(std::string_view s, std::string& out) {
  // UTF-8 → UTF-16 for ucol_getSortKey; ill-formed bytes become U+FFFD here only. The buffer is
  // kept between calls.
  thread_local std::u16string u16;
  u16.clear();
  int32_t len = static_cast<int32_t>(s.size());
  for (int32_t i = 0; i < len;) {
    const auto b = static_cast<unsigned char>(s[static_cast<size_t>(i)]);
    if (b < 0x80) {
      u16.push_back(static_cast<char16_t>(b));
      ++i;
      continue;
    }
    UChar32 c;
    U8_NEXT(reinterpret_cast<const uint8_t*>(s.data()), i, len, c);
    if (c < 0) c = 0xFFFD;
    if (c > 0xFFFF) {
      u16.push_back(static_cast<char16_t>(U16_LEAD(c)));
      u16.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    } else {
      u16.push_back(static_cast<char16_t>(c));
    }
  }
  const size_t inicio = out.size();
  size_t espaco = u16.size() * 4 + 16;
  for (;;) {
    out.resize(inicio + espaco);
    int32_t n = ucol_getSortKey(
        collator(), reinterpret_cast<const UChar*>(u16.data()), static_cast<int32_t>(u16.size()),
        reinterpret_cast<uint8_t*>(out.data() + inicio), static_cast<int32_t>(espaco));
    if (n <= static_cast<int32_t>(espaco)) {
      out.resize(inicio + (n > 0 ? static_cast<size_t>(n) - 1 : 0));  // no terminating zero
      return;
    }
    espaco = static_cast<size_t>(n);
  }
}

void appendSortKeyPrefix(std::string_view s, size_t bytes, std::string& out) {
  UCharIterator it;
  uiter_setUTF8(&it, s.data(), static_cast<int32_t>(s.size()));
  uint32_t estado[2] = {0, 0};
  UErrorCode status = U_ZERO_ERROR;
  const size_t inicio = out.size();
  out.resize(inicio + bytes);
  const int32_t n =
      ucol_nextSortKeyPart(collator(), &it, estado, reinterpret_cast<uint8_t*>(out.data() + inicio),
                           static_cast<int32_t>(bytes), &status);
  if (U_FAILURE(status)) {
    out.resize(inicio);
    appendSortKey(s, out);
    if (out.size() > inicio + bytes) out.resize(inicio + bytes);
    return;
  }
  out.resize(inicio + static_cast<size_t>(n));
}

std::string sortKey(std::string_view s) {
  std::string key;
  appendSortKey(s, key);
  return key;
}

bool printableAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

void asciiLowerInto(std::string_view s, std::string& out) {
  out.assign(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
}

}  // namespace quorvel::collation
