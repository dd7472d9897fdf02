#include "bulk/line_read_ahead.h"

#include <exception>
#include <utility>

namespace quorvel {

LineReadAhead::LineReadAhead(LineReader& reader, ValidationChain& chain)
    : v_(chain),
      anteciparMx_(chain.mxReadAheadOn()),
      anel_(anteciparMx_ ? ValidationChain::kLinhasAdianteMx : kSlotAdiante + 1),
      preparador_(reader) {}

void LineReadAhead::encher() {
  while (prontas_ < anel_.size() && !fimLeitura_) {
    if (!lote_ || posLote_ == lote_->n) {
      lote_ = preparador_.proximo();
      posLote_ = 0;
      if (!lote_) {
        fimLeitura_ = true;
        break;
      }
    }
    // The strings change places: both keep their buffers.
    PreparedLine& p = anel_[(inicio_ + prontas_++) % anel_.size()];
    std::swap(p, lote_->linhas[posLote_++]);
    if (!anteciparMx_ || p.falhou) continue;
    try {
      v_.readAheadMxOf(p.normalizado);
    } catch (const std::exception&) {
      p.falhou = true;
    }
  }
}

const PreparedLine* LineReadAhead::proxima() {
  encher();
  if (prontas_ == 0) return nullptr;
  if (prontas_ > kSlotAdiante) {
    const std::string& adiante = anel_[(inicio_ + kSlotAdiante) % anel_.size()].normalizado;
    v_.prefetchDuplicate(adiante);
  }
  const PreparedLine* frente = &anel_[inicio_];
  inicio_ = (inicio_ + 1) % anel_.size();
  --prontas_;
  return frente;
}

}  // namespace quorvel
