// The small pure pieces: text checks, dates, seed generation.
#include <gtest/gtest.h>

#include <fstream>

#include "dates.h"
#include "seed.h"
#include "text_checks.h"

namespace quorvel::testing {
namespace {

using namespace quorvel::service;

TEST(TextChecksTest, Utf8Validation) {
  struct Case {
    std::string text;
    bool valid;
  };
  for (const auto& c : std::vector<Case>{{"ascii", true},
                                         {"ação", true},
                                         {"\xe2\x82\xac", true},
                                         {"\xf0\x9f\x98\x80", true},
                                         {"caf\xe9", false},
                                         {"\xc0\xaf", false},
                                         {"\xed\xa0\x80", false},
                                         {"\xe2\x82", false},
                                         {"\xf4\x90\x80\x80", false}}) {
    EXPECT_EQ(isValidUtf8(c.text), c.valid) << c.text;
  }
}

TEST(TextChecksTest, WhatCountsAsAShareableDomainOrAddress) {
  for (const char* d : {"gmail.com", "uol.com.br", "a-b.com", "xn--bcher-kva.de", "açaí.com.br"}) {
    EXPECT_TRUE(isShareableDomain(d)) << d;
  }
  for (const char* d : {"", "com", ".com", "a..com", "a.com.", "-a.com", "a-.com", "a b.com",
                        "a/b.com", "a@b.com"}) {
    EXPECT_FALSE(isShareableDomain(d)) << d;
  }
  EXPECT_TRUE(isShareableAddress("fulano.tal+x@uol.com.br"));
  for (const char* a : {"@uol.com.br", "semarroba.com", "a b@uol.com.br", "a@b@uol.com.br", "a@uol",
                        "a\\b@uol.com.br"}) {
    EXPECT_FALSE(isShareableAddress(a)) << a;
  }
}

TEST(TextChecksTest, DoubleEncodedTextIsRestoredAndAnythingElseKept) {
  struct Case {
    std::string in, out;
  };
  for (const auto& c : std::vector<Case>{
           {"a\xc3\x83\xc2\xa7"
            "a\xc3\x83\xc2\xad.com.br",
            "a\xc3\xa7"
            "a\xc3\xad.com.br"},                                // açaí
           {"\xc3\xa2\xe2\x82\xac\xc5\x93x", "\xe2\x80\x9cx"},  // a quote through 0x80-0x9F
           {"a\xc3\xa7"
            "a\xc3\xad.com.br",
            "a\xc3\xa7"
            "a\xc3\xad.com.br"},  // proper UTF-8
           {"plain.com", "plain.com"},
           {"\xe4\xb8\xad.cn", "\xe4\xb8\xad.cn"}}) {  // not Windows-1252 at all
    EXPECT_EQ(repairDoubleEncoding(c.in), c.out) << c.in;
  }
}

TEST(TextChecksTest, SplitItemsTrimsLowersAndDropsEmptyOnes) {
  EXPECT_EQ(splitItems(" A.com ;b.COM;;\r\nc.com;"),
            (std::vector<std::string>{"a.com", "b.com", "c.com"}));
  EXPECT_TRUE(splitItems(";;").empty());
}

TEST(DatesTest, OnlyRealDaysInTheExactForm) {
  EXPECT_TRUE(isDate("2024-02-29"));
  EXPECT_TRUE(isDate(todayUtc()));
  for (const char* d : {"2023-02-29", "2024-13-01", "2024-1-01", "2024-01-32", "24-01-01",
                        "2024/01/01", "2024-01-01 ", "0000-01-01"}) {
    EXPECT_FALSE(isDate(d)) << d;
  }
}

TEST(SeedTest, CountryLinesComeFromTheIcannTwoLetterSuffixesWithoutBrazil) {
  std::string list =
      "// comment\nfr\nbr\ncom.br\nuk\nco.uk\n*.ck\nlocalhost\n\xe4\xb8\xad\xe5\x9b\xbd\nXX "
      "trailing\n// ===END ICANN DOMAINS===\n// ===BEGIN PRIVATE DOMAINS===\nzz\n";
  EXPECT_EQ(countryLinesFromPublicSuffixList(list),
            (std::vector<std::string>{".fr", ".uk", ".xx"}));
}

TEST(SeedTest, TrapLinesComeFromTheDisposableDomainList) {
  EXPECT_EQ(trapLinesFromDisposableDomains("[\n  \"mailinator.com\",\n  \"0-mail.com\",\n"
                                           "  \"Mailinator.com\",\n  \"not a domain\"\n]"),
            (std::vector<std::string>{"*@0-mail.com", "*@mailinator.com"}));
  EXPECT_THROW(trapLinesFromDisposableDomains("{}"), std::runtime_error);
}

TEST(SeedTest, TheBuiltSeedHoldsTheGeneratedLists) {
  std::ifstream countries(std::string(QUORVEL_SEED_BUILD_DIR) + "/sys_paises.filter");
  std::string all((std::istreambuf_iterator<char>(countries)), {});
  EXPECT_NE(all.find(".fr\n"), std::string::npos);
  EXPECT_NE(all.find(".de\n"), std::string::npos);
  EXPECT_EQ(all.find(".br\n"), std::string::npos);
  std::ifstream traps(std::string(QUORVEL_SEED_BUILD_DIR) + "/sys_armadilhas.filter");
  std::string line;
  size_t n = 0;
  while (std::getline(traps, line)) {
    ASSERT_EQ(line.rfind("*@", 0), 0u) << line;
    ++n;
  }
  EXPECT_GT(n, 100000u);
}

}  // namespace
}  // namespace quorvel::testing
