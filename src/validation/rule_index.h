#pragma once
// An index over the lines of a wildcard rule list that answers "which is the first line, in list
// order, that matches this address" at a cost that does not grow with the number of lines.
//
// Line forms (after lower-casing): "text*" starts-with, "*text" ends-with, otherwise contains.
// Starts-with and ends-with lines live in byte tries walked along the address from either end;
// contains lines live in an Aho-Corasick automaton. Every node keeps the smallest line position
// that ends there (for the automaton: there or at any suffix reachable through failure links),
// so one walk finds the first matching line without listing the others.

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
  // Smallest position of a pattern that is a prefix of `s` (walking forward) or a suffix of `s`
  // (walking backward); -1 when none.
  int32_t firstPrefixOf(std::string_view s) const;
  int32_t firstSuffixOf(std::string_view s) const;
  // Smallest position of a pattern occurring anywhere in `s` (needs failure links); -1 when none.
  int32_t firstOccurringIn(std::string_view s) const;

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

class RuleIndex {
 public:
  RuleIndex() = default;
  // `lines` in list order; blank lines (after trimming) are skipped.
  explicit RuleIndex(const std::vector<std::string>& lines);
  // Position of the first line whose rule matches the (lower-cased) address; -1 when none.
  int32_t firstMatch(std::string_view enderecoMinusculo) const;

 private:
  ByteTrie starts_, ends_, contains_;
};

}  // namespace quorvel
