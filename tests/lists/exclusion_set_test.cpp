// The exclusion file's lines as a set: equal ignoring case under the pt-BR collation, whatever
// mix of plain ASCII and other lines the file holds.
#include "lists/exclusion_set.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel {
namespace {

TEST(ExclusionSet, FindsValuesIgnoringCaseAsTheCollationComparesThem) {
  const ExclusionSet s("Ana@X.com\r\njoão@y.com.br\nＢＩＡ@z.com\rcaio@w.com\r\n\r\nana@x.com\r\n");
  struct Caso {
    const char* valor;
    bool achado;
  } casos[] = {
      {"ana@x.com", true},     {"ANA@X.COM", true},
      {"JOÃO@Y.COM.BR", true}, {"joao@y.com.br", false},  // accents count
      {"bia@z.com", true},  // a full-width line equals its ASCII letters
      {"caio@w.com", true},    {"caio@w.co", false},
      {" ana@x.com", false},   {"", true},  // the file has a blank line
  };
  for (const auto& c : casos) EXPECT_EQ(s.contains(c.valor), c.achado) << c.valor;
  EXPECT_EQ(s.first(), "");  // the blank line sorts first
}

TEST(ExclusionSet, TheFirstLineIsTheSmallestAndTheEarliestOfEqualOnes) {
  EXPECT_EQ(ExclusionSet("b@x\nA;\"q\"\na;\"q\"\n").first(), "A;\"q\"");
  EXPECT_EQ(ExclusionSet("zé@x\nÁrvore@y\n").first(), "Árvore@y");
  const ExclusionSet vazio("");
  EXPECT_TRUE(vazio.empty());
  EXPECT_FALSE(vazio.contains("a@x"));
}

}  // namespace
}  // namespace quorvel
