#include "validation/duplicate_memory.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>

namespace quorvel {
namespace {

constexpr size_t kSlotsIniciais = 1024;
constexpr unsigned kMaxSlotBits = 28;  // the bits of the hash a slot keeps

unsigned bitsDe(size_t slots) {
  unsigned b = 0;
  while ((size_t{1} << b) < slots) ++b;
  return b;
}

}  // namespace

DuplicateMemory::Slots::Slots(size_t n) : n_(n) {
  if (n * sizeof(uint64_t) < HugeMapping::kHugePageSize) {
    pequeno_.reset(static_cast<uint64_t*>(std::calloc(n, sizeof(uint64_t))));
    if (!pequeno_) throw std::bad_alloc();
    p_ = pequeno_.get();
  } else {
    grande_ = HugeMapping(n * sizeof(uint64_t));
    p_ = reinterpret_cast<uint64_t*>(grande_.data());
  }
}

DuplicateMemory::DuplicateMemory(size_t bytesValor)
    : slots_(kSlotsIniciais),
      bytesValor_(bytesValor < 1    ? 1
                  : bytesValor > 16 ? 16
                                    : bytesValor) {
  shift_ = 64 - bitsDe(kSlotsIniciais);
}

void DuplicateMemory::clear() {
  slots_ = Slots(kSlotsIniciais);
  shift_ = 64 - bitsDe(kSlotsIniciais);
  size_ = 0;
  chunks_.clear();
  chunkSizes_.clear();
  avulsos_.clear();
  lajes_.clear();
  lajeUsada_ = 0;
  used_ = 0;
}

char* DuplicateMemory::novoPedaco(size_t size) {
  constexpr size_t kPedacosNoHeap = 2;
  constexpr size_t kLaje = size_t{32} << 20;
  if (size != (size_t{1} << kChunkBits) || chunks_.size() < kPedacosNoHeap) {
    avulsos_.push_back(std::unique_ptr<char[]>(new char[size]));
    return avulsos_.back().get();
  }
  if (lajes_.empty() || lajeUsada_ + size > lajes_.back().size()) {
    lajes_.emplace_back(kLaje);
    lajeUsada_ = 0;
  }
  char* p = lajes_.back().data() + lajeUsada_;
  lajeUsada_ += size;
  return p;
}

void DuplicateMemory::checkLimit(size_t extra) const {
  if (limite_ && memoryBytes() + extra > limite_) throw std::bad_alloc();
}

uint64_t DuplicateMemory::store(std::string_view s, uint8_t valor) {
  size_t need = s.size() + 5 + bytesValor_;  // length prefix (varint) + bytes + value
  const size_t chunk = size_t{1} << kChunkBits;
  if (chunks_.empty() || used_ + need > chunkSizes_.back()) {
    size_t size = need > chunk ? need : chunk;
    checkLimit(size);
    if (chunks_.size() >= (size_t{1} << (kRefBits - kChunkBits))) throw std::bad_alloc();
    chunks_.push_back(novoPedaco(size));
    chunkSizes_.push_back(size);
    used_ = 0;
  }
  uint64_t ref = (static_cast<uint64_t>(chunks_.size() - 1) << kChunkBits) | used_;
  char* p = chunks_.back() + used_;
  size_t n = s.size(), k = 0;
  do {
    unsigned char b = n & 0x7F;
    n >>= 7;
    p[k++] = static_cast<char>(n ? (b | 0x80) : b);
  } while (n);
  std::memcpy(p + k, s.data(), s.size());
  p[k + s.size()] = static_cast<char>(valor);
  if (bytesValor_ > 1) std::memset(p + k + s.size() + 1, 0, bytesValor_ - 1);
  used_ += k + s.size() + bytesValor_;
  return ref + 1;
}

std::string_view DuplicateMemory::load(uint64_t ref) const {
  ref -= 1;
  const char* p = chunks_[ref >> kChunkBits] + (ref & ((uint64_t{1} << kChunkBits) - 1));
  size_t n = 0, shift = 0, k = 0;
  for (;;) {
    unsigned char b = static_cast<unsigned char>(p[k++]);
    n |= static_cast<size_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) break;
    shift += 7;
  }
  return {p + k, n};
}

long DuplicateMemory::find(std::string_view s, uint64_t h) const {
  size_t mask = slots_.size() - 1;
  uint64_t tag = h >> kRefBits;
  for (size_t i = home(h);; i = (i + 1) & mask) {
    uint64_t slot = slots_[i];
    if (slot == 0) return -static_cast<long>(i) - 1;  // free slot where it would go
    if ((slot >> kRefBits) == tag && load(slot & kRefMask) == s) return static_cast<long>(i);
  }
}

void DuplicateMemory::reserve(size_t n) {
  size_t slots = slots_.size();
  while (n * 2 > slots) slots *= 2;
  if (slots != slots_.size()) rehash(slots);
}

void DuplicateMemory::rehash(size_t slots) {
  const unsigned bits = bitsDe(slots);
  if (bits > kMaxSlotBits) throw std::bad_alloc();  // 134 million texts: beyond any list
  checkLimit(slots * sizeof(uint64_t));
  Slots bigger(slots);  // may throw; nothing changed yet
  const size_t mask = bigger.size() - 1;
  const unsigned shift = kTagBits - bits;
  for (uint64_t slot : slots_) {
    if (slot == 0) continue;
    // The slot's tag holds the hash's top bits, which are the new home.
    size_t i = static_cast<size_t>((slot >> kRefBits) >> shift);
    while (bigger[i] != 0) i = (i + 1) & mask;
    bigger[i] = slot;
  }
  slots_ = std::move(bigger);
  shift_ = 64 - bits;
}

uint64_t DuplicateMemory::add(std::string_view s, uint64_t h, long at, uint8_t valor) {
  if (limite_) checkLimit(s.size() + 5 + bytesValor_);
  // At most half full: linear probing stays short, misses above all.
  if ((size_ + 1) * 2 > slots_.size()) {
    grow();
    at = find(s, h);
  }
  uint64_t ref = store(s, valor);
  slots_[static_cast<size_t>(-at - 1)] = ((h >> kRefBits) << kRefBits) | ref;
  ++size_;
  return ref;
}

bool DuplicateMemory::insert(HashedText s, uint8_t valor) {
  long at = find(s.texto, s.hash);
  if (at >= 0) return false;
  add(s.texto, s.hash, at, valor);
  return true;
}

uint8_t* DuplicateMemory::bytes(HashedText s) {
  long at = find(s.texto, s.hash);
  if (at < 0) return nullptr;
  std::string_view t = load(slots_[static_cast<size_t>(at)] & kRefMask);
  return reinterpret_cast<uint8_t*>(const_cast<char*>(t.data() + t.size()));
}

uint8_t* DuplicateMemory::bytesOrInsert(HashedText s, bool& novo) {
  long at = find(s.texto, s.hash);
  novo = at < 0;
  const uint64_t ref =
      novo ? add(s.texto, s.hash, at, 0) : slots_[static_cast<size_t>(at)] & kRefMask;
  std::string_view t = load(ref);
  return reinterpret_cast<uint8_t*>(const_cast<char*>(t.data() + t.size()));
}

size_t DuplicateMemory::memoryBytes() const {
  size_t bytes = slots_.size() * sizeof(uint64_t);
  for (size_t c : chunkSizes_) bytes += c;
  return bytes;
}

int DuplicateMemory::valor(HashedText s) const {
  long at = find(s.texto, s.hash);
  if (at < 0) return -1;
  std::string_view t = load(slots_[static_cast<size_t>(at)] & kRefMask);
  return static_cast<unsigned char>(*(t.data() + t.size()));
}

}  // namespace quorvel
