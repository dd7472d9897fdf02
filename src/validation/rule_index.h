#pragma once
// An index over the lines of a wildcard rule list that answers "which is the first line, in list
// order, that matches this address" at a cost that does not grow with the number of lines.
//
// Line forms (after lower-casing): "text*" starts-with, "*text" ends-with, otherwise contains.
// Starts-with and ends-with lines live in byte tries walked along the address from either end;
// contains lines live in an Aho-Corasick automaton.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/byte_trie.h"

namespace quorvel {

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
