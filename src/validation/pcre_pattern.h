#pragma once
// A PCRE2 pattern compiled once (JIT when available), with its match data kept for reuse.
// One thread uses it: a pattern shared by threads is one per thread (thread_local).

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <string_view>

namespace quorvel {

class PcrePattern {
 public:
  explicit PcrePattern(const char* pattern, uint32_t options = 0);
  ~PcrePattern();
  PcrePattern(const PcrePattern&) = delete;
  PcrePattern& operator=(const PcrePattern&) = delete;

  // >0 on a match (the ovector holds the match), PCRE2_ERROR_NOMATCH, or another error code.
  int match(std::string_view subject, size_t start = 0);
  // Start and end of the whole match after a successful match().
  size_t matchStart() const { return ovector_[0]; }
  size_t matchEnd() const { return ovector_[1]; }

 private:
  pcre2_code* code_ = nullptr;
  pcre2_match_data* data_ = nullptr;
  pcre2_match_context* context_ = nullptr;
  PCRE2_SIZE* ovector_ = nullptr;
  bool jit_ = false;
};

}  // namespace quorvel
