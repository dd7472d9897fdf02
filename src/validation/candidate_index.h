#pragma once
// The domains a mistyped one may be corrected to, indexed so that the candidates one small slip
// away from a typed domain are found with a few hash lookups whatever their number: every
// candidate is filed under itself and under each text it gives with one character left out; a
// typed domain is looked up under itself and under each of its own one-character-shorter texts
// (an insertion, a deletion, a substitution and a swap of neighbours all meet there), and under
// itself with ".br" added or removed. The texts are never built: a text's hash is a polynomial of
// its bytes, from which the hash of the text with one byte left out (or ".br" added or removed)
// follows in a few operations.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// True when `digitado` is one small slip away from `candidato`: one character inserted, left
// out or replaced, two neighbours swapped (a doubled letter is an insertion, a letter typed once
// instead of twice a deletion), or ".br" left out or added at the end. Never for equal texts.
bool smallSlip(std::string_view digitado, std::string_view candidato);

class CandidateIndex {
 public:
  // Files a domain; false when it was there already.
  bool add(std::string_view dominio);
  bool contains(std::string_view dominio) const;
  size_t size() const { return dominios_.size(); }
  void clear();

  // The only candidate a small slip away from the typed domain (never the domain itself); null
  // when there is none or when there are several.
  const std::string* unico(std::string_view digitado) const;
  // How many candidates (0, 1, or 2 for two or more) are a small slip away; the first one's
  // position in `posicao`. Positions hold until clear().
  size_t contarProximos(std::string_view digitado, uint32_t& posicao) const;
  const std::string& operator[](size_t posicao) const { return dominios_[posicao]; }
  // Whether some candidate other than the domain itself is a small slip away from it.
  bool algumProximo(std::string_view digitado) const;

 private:
  // Up to `limite` distinct candidates a small slip away, into `achados`; their number.
  size_t proximos(std::string_view digitado, uint32_t* achados, size_t limite) const;
  // Files the domain at `posicao` under the hash `chave`.
  void arquivar(uint64_t chave, uint32_t posicao);
  // Calls f(position) for each domain filed under `chave`.
  template <class F>
  void cadaArquivado(uint64_t chave, F&& f) const;

  std::vector<std::string> dominios_;
  // Hash of a domain or of one of its one-character-shorter texts → the domain's position, in
  // one open-addressed table (a hash may repeat: the domains filed under it follow it).
  struct Entrada {
    uint64_t chave;
    uint32_t posicao;  // kVazia: a free place
  };
  static constexpr uint32_t kVazia = UINT32_MAX;
  std::vector<Entrada> tabela_;
  size_t ocupadas_ = 0;
};

}  // namespace quorvel
