#pragma once
// A text with its hash, computed once where it costs least (the bulk run's preparing thread)
// and handed to every memory that looks the text up (duplicates, MX answers, negative base).

#include <cstdint>
#include <functional>
#include <string_view>

namespace quorvel {

// The hash the memories file a text under: both its low bits (slot) and its high bits (tag)
// well spread.
inline uint64_t hashText(std::string_view s) {
  uint64_t h = std::hash<std::string_view>{}(s);
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return h;
}

struct HashedText {
  std::string_view texto;
  uint64_t hash = 0;
  HashedText() = default;
  HashedText(std::string_view t, uint64_t h) : texto(t), hash(h) {}
  explicit HashedText(std::string_view t) : texto(t), hash(hashText(t)) {}
};

}  // namespace quorvel
