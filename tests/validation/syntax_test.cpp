#include "validation/syntax.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

namespace quorvel {
namespace {

TEST(ValidateEmail, AcceptsAndRejectsAsTheExpressionSays) {
  struct Case {
    const char* text;
    bool ok;
  };
  const Case cases[] = {
      {"ana@gmail.com", true},     {"ana.silva+news@empresa.com.br", true},
      {"a_b-c@x-y.z9", true},      {"  ana@gmail.com \t", true},  // trimmed first
      {"Ana@Gmail.COM", true},     {"ana@gmail", false},          // no dot after the "@"
      {"ana@@gmail.com", false},                                  // second "@"
      {"ana@gm@ail.com", false},   {"an a@gmail.com", false},     // blank inside
      {"joão@gmail.com", false},                                  // accented letter
      {"ana@gmail.com.", false},                                  // final dot
      {"ana@gmail.com-", false},                                  // final hyphen
      {"@gmail.com", false},       {"ana@.com", false},
      {"ana@gmail.-com", true},    {"", false},
      {"ana@gmail.com\nx", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ValidateEmail(c.text), c.ok) << c.text;
}

// The expression lets these through; no mail server accepts them.
TEST(ValidateEmail, DotsAtTheEdgesOrDoubledAreSyntaxErrors) {
  const char* recusados[] = {"maria..silva@x.com", ".maria@x.com",      "maria.@x.com",
                             "x@hotmail..com",     "x@hotmail.com..br", "a.@b.com.br"};
  for (const char* e : recusados) {
    EXPECT_TRUE(sintaxePcre(e)) << e;  // the expression itself is unchanged
    EXPECT_FALSE(ValidateEmail(e)) << e;
  }
  EXPECT_TRUE(ValidateEmail("maria.silva@x.com.br"));
}

// The linear scan must accept exactly what the expression accepts.
TEST(ValidateEmail, ScanAgreesWithTheExpressionOnRandomTexts) {
  const std::string alphabet = "aZ9_.+-@ -.@a\xC3\xA9";
  std::mt19937 rng(7);
  int matches = 0;
  for (int i = 0; i < 200000; ++i) {
    std::string s;
    int len = static_cast<int>(rng() % 12);
    for (int k = 0; k < len; ++k) s += alphabet[rng() % alphabet.size()];
    bool pcre = sintaxePcre(s);
    ASSERT_EQ(sintaxePlausivel(s), pcre) << "[" << s << "]";
    matches += pcre;
  }
  EXPECT_GT(matches, 100);  // the sample really exercises accepted texts too
}

TEST(ValidateEmail, HostileLongLinesAnswerQuickly) {
  std::string longRest = "a@b." + std::string(1 << 20, 'x') + "-";
  std::string longLocal = std::string(1 << 20, 'a') + "@b.com";
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(ValidateEmail(longRest));
  EXPECT_TRUE(ValidateEmail(longLocal));
  auto elapsed = std::chrono::steady_clock::now() - t0;
  EXPECT_LT(elapsed, std::chrono::seconds(2));
}

}  // namespace
}  // namespace quorvel
