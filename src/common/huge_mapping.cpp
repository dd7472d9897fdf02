#include "common/huge_mapping.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>
#include <utility>

namespace quorvel {

HugeMapping::HugeMapping(size_t bytes) {
  if (bytes == 0) return;
  const size_t n = (bytes + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
  // Mapped with room to spare, then trimmed to a 2 MB boundary on both ends.
  void* m = ::mmap(nullptr, n + kHugePageSize, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (m == MAP_FAILED) throw std::bad_alloc();
  auto inicio = reinterpret_cast<uintptr_t>(m);
  uintptr_t alinhado = (inicio + kHugePageSize - 1) & ~(uintptr_t{kHugePageSize} - 1);
  if (alinhado > inicio) ::munmap(m, alinhado - inicio);
  size_t sobra = (inicio + n + kHugePageSize) - (alinhado + n);
  if (sobra > 0) ::munmap(reinterpret_cast<void*>(alinhado + n), sobra);
  p_ = reinterpret_cast<char*>(alinhado);
  n_ = n;
  ::madvise(p_, n_, MADV_HUGEPAGE);  // a hint: without it the memory works the same
}

HugeMapping::~HugeMapping() {
  if (p_) ::munmap(p_, n_);
}

HugeMapping::HugeMapping(HugeMapping&& o) noexcept
    : p_(std::exchange(o.p_, nullptr)), n_(std::exchange(o.n_, 0)) {}

HugeMapping& HugeMapping::operator=(HugeMapping&& o) noexcept {
  if (this != &o) {
    if (p_) ::munmap(p_, n_);
    p_ = std::exchange(o.p_, nullptr);
    n_ = std::exchange(o.n_, 0);
  }
  return *this;
}

}  // namespace quorvel
