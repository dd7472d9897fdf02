#include "common/collation.h"

#include <gtest/gtest.h>

#include <string>

#include "pt_br_words.h"

using quorvel::collation::compare;
using quorvel::testing::kPalavras;

namespace {

int sign(int v) {
  return (v > 0) - (v < 0);
}

TEST(Collation, PtBrOrderIgnoresCaseButNotAccents) {
  EXPECT_EQ(compare("Reyansh", "reyansh"), 0);
  EXPECT_EQ(compare("JOÃO", "joão"), 0);
  EXPECT_LT(compare("ana", "aná"), 0);  // accents are a secondary difference
  EXPECT_LT(compare("abacaxi", "ábaco"), 0);
  EXPECT_LT(compare("ábaco", "abade"), 0);
  EXPECT_LT(compare("caça", "cacau"), 0);  // byte order would put "caça" last
  EXPECT_LT(compare("arvore", "Árvore"), 0);
  EXPECT_LT(compare("Árvore", "Zebra"), 0);
}

TEST(Collation, SortKeyOrderMatchesCompare) {
  for (const auto& a : kPalavras) {
    const std::string ka = quorvel::collation::sortKey(a);
    for (const auto& b : kPalavras) {
      const std::string kb = quorvel::collation::sortKey(b);
      EXPECT_EQ(sign(ka.compare(kb)), sign(compare(a, b))) << "\"" << a << "\" vs \"" << b << "\"";
    }
  }
}

// The sorted list's ASCII lookup index rests on this: punctuation and spaces are not ignored,
// so printable-ASCII texts are equal only when their ASCII lower-cases are.
TEST(Collation, PrintableAsciiTextsAreEqualOnlyWhenTheirLowerCasesAre) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (char a = 0x20; a < 0x7F; ++a) {
    EXPECT_NE(compare(std::string(1, a), ""), 0) << "'" << a << "'";
    EXPECT_NE(compare("x" + std::string(1, a) + "y", "xy"), 0) << "'" << a << "'";
    for (char b = 0x20; b < 0x7F; ++b)
      EXPECT_EQ(compare(std::string(1, a), std::string(1, b)) == 0, lower(a) == lower(b))
          << "'" << a << "' vs '" << b << "'";
  }
}

}  // namespace
