#include "common/collation.h"

#include <unicode/ucol.h>
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

std::string sortKey(std::string_view s) {
  // UTF-8 → UTF-16 for ucol_getSortKey; ill-formed bytes become U+FFFD here only.
  std::u16string u16;
  u16.reserve(s.size());
  int32_t len = static_cast<int32_t>(s.size());
  for (int32_t i = 0; i < len;) {
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
  std::string key(u16.size() * 4 + 16, '\0');
  for (;;) {
    int32_t n = ucol_getSortKey(
        collator(), reinterpret_cast<const UChar*>(u16.data()), static_cast<int32_t>(u16.size()),
        reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
    if (n <= static_cast<int32_t>(key.size())) {
      key.resize(n > 0 ? n - 1 : 0);  // drop the terminating zero
      return key;
    }
    key.resize(n);
  }
}

}  // namespace quorvel::collation
