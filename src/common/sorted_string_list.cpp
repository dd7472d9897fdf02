#include "common/sorted_string_list.h"

#include <algorithm>
#include <numeric>

#include "common/collation.h"

namespace quorvel {

long SortedStringList::binarySearch(std::string_view s, bool& found) const {
  long lo = 0, hi = static_cast<long>(items_.size()) - 1;
  found = false;
  while (lo <= hi) {
    long mid = (lo + hi) / 2;
    int c = collation::compare(items_[mid], s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;
    }
  }
  return lo;
}

bool SortedStringList::add(std::string_view s) {
  bool found;
  long pos = binarySearch(s, found);
  if (found) return false;
  items_.insert(items_.begin() + pos, std::string(s));
  indexEntry(items_[pos]);
  return true;
}

void SortedStringList::addAll(const std::vector<std::string>& input) {
  // The list's own entries are all present already, and would be moved from below.
  if (&input == &items_) return;
  // Existing entries come first so that they win against equal new texts.
  std::vector<std::string> all;
  all.reserve(items_.size() + input.size());
  for (auto& s : items_) all.push_back(std::move(s));
  all.insert(all.end(), input.begin(), input.end());
  std::vector<std::string> keys(all.size());
  for (size_t i = 0; i < all.size(); ++i) keys[i] = collation::sortKey(all[i]);
  std::vector<size_t> order(all.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return keys[a] < keys[b]; });
  items_.clear();
  items_.reserve(order.size());
  const std::string* lastKey = nullptr;
  for (size_t i : order) {
    if (lastKey && *lastKey == keys[i]) continue;  // equal to an earlier one: dropped
    items_.push_back(std::move(all[i]));
    lastKey = &keys[i];
  }
  rebuildIndex();
}

void SortedStringList::clear() {
  items_.clear();
  asciiIndex_.clear();
  otherKeys_.clear();
  hasOtherEntries_ = false;
}

void SortedStringList::indexEntry(const std::string& s) {
  if (collation::printableAscii(s)) {
    std::string minusculas;
    collation::asciiLowerInto(s, minusculas);
    asciiIndex_.insert(std::move(minusculas));
  } else {
    hasOtherEntries_ = true;
    otherKeys_.insert(collation::sortKey(s));
  }
}

void SortedStringList::rebuildIndex() {
  asciiIndex_.clear();
  otherKeys_.clear();
  hasOtherEntries_ = false;
  asciiIndex_.reserve(items_.size());
  for (const auto& item : items_) indexEntry(item);
}

bool SortedStringList::contains(std::string_view s) const {
  if (collation::printableAscii(s)) {
    // Two printable-ASCII texts are equal under the collator exactly when their ASCII
    // lower-cases are; only entries outside that range can still be equal otherwise.
    thread_local std::string key;
    collation::asciiLowerInto(s, key);
    if (asciiIndex_.count(key)) return true;
    if (!hasOtherEntries_) return false;
    // Equal to no ASCII entry: only an entry outside ASCII can still be, with the same key.
    key.clear();
    collation::appendSortKey(s, key);
    return otherKeys_.count(key) > 0;
  }
  bool found;
  binarySearch(s, found);
  return found;
}

long SortedStringList::indexOf(std::string_view s) const {
  bool found;
  long pos = binarySearch(s, found);
  return found ? pos : -1;
}

}  // namespace quorvel
