#pragma once
// A sorted, case-insensitive, duplicate-free list of lines (pt-BR collation). Inserting a text
// that compares equal to an entry keeps the entry: the first inserted wins.

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quorvel {

class SortedStringList {
 public:
  SortedStringList() = default;

  // Adds one text; returns false when an equal entry was already there.
  bool add(std::string_view s);
  // Adds many texts at once, in order (same result as add() one by one, O(n log n)).
  void addAll(const std::vector<std::string>& items);
  void clear();

  // Exact case-insensitive search; -1 when absent.
  long indexOf(std::string_view s) const;
  bool contains(std::string_view s) const;

  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const std::string& operator[](size_t i) const { return items_[i]; }
  const std::vector<std::string>& items() const { return items_; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  void rebuildIndex();
  void indexEntry(const std::string& s);
  long binarySearch(std::string_view s, bool& found) const;

  std::vector<std::string> items_;
  // Fast path for the hot exact lookups: the ASCII-lower-cased printable-ASCII entries.
  std::unordered_set<std::string> asciiIndex_;
  bool hasOtherEntries_ = false;  // entries outside printable ASCII need the collator
  // Their collation keys: an ASCII text equal to one of them has the same key.
  std::unordered_set<std::string> otherKeys_;
};

}  // namespace quorvel
