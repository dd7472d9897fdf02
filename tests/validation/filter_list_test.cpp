#include "validation/filter_list.h"

#include <gtest/gtest.h>

#include <random>

#include "common/text.h"

namespace quorvel {
namespace {

TEST(CasaRegra, RuleForms) {
  struct Case {
    const char* email;
    const char* regra;
    bool casa;
    const char* gErro;  // after a match
  };
  const Case cases[] = {
      {"jean@orange.fr", "*.fr", true, "caiu na regra .fr"},
      {"jean@orange.fr.com", "*.fr", false, ""},
      {"teste123@x.com", "teste*", true, "caiu na regra teste"},
      {"meuteste@x.com", "teste*", false, ""},
      {"ana@spam.com", "spam", true, "caiu na regra spam"},
      {"spammer@x.com", "SPAM", true, "caiu na regra spam"},
      {"qualquer@x.com", "*", true, "caiu na regra "},
      {"*teste@x.com", "*teste*", true, "caiu na regra *teste"},
      {"ateste@x.com", "*teste*", false, ""},
      {"ana@x.com ", "com ", true, "caiu na regra com "},
      {"ana@x.com", "com ", false, ""},
      {"Ana@X.COM", "ana@*", true, "caiu na regra ana@"},
  };
  for (const auto& c : cases) {
    std::string gErro = "antes";
    EXPECT_EQ(casaRegra(c.email, c.regra, gErro), c.casa) << c.email << " " << c.regra;
    EXPECT_EQ(gErro, c.casa ? c.gErro : "antes") << c.email << " " << c.regra;
  }
}

TEST(CasaLista, FirstLineInSortedOrderWinsAndNamesTheLine) {
  auto lista = filterListOf({"zeta", "Spam", "  ", "*.com", "ana*"});
  std::string gErro;
  // "*.com", "ana*", "Spam" and "zeta" all match; "*.com" sorts first.
  EXPECT_TRUE(casaLista("ana.spam.zeta@x.com", *lista, gErro));
  EXPECT_EQ(gErro, " (*.com)");
  EXPECT_TRUE(casaLista("spam@x.net", *lista, gErro));
  EXPECT_EQ(gErro, " (Spam)");  // the line as the file has it
  gErro = "intacto";
  EXPECT_FALSE(casaLista("bob@x.net", *lista, gErro));
  EXPECT_EQ(gErro, "intacto");
}

TEST(CasaLista, BlankLinesNeverMatchAndTrailingBlanksCount) {
  auto lista = filterListOf({"", "   ", "\t", "fr "});
  std::string gErro;
  EXPECT_FALSE(casaLista("jean@orange.fr", *lista, gErro));
  EXPECT_TRUE(casaLista("fr x@y.com", *lista, gErro));
  EXPECT_EQ(gErro, " (fr )");
}

TEST(CasaLista, DuplicateLinesDifferingInCaseAreOneEntry) {
  auto lista = filterListOf({"Ana", "ana", "ANA"});
  ASSERT_EQ(lista->linhas().size(), 1u);
  EXPECT_EQ(lista->linhas()[0], "Ana");
}

// The index must give the answer of testing every line in order with casaRegra.
TEST(CasaLista, IndexAgreesWithLineByLineMatching) {
  std::mt19937 rng(99);
  const std::string alphabet = "abc.@*Á ";
  auto randomText = [&](int maxLen) {
    std::string s;
    int len = static_cast<int>(rng() % maxLen);
    for (int k = 0; k < len; ++k) {
      char c = alphabet[rng() % alphabet.size()];
      if (c == '\xC3')
        s += "\xC3\x81";  // keep the two-byte letter whole
      else if (c != '\x81')
        s += c;
    }
    return s;
  };
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> linhas;
    int n = 1 + static_cast<int>(rng() % 30);
    for (int i = 0; i < n; ++i) linhas.push_back(randomText(5));
    auto lista = filterListOf(linhas);
    for (int k = 0; k < 50; ++k) {
      std::string email = toLower(randomText(10));
      std::string esperado, obtido, lixo;
      bool casou = false;
      for (const auto& linha : lista->linhas().items()) {
        if (isBlank(linha)) continue;
        if (casaRegra(email, linha, lixo)) {
          esperado = " (" + linha + ")";
          casou = true;
          break;
        }
      }
      ASSERT_EQ(casaLista(email, *lista, obtido), casou) << "[" << email << "]";
      ASSERT_EQ(obtido, esperado) << "[" << email << "]";
    }
  }
}

TEST(FilterList, CountryLookupIsExactAndCaseInsensitive) {
  auto paises = filterListOf({".FR", "jp"});
  EXPECT_TRUE(paises->contem(".fr"));
  EXPECT_FALSE(paises->contem(".jp"));  // the line lacks the dot
  EXPECT_FALSE(paises->contem("fr"));
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

TEST(FilterList, AListFromAMissingFileIsEmptyAndMatchesNothing) {
  auto lista = loadFilterList("/nao/existe/local_regras.filter");
  std::string gErro;
  EXPECT_TRUE(lista->linhas().empty());
  EXPECT_FALSE(casaLista("a@b.com", *lista, gErro));
  EXPECT_FALSE(lista->contem(".fr"));
}

}  // namespace
}  // namespace quorvel
