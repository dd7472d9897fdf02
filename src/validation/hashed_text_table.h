#pragma once
// A table from texts to a 64-bit value for the hot path of a run, keyed by the text's 64-bit hash
// alone: open addressing with linear probing over 16-byte slots, so a lookup is one hash and
// mostly one memory access, where a map of strings costs three. Two texts of equal hash would
// share a value; among the few hundred thousand domains of a run that does not happen in
// practice, and the values kept here (remembered answers) only steer suggestions.

#include <cstdint>
#include <string_view>
#include <vector>

namespace quorvel {

class HashedTextTable {
 public:
  // Holds up to `maximo` texts.
  explicit HashedTextTable(size_t maximo);

  // The value of the text, made 0 when it is new (`novo` true); null when the table is full and
  // the text is not there.
  uint64_t* valor(std::string_view s, bool& novo);
  // The value of the text, or null.
  const uint64_t* procurar(std::string_view s) const;
  size_t size() const { return usados_; }
  bool cheia() const { return usados_ >= maximo_; }
  void clear();

 private:
  struct Slot {
    uint64_t hash = 0;  // 0: free (a text whose hash is 0 is kept under 1)
    uint64_t valor = 0;
  };
  static uint64_t hashOf(std::string_view s);
  // Where the probe for a hash starts, and the slot that holds it or the free one it would take.
  size_t inicio(uint64_t h) const {
    return static_cast<size_t>((h * 0x9E3779B97F4A7C15ull) >> 32) & (slots_.size() - 1);
  }
  size_t posicao(uint64_t h) const;
  void crescer();

  std::vector<Slot> slots_;
  size_t usados_ = 0;
  size_t maximo_;
};

}  // namespace quorvel
