#include "validation/typo_suggestions.h"

#include <algorithm>

#include "common/text.h"
#include "store/database.h"

namespace quorvel {

void TypoSuggestions::usarProvedores(const FilterListPtr& lista) {
  if (lista == provedores_) return;
  provedores_ = lista;
  dominiosProvedores_.clear();
  if (provedores_)
    for (const auto& linha : provedores_->linhas().items()) {
      std::string d = toLower(trimView(linha));
      if (!d.empty()) dominiosProvedores_.push_back(std::move(d));
    }
  // The frequent domains stay, unless one is now a slip of a provider.
  std::vector<std::string> antes = std::move(frequentes_);
  indexarProvedores();
  for (const auto& d : antes)
    if (!slipDeProvedor(d) && indice_.add(d)) frequentes_.push_back(d);
}

void TypoSuggestions::indexarProvedores() {
  ++geracao_;
  indice_.clear();
  frequentes_.clear();
  for (const auto& d : dominiosProvedores_) indice_.add(d);
}

bool TypoSuggestions::slipDeProvedor(std::string_view d) const {
  return std::any_of(dominiosProvedores_.begin(), dominiosProvedores_.end(),
                     [&](const std::string& p) { return smallSlip(d, p); });
}

bool TypoSuggestions::aprender(std::string_view d, const SuggestionChecks& checks) {
  if (frequentes_.size() >= kMaxFrequentes || indice_.contains(d)) return false;
  const size_t ponto = d.find('.');
  if (ponto == std::string_view::npos || ponto < kMenorRotulo || checks.isento(d)) return false;
  // A domain one slip away from a provider (a look-alike that happens to receive mail) would
  // only take slips of the provider away from it.
  if (slipDeProvedor(d)) return false;
  indice_.add(d);
  frequentes_.emplace_back(d);
  return true;
}

void TypoSuggestions::runStarts(MxStage& mx, const SuggestionChecks& checks) {
  // The frequent domains of earlier runs join those already known (a domain counted in the last
  // run is in the store now too).
  mx.dominiosFrequentes(kMaxFrequentesDoBanco,
                        [&](std::string_view d) { aprender(toLower(d), checks); });
}

const std::string* TypoSuggestions::candidatoUnico(std::string_view dominio) {
  bool novo;
  uint64_t* v = achados_.valor(dominio, novo);
  if (!v) {
    achados_.clear();
    v = achados_.valor(dominio, novo);
  }
  const size_t total = indice_.size();
  size_t visto = (*v >> 24) & 0xFFFFFF;
  uint32_t resposta = *v & 0xFFFFFF;
  if (novo || (*v >> 48) != (geracao_ & 0xFFFF) || total - visto > 16) {
    uint32_t p = 0;
    const size_t n = indice_.contarProximos(dominio, p);
    resposta = n == 0 ? 0 : n == 1 ? p + 1 : kVarios;
  } else {
    // Only the candidates added since can change the answer.
    for (; visto < total && resposta != kVarios; ++visto) {
      if (!smallSlip(dominio, indice_[visto])) continue;
      resposta = resposta == 0 ? static_cast<uint32_t>(visto + 1) : kVarios;
    }
  }
  *v = ((geracao_ & 0xFFFF) << 48) | (static_cast<uint64_t>(total) << 24) | resposta;
  return resposta == 0 || resposta == kVarios ? nullptr : &indice_[resposta - 1];
}

std::string TypoSuggestions::sugerir(std::string_view email, RejectionStage onde,
                                     SuggestionChecks& checks) {
  if (onde == RejectionStage::none || onde == RejectionStage::afterMx) return {};
  if (indice_.size() == 0) return {};
  const size_t arroba = email.find('@');
  if (arroba == std::string_view::npos) return {};
  const std::string_view dominio = email.substr(arroba + 1);
  const std::string* unico = candidatoUnico(dominio);
  if (!unico) return {};
  const std::string candidato = *unico;
  // Never away from a domain that receives mail: a domain no stage asked about is asked now.
  if (onde == RejectionStage::beforeMx && checks.respostaMx(dominio) != 0) return {};
  // Never towards one that does not.
  if (checks.respostaMx(candidato) != 1) return {};
  std::string corrigido(email.substr(0, arroba + 1));
  corrigido += candidato;
  if (!checks.aceitaria(corrigido)) return {};
  return corrigido;
}

}  // namespace quorvel
