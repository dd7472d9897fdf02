#include "validation/candidate_index.h"

#include <algorithm>
#include <iterator>

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

// Texts are hashed as h = h·kBase + byte (modulo 2^64), then mixed so that every bit of the table's
// index depends on every byte.
constexpr uint64_t kBase = 0x100000001b3ULL;

uint64_t misturar(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  return h ^ (h >> 33);
}

struct Potencias {
  uint64_t p[kMaiorDominio + 8];
  constexpr Potencias() : p() {
    p[0] = 1;
    for (size_t i = 1; i < std::size(p); ++i) p[i] = p[i - 1] * kBase;
  }
};
constexpr Potencias kPotencias;

// The hashes of a text's prefixes: h[i] is the hash of its first i bytes.
struct Prefixos {
  uint64_t h[kMaiorDominio + 8];
  size_t n;
  explicit Prefixos(std::string_view s) : n(s.size()) {
    h[0] = 0;
    for (size_t i = 0; i < n; ++i) h[i + 1] = h[i] * kBase + static_cast<uint8_t>(s[i]);
  }
  uint64_t todo() const { return h[n]; }
  // The text with byte i left out.
  uint64_t semByte(size_t i) const { return h[n] - (h[i + 1] - h[i]) * kPotencias.p[n - 1 - i]; }
};

uint64_t hashDe(std::string_view s) {
  uint64_t h = 0;
  for (char c : s) h = h * kBase + static_cast<uint8_t>(c);
  return h;
}

const uint64_t kHashBr = hashDe(kBr);

// Calls f(hash) for each one-character-shorter text of `s`, each text once (leaving out either
// letter of a doubled pair gives the same text).
template <class F>
void cadaUmAMenos(std::string_view s, const Prefixos& p, F&& f) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (i > 0 && s[i] == s[i - 1]) continue;
    f(misturar(p.semByte(i)));
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

void CandidateIndex::arquivar(uint64_t chave, uint32_t posicao) {
  if (2 * (ocupadas_ + 1) > tabela_.size()) {
    std::vector<Entrada> antiga(std::max<size_t>(64, 2 * tabela_.size()), Entrada{0, kVazia});
    antiga.swap(tabela_);
    ocupadas_ = 0;
    for (const Entrada& e : antiga)
      if (e.posicao != kVazia) arquivar(e.chave, e.posicao);
  }
  const size_t mascara = tabela_.size() - 1;
  size_t i = chave & mascara;
  while (tabela_[i].posicao != kVazia) i = (i + 1) & mascara;
  tabela_[i] = Entrada{chave, posicao};
  ++ocupadas_;
}

template <class F>
void CandidateIndex::cadaArquivado(uint64_t chave, F&& f) const {
  if (tabela_.empty()) return;
  const size_t mascara = tabela_.size() - 1;
  for (size_t i = chave & mascara; tabela_[i].posicao != kVazia; i = (i + 1) & mascara)
    if (tabela_[i].chave == chave && !f(tabela_[i].posicao)) return;
}

bool CandidateIndex::contains(std::string_view dominio) const {
  bool achou = false;
  cadaArquivado(misturar(hashDe(dominio)), [&](uint32_t i) {
    achou = dominios_[i] == dominio;
    return !achou;
  });
  return achou;
}

bool CandidateIndex::add(std::string_view dominio) {
  if (dominio.empty() || dominio.size() > kMaiorDominio || contains(dominio)) return false;
  const auto posicao = static_cast<uint32_t>(dominios_.size());
  dominios_.emplace_back(dominio);
  const Prefixos p(dominio);
  arquivar(misturar(p.todo()), posicao);
  cadaUmAMenos(dominio, p, [&](uint64_t chave) { arquivar(chave, posicao); });
  return true;
}

void CandidateIndex::clear() {
  dominios_.clear();
  tabela_.clear();
  ocupadas_ = 0;
}

size_t CandidateIndex::proximos(std::string_view t, uint32_t* achados, size_t limite) const {
  size_t n = 0;
  if (t.empty() || t.size() > kMaiorDominio + kBr.size() || dominios_.empty()) return 0;
  auto examinar = [&](uint64_t chave) {
    cadaArquivado(chave, [&](uint32_t i) {
      if (std::find(achados, achados + n, i) == achados + n && smallSlip(t, dominios_[i]))
        achados[n++] = i;
      return n < limite;
    });
  };
  const Prefixos p(t);
  examinar(misturar(p.todo()));
  cadaUmAMenos(t, p, [&](uint64_t chave) {
    if (n < limite) examinar(chave);
  });
  if (n < limite) examinar(misturar(p.todo() * kPotencias.p[kBr.size()] + kHashBr));
  if (n < limite && terminaComBr(t)) examinar(misturar(p.h[t.size() - kBr.size()]));
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
