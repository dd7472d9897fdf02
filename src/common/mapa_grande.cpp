#include "common/mapa_grande.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>
#include <utility>

namespace quorvel {

MapaGrande::MapaGrande(size_t bytes) {
  if (bytes == 0) return;
  const size_t n = (bytes + kPaginaGrande - 1) / kPaginaGrande * kPaginaGrande;
  // Mapped with room to spare, then trimmed to a 2 MB boundary on both ends.
  void* m = ::mmap(nullptr, n + kPaginaGrande, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (m == MAP_FAILED) throw std::bad_alloc();
  auto inicio = reinterpret_cast<uintptr_t>(m);
  uintptr_t alinhado = (inicio + kPaginaGrande - 1) & ~(uintptr_t{kPaginaGrande} - 1);
  if (alinhado > inicio) ::munmap(m, alinhado - inicio);
  size_t sobra = (inicio + n + kPaginaGrande) - (alinhado + n);
  if (sobra > 0) ::munmap(reinterpret_cast<void*>(alinhado + n), sobra);
  p_ = reinterpret_cast<char*>(alinhado);
  n_ = n;
  ::madvise(p_, n_, MADV_HUGEPAGE);  // a hint: without it the memory works the same
}

MapaGrande::~MapaGrande() {
  if (p_) ::munmap(p_, n_);
}

MapaGrande::MapaGrande(MapaGrande&& o) noexcept
    : p_(std::exchange(o.p_, nullptr)), n_(std::exchange(o.n_, 0)) {}

MapaGrande& MapaGrande::operator=(MapaGrande&& o) noexcept {
  if (this != &o) {
    if (p_) ::munmap(p_, n_);
    p_ = std::exchange(o.p_, nullptr);
    n_ = std::exchange(o.n_, 0);
  }
  return *this;
}

}  // namespace quorvel
