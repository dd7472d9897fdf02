#pragma once
// Large zeroed memory straight from the system: an anonymous mapping aligned to 2 MB and asked to
// be backed by huge pages, so that touching it costs one page fault per 2 MB instead of one per
// 4 KB, and random lookups into it miss the TLB less.

#include <cstddef>

namespace quorvel {

class HugeMapping {
 public:
  static constexpr size_t kHugePageSize = size_t{2} << 20;

  HugeMapping() = default;
  // Throws std::bad_alloc when the system refuses the memory.
  explicit HugeMapping(size_t bytes);
  ~HugeMapping();
  HugeMapping(HugeMapping&& o) noexcept;
  HugeMapping& operator=(HugeMapping&& o) noexcept;
  HugeMapping(const HugeMapping&) = delete;
  HugeMapping& operator=(const HugeMapping&) = delete;

  char* data() const { return p_; }
  size_t size() const { return n_; }

 private:
  char* p_ = nullptr;
  size_t n_ = 0;
};

}  // namespace quorvel
