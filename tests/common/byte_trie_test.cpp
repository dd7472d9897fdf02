// The automaton: the first pattern, in list order, occurring anywhere in a text.
#include "common/byte_trie.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace quorvel {
namespace {

ByteTrie automaton(const std::vector<std::string>& nomes) {
  ByteTrie t;
  t.buildAutomaton(nomes);
  return t;
}

TEST(ByteTrieAutomaton, FirstListedNameFoundAnywhereWins) {
  struct Caso {
    std::vector<std::string> nomes;
    std::string texto;
    int esperado;
  };
  const std::vector<Caso> casos = {
      {{"joana", "ana"}, "joana.silva", 0},
      {{"ana", "joana"}, "joana.silva", 0},  // order, not length, decides
      {{"xyz", "ana"}, "mariana", 1},
      {{"", "ana"}, "bia", -1},  // an empty name occurs nowhere
      {{"abcd", "bce", "c"}, "abce", 1},
      {{"aab"}, "aaab", 0},
      {{"ana"}, "", -1},
      {{"júlia"}, "julia", -1},
      {{"júlia"}, "ajúliab", 0},
  };
  for (const auto& c : casos)
    EXPECT_EQ(automaton(c.nomes).firstOccurringIn(c.texto), c.esperado) << c.texto;
}

TEST(ByteTrieAutomaton, AgreesWithTryingEveryNameInTurn) {
  std::mt19937 rng(20240607);
  auto aleatorio = [&](int maxLen) {
    std::string s(std::uniform_int_distribution<int>(0, maxLen)(rng), 'a');
    for (char& ch : s) ch = static_cast<char>('a' + std::uniform_int_distribution<int>(0, 2)(rng));
    return s;
  };
  for (int rodada = 0; rodada < 300; ++rodada) {
    std::vector<std::string> nomes;
    for (int i = 0; i < 12; ++i) nomes.push_back(aleatorio(4));
    const ByteTrie busca = automaton(nomes);
    for (int t = 0; t < 20; ++t) {
      std::string texto = aleatorio(10);
      int esperado = -1;
      for (size_t i = 0; i < nomes.size(); ++i)
        if (!nomes[i].empty() && texto.find(nomes[i]) != std::string::npos) {
          esperado = static_cast<int>(i);
          break;
        }
      ASSERT_EQ(busca.firstOccurringIn(texto), esperado) << texto;
    }
  }
}

}  // namespace
}  // namespace quorvel
