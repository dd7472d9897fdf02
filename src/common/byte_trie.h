#pragma once
// A byte trie over patterns that each carry a position (their place in a list). Every node keeps
// the smallest position of a pattern that ends there; with failure links it is an Aho-Corasick
// automaton, where a node also keeps the smallest position reachable through its failure chain.
// So one walk over a text answers "the first pattern, in list order, that is a prefix, a suffix,
// or occurs anywhere", whatever the number of patterns.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

class ByteTrie {
 public:
  struct Pattern {
    std::string text;
    int32_t position;
  };
  void build(std::vector<Pattern> patterns, bool withFailureLinks);
  // The automaton over `texts`, each at its index; an empty text occurs nowhere.
  void buildAutomaton(const std::vector<std::string>& texts);
  // Smallest position of a pattern that is a prefix of `s` (walking forward) or a suffix of `s`
  // (walking backward); -1 when none.
  int32_t firstPrefixOf(std::string_view s) const;
  int32_t firstSuffixOf(std::string_view s) const;
  // Smallest position of a pattern occurring anywhere in `s` (needs failure links); -1 when none.
  int32_t firstOccurringIn(std::string_view s) const;
  // `best` becomes `candidate` when that is a smaller position (-1 stands for none).
  static void keepBest(int32_t& best, int32_t candidate) {
    if (candidate >= 0 && (best < 0 || candidate < best)) best = candidate;
  }

 private:
  struct Node {
    uint32_t firstEdge = 0;
    uint32_t edgeCount = 0;
    int32_t best = -1;  // smallest position ending here (plus failure chain for the automaton)
  };
  struct Edge {
    uint8_t byte;
    uint32_t child;
  };
  uint32_t child(uint32_t node, uint8_t byte) const;  // 0 = none (root is never a child)
  std::vector<Node> nodes_{Node{}};
  std::vector<Edge> edges_;
  std::vector<uint32_t> fail_;
  std::vector<uint32_t> rootNext_ = std::vector<uint32_t>(256, 0);  // dense root transitions
};

}  // namespace quorvel
