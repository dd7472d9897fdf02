#pragma once
// The duplicate memory: the set of normalised addresses already seen in a validation.
// Open addressing over 64-bit slots (the hash's top 28 bits plus a reference into a chunked byte
// arena), so that a distinct address costs its bytes plus a few more, and a lookup touches one
// slot. The slot index is taken from the top bits of the hash, which the slot keeps: growing the
// table never reads the texts again.
// Each text carries a few bytes of its own besides (one by default: the negative base keeps its
// error types this way, the MX stage its answers and the count of each domain).

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "common/huge_mapping.h"
#include "validation/hashed_text.h"

namespace quorvel {

class DuplicateMemory {
 public:
  // `bytesValor`: the bytes each text carries (1 to 16); the first is the value below.
  explicit DuplicateMemory(size_t bytesValor = 1);
  // Adds the text; false when it was already there. Throws std::bad_alloc when memory runs out
  // (the set is then unchanged).
  bool insert(std::string_view s, uint8_t valor = 0) { return insert(HashedText(s), valor); }
  bool insert(HashedText s, uint8_t valor = 0);
  bool contains(std::string_view s) const { return contains(HashedText(s)); }
  bool contains(HashedText s) const { return find(s.texto, s.hash) >= 0; }
  // The value stored with the text, or -1 when the text is absent.
  int valor(std::string_view s) const { return valor(HashedText(s)); }
  int valor(HashedText s) const;
  // The bytes the text carries (unaligned), or null when the text is absent.
  uint8_t* bytes(std::string_view s) { return bytes(HashedText(s)); }
  uint8_t* bytes(HashedText s);
  // The same, the text added first when absent (its bytes zero, `novo` true).
  uint8_t* bytesOrInsert(std::string_view s, bool& novo) {
    return bytesOrInsert(HashedText(s), novo);
  }
  uint8_t* bytesOrInsert(HashedText s, bool& novo);
  // Starts bringing the slot of a text (of its hash) into the cache ahead of a lookup.
  void prefetch(std::string_view s) const { prefetch(hashText(s)); }
  void prefetch(uint64_t hash) const { __builtin_prefetch(&slots_[home(hash)]); }
  void clear();
  // Sizes the table for `n` texts at once instead of growing step by step.
  void reserve(size_t n);
  size_t size() const { return size_; }
  // Bytes held by the table and the arena.
  size_t memoryBytes() const;
  // An upper bound on memoryBytes(); growing past it fails like an exhausted heap (0 = none).
  void setLimiteBytes(size_t limite) { limite_ = limite; }

 private:
  static constexpr size_t kChunkBits = 20;  // 1 MiB arena chunks
  static constexpr unsigned kRefBits = 36;  // 64 GiB of arena
  static constexpr unsigned kTagBits = 64 - kRefBits;
  static constexpr uint64_t kRefMask = (uint64_t{1} << kRefBits) - 1;

  uint64_t store(std::string_view s, uint8_t valor);  // → reference + 1
  std::string_view load(uint64_t ref) const;          // the text; its value bytes follow it
  // Adds a text known to be absent, whose free slot `at` find() gave; its reference + 1.
  uint64_t add(std::string_view s, uint64_t hash, long at, uint8_t valor);
  long find(std::string_view s, uint64_t hash) const;  // slot index or -1
  void grow() { rehash(slots_.size() * 2); }
  void rehash(size_t slots);
  size_t home(uint64_t hash) const { return static_cast<size_t>(hash >> shift_); }

  // Zeroed slot storage: a small table from calloc, a large one from a huge-page mapping, since
  // lookups land on random pages of it.
  class Slots {
   public:
    explicit Slots(size_t n);
    size_t size() const { return n_; }
    uint64_t& operator[](size_t i) { return p_[i]; }
    const uint64_t& operator[](size_t i) const { return p_[i]; }
    const uint64_t* begin() const { return p_; }
    const uint64_t* end() const { return p_ + n_; }

   private:
    struct Free {
      void operator()(uint64_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint64_t[], Free> pequeno_;
    HugeMapping grande_;
    uint64_t* p_ = nullptr;
    size_t n_ = 0;
  };
  Slots slots_;
  unsigned shift_ = 64 - 10;  // 64 − log2(number of slots)
  size_t size_ = 0;
  // The arena's chunks. The first few and any oversized one come from the heap; the rest are
  // carved from 32 MB huge-page mappings, so a memory of millions of texts does not take a page
  // fault for every 4 KB it fills.
  char* novoPedaco(size_t size);
  std::vector<char*> chunks_;
  std::vector<size_t> chunkSizes_;
  std::vector<std::unique_ptr<char[]>> avulsos_;
  std::vector<HugeMapping> lajes_;
  size_t lajeUsada_ = 0;
  size_t used_ = 0;  // bytes used in the last chunk
  size_t limite_ = 0;
  size_t bytesValor_ = 1;
  void checkLimit(size_t extra) const;
};

}  // namespace quorvel
