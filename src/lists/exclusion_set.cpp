#include "lists/exclusion_set.h"

#include <bit>
#include <functional>

#include "common/collation.h"

namespace quorvel {
namespace {

uint64_t hashDe(std::string_view s) {
  return std::hash<std::string_view>{}(s);
}

// The first 8 bytes of a text's collation key as a number (equal texts give equal numbers).
uint64_t inicioDaChave(std::string_view s) {
  thread_local std::string chave;
  chave.clear();
  collation::appendSortKeyPrefix(s, 8, chave);
  uint64_t n = 0;
  for (size_t i = 0; i < 8; ++i)
    n = (n << 8) | (i < chave.size() ? static_cast<unsigned char>(chave[i]) : 0u);
  return n;
}

}  // namespace

template <class F>
void ExclusionSet::forEachLine(F f) const {
  const std::string_view t = texto_;
  size_t inicio = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '\r' || c == '\n') {
      f(inicio, i - inicio);
      if (c == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
      inicio = i + 1;
    }
  }
  if (inicio < t.size()) f(inicio, t.size() - inicio);
}

ExclusionSet::ExclusionSet(std::string texto) : texto_(std::move(texto)) {
  collation::asciiLowerInto(texto_, minusculas_);
  size_t linhas = 0;
  forEachLine([&](size_t, size_t) { ++linhas; });
  tabela_.resize(std::bit_ceil(std::max<size_t>(linhas * 2, 16)));
  const size_t mascara = tabela_.size() - 1;
  const std::string_view t = texto_, m = minusculas_;
  forEachLine([&](size_t inicio, size_t tamanho) {
    const std::string_view linha = t.substr(inicio, tamanho);
    // The set's first line: the smallest, the earliest of equal ones.
    if (vazio_ || collation::compare(linha, primeira_) < 0) primeira_ = linha;
    vazio_ = false;
    // Past 4 GB of text a place does not fit a slot: such lines are kept by key, as exactly.
    if (!collation::printableAscii(linha) || inicio + tamanho >= UINT32_MAX) {
      outrasChaves_.insert(collation::sortKey(linha));
      outrosInicios_.insert(inicioDaChave(linha));
      return;
    }
    const std::string_view chave = m.substr(inicio, tamanho);
    const uint64_t h = hashDe(chave);
    for (size_t i = h & mascara;; i = (i + 1) & mascara) {
      Slot& s = tabela_[i];
      if (s.inicio == UINT32_MAX) {
        s = {h, static_cast<uint32_t>(inicio), static_cast<uint32_t>(tamanho)};
        return;
      }
      if (s.hash == h && m.substr(s.inicio, s.tamanho) == chave) return;  // already there
    }
  });
}

bool ExclusionSet::containsAscii(std::string_view minusculo) const {
  const size_t mascara = tabela_.size() - 1;
  const uint64_t h = hashDe(minusculo);
  const std::string_view m = minusculas_;
  for (size_t i = h & mascara;; i = (i + 1) & mascara) {
    const Slot& s = tabela_[i];
    if (s.inicio == UINT32_MAX) return false;
    if (s.hash == h && m.substr(s.inicio, s.tamanho) == minusculo) return true;
  }
}

bool ExclusionSet::contains(std::string_view valor) const {
  if (vazio_) return false;
  thread_local std::string chave;
  if (collation::printableAscii(valor)) {
    // Two printable-ASCII texts are equal under the collator exactly when their ASCII
    // lower-cases are; only lines outside that range can still be equal otherwise.
    collation::asciiLowerInto(valor, chave);
    if (containsAscii(chave)) return true;
    if (outrasChaves_.empty() || !outrosInicios_.count(inicioDaChave(valor))) return false;
    chave.clear();
    collation::appendSortKey(valor, chave);
    return outrasChaves_.count(chave) > 0;
  }
  if (!todasFeitas_) {
    forEachLine([&](size_t inicio, size_t tamanho) {
      todasChaves_.insert(collation::sortKey(std::string_view(texto_).substr(inicio, tamanho)));
    });
    todasFeitas_ = true;
  }
  chave.clear();
  collation::appendSortKey(valor, chave);
  return todasChaves_.count(chave) > 0;
}

}  // namespace quorvel
