#pragma once
// MX lookups. One query answers "has a mail server", "has none" (the name does not exist, it has
// no MX record, or its single MX is the null MX of RFC 7505), or "no answer" (time-out, server
// failure, refusal, transport error). Many queries can be in flight at once.

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

enum class MxAnswer { hasMx, noMx, noAnswer };

// Whether a text can be a DNS name at all: labels of 1 to 63 octets separated by single dots,
// 253 octets in all, no blank, control character or backslash. A domain that cannot be one has
// definitely no mail server; asking the resolver would only bring back an error.
inline bool dnsNamePossible(std::string_view nome) {
  if (nome.empty() || nome.size() > 253) return false;
  size_t rotulo = 0;
  for (unsigned char c : nome) {
    if (c == '.') {
      if (rotulo == 0) return false;
      rotulo = 0;
      continue;
    }
    if (c <= 0x20 || c == 0x7F || c == '\\') return false;
    if (++rotulo > 63) return false;
  }
  return rotulo > 0;
}

class MxResolver {
 public:
  virtual ~MxResolver() = default;
  // Starts a query unless one for this domain is in flight or answered and not yet taken.
  virtual void start(std::string_view dominio) = 0;
  // The answer for the domain once it has arrived; it is then forgotten.
  virtual std::optional<MxAnswer> take(std::string_view dominio) = 0;
  virtual bool pending(std::string_view dominio) const = 0;
  // Lets the resolver work for up to `timeoutMs` (answers are collected as they arrive).
  virtual void process(int timeoutMs) = 0;
  virtual size_t inFlight() const = 0;
  // Drops answers nobody took (queries still in flight are kept).
  virtual void forgetAnswers() = 0;

  // One query, waited for.
  MxAnswer query(std::string_view dominio) {
    start(dominio);
    for (;;) {
      if (auto r = take(dominio)) return *r;
      process(100);
    }
  }
};

}  // namespace quorvel
