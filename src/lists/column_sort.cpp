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

// The column's keys, one per row. A column that repeats its values (a city, a state) keys each
// distinct value once; the first rows tell which kind of column it is.
std::vector<Sortable> chavesDaColuna(const TextGrid& grid, int coluna, KeyBuffer& chaves,
                                     Progress& p) {
  const int n = grid.dataRowCount();
  size_t bytes = 0;
  for (int i = 1; i <= n; ++i) bytes += grid.cell(coluna, i).size();
  constexpr int kAmostra = 4096;
  std::unordered_map<std::string_view, KeyBuffer::Place> vistos;
  int repetidos = 0;
  for (int i = 1; i <= std::min(n, kAmostra); ++i)
    repetidos += !vistos.emplace(grid.cell(coluna, i), KeyBuffer::Place{}).second;
  const bool porValor = repetidos * 2 > std::min(n, kAmostra);
  vistos.clear();
  if (!porValor) chaves.bytes.reserve(bytes + bytes / 2 + static_cast<size_t>(n) * 4);

  std::vector<Sortable> itens(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const std::string& valor = grid.cell(coluna, i + 1);
    KeyBuffer::Place lugar;
    if (porValor) {
      auto [it, novo] = vistos.emplace(valor, KeyBuffer::Place{});
      if (novo) it->second = chaves.add(valor);
      lugar = it->second;
    } else {
      lugar = chaves.add(valor);
    }
    itens[static_cast<size_t>(i)] = {prefixo(chaves.at(lugar)), lugar.inicio, lugar.tamanho, i + 1};
    if ((i + 1) % 10 == 0) p.stepProgress("Etapa 1/3");
  }
  return itens;
}

}  // namespace

bool ordenarPorColuna(TextGrid& grid, int coluna, bool desc, Progress& p, bool espacoNasVazias) {
  TextGrid::Update atualizacao(grid);  // one notice for the whole operation
  if (coluna < 0 || coluna >= grid.colCount()) return true;
  const int linhas = grid.rowCount();
  p.setProgress("Ordenando coluna...", (static_cast<int64_t>(linhas) * 3) / 10, "Aguarde...");

  // Stage 1: a key per row for its value.
  const int n = grid.dataRowCount();
  KeyBuffer chaves;
  std::vector<Sortable> itens = chavesDaColuna(grid, coluna, chaves, p);
  // A cancel leaves the rows as they were (a million rows take seconds to key and sort).
  auto cancelado = [&] {
    if (!p.cancelou()) return false;
    p.hide();
    return true;
  };
  if (cancelado()) return false;

  // Stage 2: by value; then, only inside runs of equal values, by the whole row (its key is
  // built once per tied row); rows equal in both keep their order.
  ordenarEmEtapas(itens.begin(), itens.end(), PorChave{&chaves},
                  [&p] { p.stepProgress("Etapa 2/3"); });
  std::vector<int> ordem(static_cast<size_t>(n));
  KeyBuffer chavesLinha;
  std::string texto;
  std::vector<Sortable> empate;
  for (int i = 0; i < n;) {
    const std::string_view chave = chaves.at(itens[static_cast<size_t>(i)].chave());
    int j = i + 1;
    while (j < n &&
           itens[static_cast<size_t>(j)].prefixo == itens[static_cast<size_t>(i)].prefixo &&
           chaves.at(itens[static_cast<size_t>(j)].chave()) == chave)
      ++j;
    if (j - i > 1) {
      chavesLinha.bytes.clear();
      empate.clear();
      for (int k = i; k < j; ++k) {
        const int linha = itens[static_cast<size_t>(k)].linha;
        texto.clear();
        grid.appendRowText(linha, texto);
        const KeyBuffer::Place lugar = chavesLinha.add(texto);
        empate.push_back({prefixo(chavesLinha.at(lugar)), lugar.inicio, lugar.tamanho, linha});
        if ((k - i + 1) % 1000 == 0) p.stepProgress("Etapa 2/3");
      }
      ordenarEmEtapas(empate.begin(), empate.end(), PorChave{&chavesLinha},
                      [&p] { p.stepProgress("Etapa 2/3"); });
      for (int k = i; k < j; ++k)
        ordem[static_cast<size_t>(k)] = empate[static_cast<size_t>(k - i)].linha;
    } else {
      ordem[static_cast<size_t>(i)] = itens[static_cast<size_t>(i)].linha;
    }
    for (int k = i; k < j; ++k)
      if ((k + 1) % 10 == 0) p.stepProgress("Etapa 2/3");
    i = j;
  }
  std::vector<Sortable>().swap(itens);
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
