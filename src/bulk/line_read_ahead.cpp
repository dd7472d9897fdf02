#include "bulk/line_read_ahead.h"

#include <exception>
#include <utility>

namespace quorvel {

LineReadAhead::LineReadAhead(LineReader& reader, ValidationChain& chain)
    : v_(chain),
      anteciparMx_(chain.mxReadAheadOn()),
      conhecidos_(anteciparMx_ ? size_t{1} << kBitsConhecidos : 0),
      etapas_(chain),
      anel_(anteciparMx_ ? ValidationChain::kLinhasAdianteMx : kSlotAdiante + 1),
      preparador_(reader, &etapas_) {}

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
    uint64_t& conhecido = conhecidos_[p.hashDominio & (conhecidos_.size() - 1)];
    if (conhecido == p.hashDominio && p.hashDominio != 0) continue;
    try {
      if (v_.readAheadMxOf(p.endereco())) conhecido = p.hashDominio;
    } catch (const std::exception&) {
      p.falhou = true;
    }
  }
}

const PreparedLine* LineReadAhead::proxima() {
  encher();
  if (prontas_ == 0) return nullptr;
  if (prontas_ > kSlotAdiante) {
    const PreparedLine& adiante = anel_[(inicio_ + kSlotAdiante) % anel_.size()];
    if (!adiante.falhou) v_.prefetchLookups(adiante.endereco());
  }
  const PreparedLine* frente = &anel_[inicio_];
  inicio_ = (inicio_ + 1) % anel_.size();
  --prontas_;
  return frente;
}

}  // namespace quorvel
