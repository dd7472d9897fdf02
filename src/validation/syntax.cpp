#include "validation/syntax.h"

#include "common/text.h"
#include "validation/pcre_pattern.h"

namespace quorvel {
namespace {

inline bool alnum(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
inline bool localChar(unsigned char c) {
  return alnum(c) || c == '_' || c == '.' || c == '+' || c == '-';
}

PcrePattern& sintaxe() {
  // One per thread: a pattern keeps its match data (the bulk run checks lines on two threads).
  thread_local PcrePattern p(kSintaxeEmail);
  return p;
}

}  // namespace

bool sintaxePlausivel(std::string_view s) {
  // local "@" label "." rest — the local part and the label cannot hold "@", the label cannot
  // hold ".", and the rest is letters, digits, "-" and "." ending in a letter or digit.
  size_t i = 0, n = s.size();
  while (i < n && localChar(s[i])) ++i;
  if (i == 0 || i == n || s[i] != '@') return false;
  size_t labelStart = ++i;
  while (i < n && (alnum(s[i]) || s[i] == '-')) ++i;
  if (i == labelStart || i == n || s[i] != '.') return false;
  size_t restStart = ++i;
  while (i < n && (alnum(s[i]) || s[i] == '-' || s[i] == '.')) ++i;
  if (i != n || i == restStart) return false;
  return alnum(s[n - 1]);
}

bool sintaxePcre(std::string_view s) {
  return sintaxe().match(s) > 0;
}

bool pontosBemColocados(std::string_view s) {
  auto parteBoa = [](std::string_view parte) {
    return !parte.empty() && parte.front() != '.' && parte.back() != '.' &&
           parte.find("..") == std::string_view::npos;
  };
  size_t arroba = s.find('@');
  if (arroba == std::string_view::npos) return parteBoa(s);
  return parteBoa(s.substr(0, arroba)) && parteBoa(s.substr(arroba + 1));
}

bool ValidateEmail(std::string_view emailAddress) {
  std::string_view s = trimView(emailAddress);
  if (!sintaxePlausivel(s) || !pontosBemColocados(s)) return false;
  return sintaxePcre(s);
}

}  // namespace quorvel
