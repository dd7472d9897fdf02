#include "validation/pcre_pattern.h"

#include <stdexcept>
#include <string>

namespace quorvel {

PcrePattern::PcrePattern(const char* pattern, uint32_t options) {
  int err;
  PCRE2_SIZE offset;
  code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, options, &err,
                        &offset, nullptr);
  if (!code_) throw std::runtime_error(std::string("PCRE2: expressão inválida: ") + pattern);
  jit_ = pcre2_jit_compile(code_, PCRE2_JIT_COMPLETE) == 0;
  data_ = pcre2_match_data_create_from_pattern(code_, nullptr);
  context_ = pcre2_match_context_create(nullptr);
  // Bounded work per subject: a runaway backtrack becomes an error (a mismatch for callers).
  pcre2_set_match_limit(context_, 10'000'000);
  ovector_ = pcre2_get_ovector_pointer(data_);
}

PcrePattern::~PcrePattern() {
  pcre2_match_context_free(context_);
  pcre2_match_data_free(data_);
  pcre2_code_free(code_);
}

int PcrePattern::match(std::string_view subject, size_t start) {
  auto* s = reinterpret_cast<PCRE2_SPTR>(subject.data());
  if (jit_) return pcre2_jit_match(code_, s, subject.size(), start, 0, data_, context_);
  return pcre2_match(code_, s, subject.size(), start, 0, data_, context_);
}

}  // namespace quorvel
