#include "lists/column_sort.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string_view>
#include <unordered_map>

#include "common/collation.h"
#include "common/format.h"
#include "common/text.h"

namespace quorvel {

namespace {

// Sorts in blocks and then merges them pairwise, calling `passo` between the pieces: a sort of a
// million rows lets the progress box repaint (and its button answer) while it runs.
template <class It, class Cmp, class Passo>
void ordenarEmEtapas(It inicio, It fim, Cmp cmp, Passo passo) {
  constexpr ptrdiff_t kBloco = 1 << 15;
  const ptrdiff_t n = fim - inicio;
  for (ptrdiff_t i = 0; i < n; i += kBloco) {
    std::sort(inicio + i, inicio + std::min(n, i + kBloco), cmp);
    passo();
  }
  for (ptrdiff_t largura = kBloco; largura < n; largura *= 2)
    for (ptrdiff_t i = 0; i + largura < n; i += 2 * largura) {
      std::inplace_merge(inicio + i, inicio + i + largura, inicio + std::min(n, i + 2 * largura),
                         cmp);
      passo();
    }
}

// Binary keys (collation order = byte order of the keys) kept in one buffer, each addressed by
// its start and length: a list of a million rows should not pay a string per key.
struct KeyBuffer {
  std::string bytes;
  struct Place {
    uint64_t inicio;
    uint32_t tamanho;
  };
  std::string_view at(const Place& l) const {
    return std::string_view(bytes).substr(l.inicio, l.tamanho);
  }
  Place add(std::string_view texto) {
    const size_t antes = bytes.size();
    collation::appendSortKey(texto, bytes);
    return {antes, static_cast<uint32_t>(bytes.size() - antes)};
  }
};

// A key's first eight bytes as a number: comparing the numbers compares those bytes, so most
// comparisons of a sort never leave the array being sorted.
uint64_t prefixo(std::string_view chave) {
  uint64_t p = 0;
  for (size_t i = 0; i < 8; ++i)
    p = (p << 8) | (i < chave.size() ? static_cast<unsigned char>(chave[i]) : 0u);
  return p;
}

// Runs of tied rows up to this size are ordered by comparing their texts, longer ones by keys.
constexpr int kEmpatePequeno = 8;

// 24 bytes: a million rows sort in 24 MB.
struct Sortable {
  uint64_t prefixo;
  uint64_t inicio;
  uint32_t tamanho;
  int linha;
  KeyBuffer::Place chave() const { return {inicio, tamanho}; }
};

// Orders by key, rows of equal keys by row number: the order every sort of these items gives.
struct PorChave {
  const KeyBuffer* chaves;
  bool operator()(const Sortable& a, const Sortable& b) const {
    if (a.prefixo != b.prefixo) return a.prefixo < b.prefixo;
    const int c = chaves->at(a.chave()).compare(chaves->at(b.chave()));
    return c != 0 ? c < 0 : a.linha < b.linha;
  }
};

// A row's place by its value: the first bytes of the value's key, packed so that comparing the
// numbers compares the bytes. The whole keys of a million values would take as much memory as
// the column itself; the first bytes already tell most values apart, and the rows they do not
// are resolved run by run with whole keys.
struct ValueKey {
  static constexpr size_t kBytes = 24;
  uint64_t prefixo[kBytes / 8];
  uint32_t tamanho;  // the key's length, counted up to kBytes + 1
  int linha;
};

ValueKey chaveDoValor(std::string_view chave, int linha) {
  ValueKey k{{}, static_cast<uint32_t>(std::min(chave.size(), ValueKey::kBytes + 1)), linha};
  for (size_t i = 0; i < std::min(chave.size(), ValueKey::kBytes); ++i)
    k.prefixo[i / 8] |= uint64_t{static_cast<unsigned char>(chave[i])} << (56 - 8 * (i % 8));
  return k;
}

bool mesmoPrefixo(const ValueKey& a, const ValueKey& b) {
  return std::equal(std::begin(a.prefixo), std::end(a.prefixo), std::begin(b.prefixo));
}

struct PorPrefixo {
  bool operator()(const ValueKey& a, const ValueKey& b) const {
    if (!mesmoPrefixo(a, b))
      return std::lexicographical_compare(std::begin(a.prefixo), std::end(a.prefixo),
                                          std::begin(b.prefixo), std::end(b.prefixo));
    return a.linha < b.linha;
  }
};

// The column's key prefixes, one per row. A column that repeats its values (a city, a state)
// keys each distinct value once; the first rows tell which kind of column it is.
std::vector<ValueKey> chavesDaColuna(const TextGrid& grid, int coluna, Progress& p) {
  const int n = grid.dataRowCount();
  constexpr int kAmostra = 4096;
  std::unordered_map<std::string_view, ValueKey> vistos;
  int repetidos = 0;
  for (int i = 1; i <= std::min(n, kAmostra); ++i)
    repetidos += !vistos.emplace(grid.cell(coluna, i), ValueKey{}).second;
  const bool porValor = repetidos * 2 > std::min(n, kAmostra);
  vistos.clear();

  std::vector<ValueKey> itens(static_cast<size_t>(n));
  std::string chave;
  auto fazer = [&](std::string_view valor, int linha) {
    chave.clear();
    collation::appendSortKeyPrefix(valor, ValueKey::kBytes + 1, chave);
    return chaveDoValor(chave, linha);
  };
  for (int i = 0; i < n; ++i) {
    const std::string_view valor = grid.cell(coluna, i + 1);
    ValueKey k;
    if (porValor) {
      auto [it, novo] = vistos.emplace(valor, ValueKey{});
      if (novo) it->second = fazer(valor, 0);
      k = it->second;
      k.linha = i + 1;
    } else {
      k = fazer(valor, i + 1);
    }
    itens[static_cast<size_t>(i)] = k;
    if ((i + 1) % 10 == 0) p.stepProgress("Etapa 1/3");
  }
  return itens;
}

// Rows whose values are equal (ignoring case), in `ordem[i..j)`: ordered by their whole text,
// rows equal in both by row number.
class TieBreaker {
 public:
  TieBreaker(const TextGrid& grid, Progress& p) : grid_(grid), p_(p) {}

  void ordenar(std::vector<int>& ordem, int i, int j) {
    if (j - i < 2) return;
    if (j - i <= kEmpatePequeno) {
      // A few tied rows (a value repeated two or three times): comparing their texts directly
      // is cheaper than a key per text, and orders them the same.
      textos_.clear();
      pequeno_.clear();
      for (int k = i; k < j; ++k) {
        const int linha = ordem[static_cast<size_t>(k)];
        const size_t inicio = textos_.size();
        grid_.appendRowText(linha, textos_);
        pequeno_.push_back({inicio, textos_.size() - inicio, linha});
      }
      auto vista = [&](const RowText& t) {
        return std::string_view(textos_).substr(t.inicio, t.tamanho);
      };
      std::sort(pequeno_.begin(), pequeno_.end(), [&](const RowText& a, const RowText& b) {
        const int c = collation::compare(vista(a), vista(b));
        return c != 0 ? c < 0 : a.linha < b.linha;
      });
      for (int k = i; k < j; ++k)
        ordem[static_cast<size_t>(k)] = pequeno_[static_cast<size_t>(k - i)].linha;
      return;
    }
    chavesLinha_.bytes.clear();
    empate_.clear();
    for (int k = i; k < j; ++k) {
      const int linha = ordem[static_cast<size_t>(k)];
      texto_.clear();
      grid_.appendRowText(linha, texto_);
      const KeyBuffer::Place lugar = chavesLinha_.add(texto_);
      empate_.push_back({prefixo(chavesLinha_.at(lugar)), lugar.inicio, lugar.tamanho, linha});
      if ((k - i + 1) % 1000 == 0) p_.stepProgress("Etapa 2/3");
    }
    ordenarEmEtapas(empate_.begin(), empate_.end(), PorChave{&chavesLinha_},
                    [this] { p_.stepProgress("Etapa 2/3"); });
    for (int k = i; k < j; ++k)
      ordem[static_cast<size_t>(k)] = empate_[static_cast<size_t>(k - i)].linha;
  }

 private:
  struct RowText {
    size_t inicio, tamanho;
    int linha;
  };
  const TextGrid& grid_;
  Progress& p_;
  KeyBuffer chavesLinha_;
  std::string texto_, textos_;
  std::vector<Sortable> empate_;
  std::vector<RowText> pequeno_;
};

}  // namespace

bool ordenarPorColuna(TextGrid& grid, int coluna, bool desc, Progress& p, bool espacoNasVazias) {
  TextGrid::Update atualizacao(grid);  // one notice for the whole operation
  if (coluna < 0 || coluna >= grid.colCount()) return true;
  const int linhas = grid.rowCount();
  p.setProgress("Ordenando coluna...", (static_cast<int64_t>(linhas) * 3) / 10, "Aguarde...");

  // Stage 1: the first bytes of a key per row for its value.
  const int n = grid.dataRowCount();
  std::vector<ValueKey> itens = chavesDaColuna(grid, coluna, p);
  // A cancel leaves the rows as they were (a million rows take seconds to key and sort).
  auto cancelado = [&] {
    if (!p.cancelou()) return false;
    p.hide();
    return true;
  };
  if (cancelado()) return false;

  // Stage 2: by value (runs whose first bytes tie, by whole keys); then, only inside runs of
  // equal values, by the whole row; rows equal in both keep their order.
  ordenarEmEtapas(itens.begin(), itens.end(), PorPrefixo{}, [&p] { p.stepProgress("Etapa 2/3"); });
  std::vector<int> ordem(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) ordem[static_cast<size_t>(i)] = itens[static_cast<size_t>(i)].linha;
  TieBreaker desempate(grid, p);
  KeyBuffer chaves;
  std::vector<Sortable> valores;
  for (int i = 0; i < n;) {
    const ValueKey& primeiro = itens[static_cast<size_t>(i)];
    int j = i + 1;
    bool completas = primeiro.tamanho <= ValueKey::kBytes;  // the whole keys were compared
    while (j < n && mesmoPrefixo(itens[static_cast<size_t>(j)], primeiro)) {
      completas = completas && itens[static_cast<size_t>(j)].tamanho == primeiro.tamanho;
      ++j;
    }
    if (j - i > 1 && completas) {
      desempate.ordenar(ordem, i, j);
    } else if (j - i > 1) {
      // The first bytes tie: the run is put in order by whole keys of the values.
      chaves.bytes.clear();
      valores.clear();
      for (int k = i; k < j; ++k) {
        const int linha = ordem[static_cast<size_t>(k)];
        const KeyBuffer::Place lugar = chaves.add(grid.cell(coluna, linha));
        valores.push_back({prefixo(chaves.at(lugar)), lugar.inicio, lugar.tamanho, linha});
      }
      std::sort(valores.begin(), valores.end(), PorChave{&chaves});
      for (int k = i; k < j;) {
        const std::string_view chave = chaves.at(valores[static_cast<size_t>(k - i)].chave());
        int fim = k + 1;
        while (fim < j && chaves.at(valores[static_cast<size_t>(fim - i)].chave()) == chave) ++fim;
        for (int m = k; m < fim; ++m)
          ordem[static_cast<size_t>(m)] = valores[static_cast<size_t>(m - i)].linha;
        desempate.ordenar(ordem, k, fim);
        k = fim;
      }
    }
    for (int k = i; k < j; ++k)
      if ((k + 1) % 10 == 0) p.stepProgress("Etapa 2/3");
    i = j;
  }
  // The keys are let go before the rows move: the two are never both in memory.
  std::vector<ValueKey>().swap(itens);
  if (desc) std::reverse(ordem.begin(), ordem.end());
  if (cancelado()) return false;

  // Stage 3: the rows in their new places (by the row assignment rule when asked for).
  grid.reorderRows(ordem);
  if (espacoNasVazias) {
    grid.fillBlanks(" ");
    for (int r = 100; r < grid.rowCount(); r += 100)
      p.stepProgress("Etapa 3/3 " + std::to_string(r) + " de " + std::to_string(linhas));
  }
  p.hide();
  return true;
}

bool SortStringGrid(ListEditor& editor, TextGrid& grid, int coluna, bool desc) {
  ListEditor::EditStep edicao(editor);
  if (!ordenarPorColuna(grid, coluna, desc, editor.progresso(), true)) return false;
  editor.changed();
  return true;
}

}  // namespace quorvel
