#include "validation/candidate_index.h"

#include <algorithm>
#include <functional>

namespace quorvel {
namespace {

constexpr std::string_view kBr = ".br";
// No domain name is longer; nothing longer than it and ".br" can be a slip of one.
constexpr size_t kMaiorDominio = 253;

bool terminaComBr(std::string_view s) {
  return s.size() > kBr.size() && s.substr(s.size() - kBr.size()) == kBr;
}

// Leaving one character out of `longo` gives `curto` (one size shorter).
bool umaAMenos(std::string_view longo, std::string_view curto) {
  size_t i = 0;
  while (i < curto.size() && longo[i] == curto[i]) ++i;
  return longo.substr(i + 1) == curto.substr(i);
}

// The one-character-shorter texts of `s`, each once (leaving out either letter of a doubled
// pair gives the same text).
template <class F>
void cadaUmAMenos(std::string_view s, std::string& buf, F&& f) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (i > 0 && s[i] == s[i - 1]) continue;
    buf.assign(s.substr(0, i));
    buf.append(s.substr(i + 1));
    f(std::string_view(buf));
  }
}

}  // namespace

bool smallSlip(std::string_view t, std::string_view c) {
  if (t == c) return false;
  if (t.size() + kBr.size() == c.size() && terminaComBr(c) && c.substr(0, t.size()) == t)
    return true;
  if (c.size() + kBr.size() == t.size() && terminaComBr(t) && t.substr(0, c.size()) == c)
    return true;
  if (t.size() == c.size()) {
    size_t i = 0;
    while (t[i] == c[i]) ++i;  // they differ somewhere
    if (t.substr(i + 1) == c.substr(i + 1)) return true;
    return i + 1 < t.size() && t[i] == c[i + 1] && t[i + 1] == c[i] &&
           t.substr(i + 2) == c.substr(i + 2);
  }
  if (t.size() == c.size() + 1) return umaAMenos(t, c);
  if (c.size() == t.size() + 1) return umaAMenos(c, t);
  return false;
}

uint64_t CandidateIndex::chave(std::string_view s) {
  return std::hash<std::string_view>{}(s);
}

bool CandidateIndex::contains(std::string_view dominio) const {
  auto [a, b] = chaves_.equal_range(chave(dominio));
  for (auto it = a; it != b; ++it)
    if (dominios_[it->second] == dominio) return true;
  return false;
}

bool CandidateIndex::add(std::string_view dominio) {
  if (dominio.empty() || dominio.size() > kMaiorDominio || contains(dominio)) return false;
  const auto posicao = static_cast<uint32_t>(dominios_.size());
  dominios_.emplace_back(dominio);
  chaves_.emplace(chave(dominio), posicao);
  std::string buf;
  cadaUmAMenos(dominio, buf, [&](std::string_view v) { chaves_.emplace(chave(v), posicao); });
  return true;
}

void CandidateIndex::clear() {
  dominios_.clear();
  chaves_.clear();
}

size_t CandidateIndex::proximos(std::string_view t, uint32_t* achados, size_t limite) const {
  size_t n = 0;
  if (t.empty() || t.size() > kMaiorDominio + kBr.size() || dominios_.empty()) return 0;
  auto examinar = [&](std::string_view v) {
    auto [a, b] = chaves_.equal_range(chave(v));
    for (auto it = a; it != b && n < limite; ++it) {
      const uint32_t i = it->second;
      if (std::find(achados, achados + n, i) != achados + n) continue;
      if (smallSlip(t, dominios_[i])) achados[n++] = i;
    }
  };
  examinar(t);
  std::string buf;
  cadaUmAMenos(t, buf, [&](std::string_view v) {
    if (n < limite) examinar(v);
  });
  if (n < limite) {
    buf.assign(t);
    buf.append(kBr);
    examinar(buf);
  }
  if (n < limite && terminaComBr(t)) examinar(t.substr(0, t.size() - kBr.size()));
  return n;
}

size_t CandidateIndex::contarProximos(std::string_view digitado, uint32_t& posicao) const {
  uint32_t achados[2];
  const size_t n = proximos(digitado, achados, 2);
  if (n > 0) posicao = achados[0];
  return n;
}

const std::string* CandidateIndex::unico(std::string_view digitado) const {
  uint32_t p;
  return contarProximos(digitado, p) == 1 ? &dominios_[p] : nullptr;
}

bool CandidateIndex::algumProximo(std::string_view digitado) const {
  uint32_t achado;
  return proximos(digitado, &achado, 1) > 0;
}

}  // namespace quorvel
