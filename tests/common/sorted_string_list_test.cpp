#include "common/sorted_string_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/collation.h"
#include "pt_br_words.h"

using quorvel::SortedStringList;
using quorvel::testing::kPalavras;

namespace {

TEST(SortedStringList, FirstInsertedWinsAgainstCaseVariants) {
  SortedStringList list;
  EXPECT_TRUE(list.add("Reyansh"));
  EXPECT_FALSE(list.add("reyansh"));
  EXPECT_FALSE(list.add("REYANSH"));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0], "Reyansh");
}

TEST(SortedStringList, KeepsPtBrOrderWithAccentedEntriesDistinct) {
  SortedStringList list;
  for (const char* s :
       {"zebra", "abade", "Árvore", "aná", "ábaco", "arvore", "ana", "abacaxi", "ANA", "Zebra"})
    list.add(s);
  const std::vector<std::string> expected = {"abacaxi", "ábaco",  "abade",  "ana",
                                             "aná",     "arvore", "Árvore", "zebra"};
  EXPECT_EQ(list.items(), expected);
}

// The reference: add() one text at a time.
std::vector<std::string> addOneByOne(SortedStringList list, const std::vector<std::string>& v) {
  for (const auto& s : v) list.add(s);
  return list.items();
}

TEST(SortedStringList, AddAllGivesTheSameListAsAddOneByOne) {
  std::vector<std::string> entrada = kPalavras;
  // Exact repeats and more case variants, so that equal texts meet in both orders.
  entrada.insert(entrada.end(), kPalavras.begin(), kPalavras.end());
  entrada.insert(entrada.end(), {"ABACAXI", "Ábaco", "CAÇA", "AB", "X\xFFy"});

  std::mt19937 rng(20240229);
  for (int round = 0; round < 5; ++round) {
    std::shuffle(entrada.begin(), entrada.end(), rng);

    SortedStringList emLote;
    emLote.addAll(entrada);
    EXPECT_EQ(emLote.items(), addOneByOne(SortedStringList(), entrada)) << "round " << round;

    // Entries already in the list win against equal texts arriving in a batch.
    SortedStringList comEntradas;
    comEntradas.add("Reyansh");
    comEntradas.add("JOAO");
    SortedStringList referencia = comEntradas;
    std::vector<std::string> lote = entrada;
    lote.push_back("reyansh");
    comEntradas.addAll(lote);
    EXPECT_EQ(comEntradas.items(), addOneByOne(referencia, lote)) << "round " << round;
    EXPECT_TRUE(std::find(comEntradas.begin(), comEntradas.end(), "Reyansh") != comEntradas.end());
    EXPECT_TRUE(std::find(comEntradas.begin(), comEntradas.end(), "JOAO") != comEntradas.end());
  }
}

TEST(SortedStringList, AddAllOfItsOwnEntriesChangesNothing) {
  SortedStringList list;
  list.addAll({"b@x.com", "A@x.com", "c@x.com"});
  const std::vector<std::string> antes = list.items();
  list.addAll(list.items());
  EXPECT_EQ(list.items(), antes);
}

TEST(SortedStringList, IndexOfIsExactAndCaseInsensitive) {
  SortedStringList list;
  list.addAll({".fr", ".com.br", "ação", "uol.com.br"});
  const long fr = list.indexOf(".fr");
  ASSERT_GE(fr, 0);
  EXPECT_EQ(list[fr], ".fr");
  EXPECT_EQ(list.indexOf(".FR"), fr);
  EXPECT_TRUE(list.contains("AÇÃO"));
  EXPECT_TRUE(list.contains("UOL.COM.BR"));
  EXPECT_FALSE(list.contains("acao"));  // accents matter
  EXPECT_FALSE(list.contains(".f"));    // no prefix matches
  EXPECT_FALSE(list.contains(".fr "));
  EXPECT_FALSE(list.contains("com.br"));

  list.clear();
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(list.contains(".fr"));
}

// What indexOf must answer: the entry that the collator calls equal.
long indexByCollator(const SortedStringList& list, const std::string& s) {
  for (size_t i = 0; i < list.size(); ++i)
    if (quorvel::collation::compare(list[i], s) == 0) return static_cast<long>(i);
  return -1;
}

TEST(SortedStringList, AsciiFastPathAgreesWithTheCollator) {
  const std::vector<std::string> consultas = {
      "abc", "ABC", "fi",   "FI",     "ab",      "AB",    "a b",  "a-b",  ".FR",
      ".fr", "x",   "a\tb", "a\001b", "ana",     "ANÁ",   "joao", "JOÃO", "e",
      "É",   "",    "999",  "X\xFFY", "Abacaxi", "ÁBACO", "zz"};

  // Only ASCII entries, then entries the ASCII index cannot hold: full-width letters, a ligature,
  // a control code (ignored by the collator), accents, an ill-formed byte.
  const std::vector<std::vector<std::string>> listas = {
      {"abc", "ab", ".fr", "abacaxi", "joao", "999"},
      {"ａｂｃ", "\xEF\xAC\x81", "a\001b", "aná", "JOÃO", "É", "x\xFFy", ".fr"},
      kPalavras,
  };
  // Texts the ASCII index cannot hold, yet equal to ASCII queries for the collator.
  SortedStringList outras;
  outras.addAll(listas[1]);
  EXPECT_TRUE(outras.contains("ABC"));
  EXPECT_TRUE(outras.contains("FI"));
  EXPECT_TRUE(outras.contains("ab"));

  for (const auto& entradas : listas) {
    SortedStringList lote;
    lote.addAll(entradas);
    SortedStringList umAUm;
    for (const auto& s : entradas) umAUm.add(s);
    for (const auto& q : consultas) {
      EXPECT_EQ(lote.indexOf(q), indexByCollator(lote, q)) << "query \"" << q << "\"";
      EXPECT_EQ(umAUm.indexOf(q), indexByCollator(umAUm, q)) << "query \"" << q << "\"";
      EXPECT_EQ(lote.contains(q), indexByCollator(lote, q) >= 0) << "query \"" << q << "\"";
    }
  }
}

}  // namespace
