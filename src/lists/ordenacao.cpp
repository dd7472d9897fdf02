#include "lists/ordenacao.h"

#include <algorithm>
#include <numeric>

#include "common/collation.h"
#include "common/format.h"
#include "common/text.h"

namespace quorvel {

void SortStringGrid(ListEditor& editor, TextGrid& grid, int coluna, bool desc) {
  if (coluna < 0 || coluna >= grid.colCount()) return;
  Progress& p = editor.progresso();
  const int linhas = grid.rowCount();
  p.setProgress("Ordenando coluna...", (static_cast<int64_t>(linhas) * 3) / 10, "Aguarde...");

  // Stage 1: a binary key per row for its value (collation order = byte order of the keys).
  const int n = grid.dataRowCount();
  std::vector<std::string> chaves(n);
  for (int i = 0; i < n; ++i) {
    chaves[i] = collation::sortKey(grid.cell(coluna, i + 1));
    if ((i + 1) % 10 == 0) p.stepProgress("Etapa 1/3");
  }

  // Stage 2: by value, then by the whole row (compared only between equal values).
  std::vector<int> ordem(n);
  std::iota(ordem.begin(), ordem.end(), 1);
  int64_t comparacoes = 0;
  std::sort(ordem.begin(), ordem.end(), [&](int a, int b) {
    if (++comparacoes % (10 * 20) == 0) p.stepProgress("Etapa 2/3");
    int c = chaves[a - 1].compare(chaves[b - 1]);
    if (c != 0) return c < 0;
    return collation::compare(grid.rowText(a), grid.rowText(b)) < 0;
  });
  if (desc) std::reverse(ordem.begin(), ordem.end());

  // Stage 3: the rows in their new places, written back by the row assignment rule.
  grid.reorderRows(ordem);
  for (int r = 1; r < grid.rowCount(); ++r) {
    for (int c = 0; c < grid.colCount(); ++c)
      if (grid.cell(c, r).empty()) grid.setCell(c, r, " ");
    if (r % 100 == 0)
      p.stepProgress("Etapa 3/3 " + std::to_string(r) + " de " + std::to_string(linhas));
  }
  p.esconder();
  if (editor.onChanged) editor.onChanged();
}

}  // namespace quorvel
