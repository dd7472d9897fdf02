#include "lists/column_sort.h"

#include <algorithm>
#include <numeric>
#include <string_view>

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

}  // namespace

bool ordenarPorColuna(TextGrid& grid, int coluna, bool desc, Progress& p, bool espacoNasVazias) {
  TextGrid::Update atualizacao(grid);  // one notice for the whole operation
  if (coluna < 0 || coluna >= grid.colCount()) return true;
  const int linhas = grid.rowCount();
  p.setProgress("Ordenando coluna...", (static_cast<int64_t>(linhas) * 3) / 10, "Aguarde...");

  // Stage 1: a binary key per row for its value (collation order = byte order of the keys),
  // all in one buffer: a list of a million rows should not pay a string per key.
  const int n = grid.dataRowCount();
  std::string buffer;
  std::vector<size_t> inicio(n + 1, 0);
  for (int i = 0; i < n; ++i) {
    buffer += collation::sortKey(grid.cell(coluna, i + 1));
    inicio[i + 1] = buffer.size();
    if ((i + 1) % 10 == 0) p.stepProgress("Etapa 1/3");
  }
  buffer.shrink_to_fit();
  // A cancel leaves the rows as they were (a million rows take seconds to key and sort).
  auto cancelado = [&] {
    if (!p.cancelou()) return false;
    p.hide();
    return true;
  };
  if (cancelado()) return false;
  auto chave = [&](int linha) {
    return std::string_view(buffer).substr(inicio[linha - 1], inicio[linha] - inicio[linha - 1]);
  };

  // Stage 2: by value; then, only inside runs of equal values, by the whole row (its key is
  // built once per tied row).
  std::vector<int> ordem(n);
  std::iota(ordem.begin(), ordem.end(), 1);
  ordenarEmEtapas(
      ordem.begin(), ordem.end(), [&](int a, int b) { return chave(a) < chave(b); },
      [&p] { p.stepProgress("Etapa 2/3"); });
  for (int i = 0; i < n;) {
    int j = i + 1;
    while (j < n && chave(ordem[j]) == chave(ordem[i])) ++j;
    if (j - i > 1) {
      std::vector<std::pair<std::string, int>> empate;
      empate.reserve(j - i);
      for (int k = i; k < j; ++k) {
        empate.emplace_back(collation::sortKey(grid.rowText(ordem[k])), ordem[k]);
        if ((k - i + 1) % 1000 == 0) p.stepProgress("Etapa 2/3");
      }
      ordenarEmEtapas(empate.begin(), empate.end(), std::less<>(),
                      [&p] { p.stepProgress("Etapa 2/3"); });
      for (int k = i; k < j; ++k) ordem[k] = empate[k - i].second;
    }
    for (int k = i; k < j; ++k)
      if ((k + 1) % 10 == 0) p.stepProgress("Etapa 2/3");
    i = j;
  }
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
