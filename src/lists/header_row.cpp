#include "lists/header_row.h"

#include "common/text.h"

namespace quorvel {

std::string formatColumnName(std::string_view nome) {
  std::string out = toLower(nome);
  for (char& c : out)
    if (c == ' ') c = '-';
  return out;
}

void NomearColunasVazias(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  for (int c = 0; c < g.colCount(); ++c)
    if (g.cell(c, 0).empty()) g.setCell(c, 0, "Coluna " + std::to_string(c + 1));
}

void eliminarColunasVazias(ListEditor& editor, TextGrid& g) {
  ListEditor::EditStep edicao(editor);
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  for (int c = 0; c < g.colCount() && g.colCount() > 1;) {
    if (g.columnBlank(c))
      g.deleteColumn(c);
    else
      ++c;
  }
  editor.changed();
}

void setColunaPrimeiraLinha(ListEditor& editor, TextGrid& g, int linha) {
  ListEditor::EditStep edicao(editor);
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  if (linha < 1 || linha >= g.rowCount()) return;
  std::vector<std::string> valores = g.rowCells(linha);
  g.assignRow(0, valores);
  g.deleteRow(linha);
  editor.changed();
}

}  // namespace quorvel
