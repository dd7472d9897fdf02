#include "lists/suggestion_operations.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/format.h"
#include "common/text.h"
#include "validation/validation_window.h"

namespace quorvel {

namespace {

int colunaChamada(const TextGrid& g, std::string_view nome) {
  for (int c = 0; c < g.colCount(); ++c)
    if (equalsIgnoreCase(trimView(g.cell(c, 0)), nome)) return c;
  return -1;
}

// The data rows of "Inválidos" the user chose, as flags.
std::vector<char> linhasEscolhidas(const ListEditor& editor, SuggestionRows linhas) {
  const TextGrid& inv = editor.gridInvalidos;
  std::vector<char> escolhidas(static_cast<size_t>(inv.rowCount()), 0);
  TextGrid::Selection s = inv.selection;
  if (s.top > s.bottom) std::swap(s.top, s.bottom);
  if (s.left > s.right) std::swap(s.left, s.right);
  const bool mostrando = editor.gGrid == &inv;
  const bool umaCelula = s.top == s.bottom && s.left == s.right;
  if (linhas == SuggestionRows::selecionadas || (mostrando && !umaCelula)) {
    if (!mostrando) return escolhidas;
    for (int r = std::max(s.top, 1); r <= s.bottom && r < inv.rowCount(); ++r)
      escolhidas[static_cast<size_t>(r)] = 1;
  } else {
    std::fill(escolhidas.begin() + 1, escolhidas.end(), 1);
  }
  return escolhidas;
}

// The first row of "Principal" holding each address (compared as the validation compares them:
// trimmed, in lower case).
std::unordered_map<std::string, int> linhasPorEndereco(const TextGrid& principal, int coluna) {
  std::unordered_map<std::string, int> linhas;
  if (coluna < 0) return linhas;
  std::string normalizado;
  for (int r = 1; r < principal.rowCount(); ++r) {
    toLowerInto(principal.cell(coluna, r), normalizado);
    std::string_view e = trimView(normalizado);
    if (!e.empty()) linhas.emplace(std::string(e), r);
  }
  return linhas;
}

// Appends a row to "Válidos" (the grid keeps one blank data row while it is empty: that one is
// used first) and returns its index.
int novaLinha(TextGrid& g) {
  if (g.rowCount() > 2 || g.rowHasText(1)) g.addRow();
  return g.rowCount() - 1;
}

}  // namespace

int aplicarSugestoes(ListEditor& editor, SuggestionRows quais) {
  TextGrid& inv = editor.gridInvalidos;
  TextGrid& validos = editor.gridValidos;
  const TextGrid& principal = editor.gridMain;
  const int colEmail = colunaChamada(inv, "E-mail");
  const int colSugestao = colunaChamada(inv, kColunaSugestao);
  std::vector<char> mover = linhasEscolhidas(editor, quais);
  int total = 0;
  for (int r = 1; r < inv.rowCount(); ++r) {
    char& m = mover[static_cast<size_t>(r)];
    m = m && colEmail >= 0 && colSugestao >= 0 && !isBlank(inv.cell(colSugestao, r)) &&
        !isBlank(inv.cell(colEmail, r));
    total += m;
  }
  if (total == 0) {
    editor.dialogos().msgInformacao(kMsgSemSugestoes);
    return 0;
  }

  ListEditor::EditStep edicao(editor);
  {
    TextGrid::Update u1(validos), u2(inv);  // one notice per list for the whole move
    const int colPrincipal = colunaEmailProvavel(principal);
    const auto origem = linhasPorEndereco(principal, colPrincipal);
    std::vector<int> mapa;
    std::string digitado;
    for (int r = 1; r < inv.rowCount(); ++r) {
      if (!mover[static_cast<size_t>(r)]) continue;
      toLowerInto(inv.cell(colEmail, r), digitado);
      const std::string typed(trimView(digitado));
      const std::string corrigido(trimView(inv.cell(colSugestao, r)));
      const int linha = novaLinha(validos);
      if (auto it = origem.find(typed); it != origem.end()) {
        copiarComCabecalhos(principal, it->second, validos, linha, mapa);
        validos.setCell(mapa[static_cast<size_t>(colPrincipal)], linha, corrigido);
      } else {
        // The contact is no longer in "Principal": the address alone, under the addresses'
        // column of "Válidos".
        const int c = colunaEmailProvavel(validos);
        if (c >= 0 && cabecalhoDeEmail(validos.cell(c, 0)))
          validos.setCell(c, linha, corrigido);
        else
          colunaSetValue(validos, linha, corrigido, "E-mail");
      }
      colunaSetValue(validos, linha, typed, kColunaEmailDigitado);
    }
    inv.removeRows(mover);
    const int cursor = std::clamp(inv.cursorRow, 1, inv.rowCount() - 1);
    inv.moverCursor(std::min(inv.cursorCol, inv.colCount() - 1), cursor);
  }
  editor.showStatus(*editor.gGrid);
  editor.changed();
  editor.dialogos().msgInformacao(total == 1
                                      ? "1 endereço corrigido foi movido para a lista de válidos."
                                      : formatNumber(total) +
                                            " endereços corrigidos foram movidos para a lista de "
                                            "válidos.");
  return total;
}

}  // namespace quorvel
