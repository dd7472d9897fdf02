#include "validation/hashed_text_table.h"

#include <cstring>

namespace quorvel {

HashedTextTable::HashedTextTable(size_t maximo) : slots_(64), maximo_(maximo) {}

uint64_t HashedTextTable::hashOf(std::string_view s) {
  // Eight bytes at a time, each word folded in by a multiply and a shift (the texts are short:
  // this is most of a lookup's work besides the one memory access).
  constexpr uint64_t k = 0x9E3779B97F4A7C15ull;
  uint64_t h = s.size() * k;
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    h = (h ^ w) * k;
    h ^= h >> 29;
  }
  if (i < s.size()) {
    uint64_t w = 0;
    std::memcpy(&w, s.data() + i, s.size() - i);
    h = (h ^ w) * k;
    h ^= h >> 29;
  }
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 32;
  return h ? h : 1;
}

size_t HashedTextTable::posicao(uint64_t h) const {
  size_t i = inicio(h);
  while (slots_[i].hash != 0 && slots_[i].hash != h) i = (i + 1) & (slots_.size() - 1);
  return i;
}

const uint64_t* HashedTextTable::procurar(std::string_view s) const {
  const Slot& slot = slots_[posicao(hashOf(s))];
  return slot.hash ? &slot.valor : nullptr;
}

uint64_t* HashedTextTable::valor(std::string_view s, bool& novo) {
  const uint64_t h = hashOf(s);
  size_t i = posicao(h);
  novo = slots_[i].hash == 0;
  if (!novo) return &slots_[i].valor;
  if (cheia()) return nullptr;
  // At most half full: probes stay short.
  if ((usados_ + 1) * 2 > slots_.size()) {
    crescer();
    i = posicao(h);
  }
  slots_[i] = {h, 0};
  ++usados_;
  return &slots_[i].valor;
}

void HashedTextTable::crescer() {
  std::vector<Slot> antigos(slots_.size() * 2);
  antigos.swap(slots_);
  for (const Slot& s : antigos)
    if (s.hash) slots_[posicao(s.hash)] = s;
}

void HashedTextTable::clear() {
  slots_.assign(64, Slot{});
  usados_ = 0;
}

}  // namespace quorvel
