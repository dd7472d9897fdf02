#include "lists/column_operations.h"

#include <algorithm>

#include "common/format.h"
#include "common/text.h"
#include "lists/header_row.h"

namespace quorvel {

const char* const kTituloInserirColuna = "Inserir coluna";
const char* const kTituloRenomearColuna = "Renomear coluna";
const char* const kPromptNomeColuna = "Defina o nome desta coluna";

namespace {

void atualizar(ListEditor& editor) {
  editor.showStatus(*editor.gGrid);
  editor.changed();
}

bool colunaValida(const TextGrid& g, int coluna) {
  return coluna >= 0 && coluna < g.colCount();
}

// Clears the column and removes it; a single column is left empty instead.
void removerColuna(ListEditor& editor, TextGrid& g, int coluna) {
  for (int r = 0; r < g.rowCount(); ++r) g.setCell(coluna, r, std::string());
  g.deleteColumn(coluna);
  editor.setEditou(g, true);
  if (g.cursorCol >= g.colCount()) g.moverCursor(g.colCount() - 1, g.cursorRow);
}

bool dadosEmBranco(const TextGrid& g, int coluna) {
  for (int r = 1; r < g.rowCount(); ++r)
    if (!isBlank(g.cell(coluna, r))) return false;
  return true;
}

// Rewrites every data cell of the column, with the progress box of the replace page.
template <typename Novo>
void editarColuna(ListEditor& editor, int coluna, Novo novoValor) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  if (!colunaValida(g, coluna)) return;
  Progress& p = editor.progresso();
  const std::string total = "Total de registros: " + formatNumberOrEmpty(g.rowCount());
  p.setProgress("Editando a coluna " + g.cell(coluna, 0), g.rowCount() / 10, total);
  for (int r = 1; r < g.rowCount(); ++r) {
    g.setCell(coluna, r, novoValor(g.cell(coluna, r)));
    if (r % 10 == 0) p.stepProgress(total, "Processados: " + formatNumberOrEmpty(r));
  }
  p.hide();
  atualizar(editor);
}

}  // namespace

// ---- Naming -------------------------------------------------------------------------------------

void inserirColuna(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  const std::string nome = formatColumnName(editor.dialogos().pedirValor(kTituloInserirColuna, ""));
  if (nome.empty()) return;
  TextGrid& g = *editor.gGrid;
  editor.setEditou(g, true);
  const int atual = std::clamp(g.cursorCol, 0, g.colCount() - 1);
  if (!isBlank(g.cell(atual, 0))) {
    g.setColCount(g.colCount() + 1);
    g.setCell(g.colCount() - 1, 0, nome);
  } else {
    g.setCell(atual, 0, nome);
  }
  atualizar(editor);
}

void renomearColuna(ListEditor& editor, int coluna) {
  ListEditor::EditStep edicao(editor);
  if (!colunaValida(*editor.gGrid, coluna)) return;
  const std::string nome =
      formatColumnName(editor.dialogos().pedirValor(kTituloRenomearColuna, ""));
  if (nome.empty()) return;
  editor.gGrid->setCell(coluna, 0, nome);
  atualizar(editor);
}

std::vector<DefineColumnsRow> showColunas(const TextGrid& g) {
  std::vector<DefineColumnsRow> linhas;
  linhas.reserve(g.colCount());
  for (int c = 0; c < g.colCount(); ++c) {
    const std::string& primeiro = g.cell(c, 1);
    linhas.push_back(
        {isBlank(primeiro) ? "Coluna " + formatNumberOrEmpty(c) : primeiro, g.cell(c, 0)});
  }
  return linhas;
}

void setColunas(ListEditor& editor, const std::vector<std::string>& nomes) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  const int n = std::min(static_cast<int>(nomes.size()), g.colCount());
  for (int c = 0; c < n; ++c) {
    std::string nome = formatColumnName(nomes[c]);
    if (trim(nome) == "#") continue;  // "#": keep this column's name
    g.setCell(c, 0, std::move(nome));
  }
  atualizar(editor);
}

// ---- Deleting -----------------------------------------------------------------------------------

DeleteColumnsPage abrirEliminarColunas(const TextGrid& g) {
  DeleteColumnsPage pagina;
  pagina.itens = preencherListaColunas(g);
  pagina.marcarTodas(false);
  return pagina;
}

bool eliminarColunaPeloNome(ListEditor& editor, const std::string& nome) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  for (int c = 0; c < g.colCount(); ++c) {
    if (trimView(g.cell(c, 0)) == nome) {
      removerColuna(editor, g, c);
      atualizar(editor);
      return true;
    }
  }
  return false;
}

void aplicarEliminarColunas(ListEditor& editor, const DeleteColumnsPage& pagina) {
  ListEditor::EditStep edicao(editor);
  TextGrid::Update atualizacao(*editor.gGrid);  // one notice for the whole operation
  for (size_t i = 0; i < pagina.itens.size(); ++i)
    if (i < pagina.marcados.size() && pagina.marcados[i])
      eliminarColunaPeloNome(editor, pagina.itens[i]);
  editor.gGrid->moverCursor(0, 1);
  atualizar(editor);
}

bool eliminarColuna(ListEditor& editor, int coluna, bool perguntar) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  if (!colunaValida(g, coluna)) return false;
  if (perguntar &&
      editor.dialogos().msgPergunta("Deseja excluir a coluna " + g.cell(coluna, 0) + "?") != kSim)
    return false;
  removerColuna(editor, g, coluna);
  atualizar(editor);
  return true;
}

void excluirColunasSemConteudo(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  for (int c = 0; c < g.colCount();) {
    if (!dadosEmBranco(g, c)) {
      ++c;
      continue;
    }
    // A lone column is emptied (header too) and stays; after a deletion that leaves one column
    // the scan ends without looking at it.
    removerColuna(editor, g, c);
    if (g.colCount() == 1) break;
  }
  g.moverCursor(0, 1);
  atualizar(editor);
}

bool limparColuna(ListEditor& editor, int coluna) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  if (!colunaValida(g, coluna)) return false;
  if (editor.dialogos().msgPergunta("Deseja apagar os dados desta coluna?") != kSim) return false;
  for (int r = 1; r < g.rowCount(); ++r) g.setCell(coluna, r, std::string());
  editor.setEditou(g, true);
  atualizar(editor);
  return true;
}

std::string copiarColuna(ListEditor& editor, int coluna) {
  const TextGrid& g = *editor.gGrid;
  if (!colunaValida(g, coluna)) return {};
  std::string texto;
  for (int r = 0; r < g.rowCount(); ++r) {
    texto += g.cell(coluna, r);
    texto += "\r\n";
  }
  texto = trim(texto);
  if (editor.platform) editor.platform->setClipboardText(texto);
  return texto;
}

// ---- Replace page -------------------------------------------------------------------------------

const std::vector<std::string>& ReplacePageState::acoes() {
  static const std::vector<std::string> lista = {
      "Definir um texto", "Adicionar texto no final", "Adicionar texto no começo",
      "Substituir um texto por outro", "Eliminar um trecho de texto"};
  return lista;
}

const char* ReplacePageState::rotuloTexto() const {
  return acao == static_cast<int>(ColumnAction::substituir) ? "Por este:"
                                                            : "Informe o texto a ser aplicado:";
}

int indiceInicialSubstituir(const TextGrid& g) {
  return g.cursorCol >= 2 ? g.cursorCol - 2 : -1;
}

void colunaSetText(ListEditor& editor, int coluna, const std::string& texto) {
  editarColuna(editor, coluna, [&](const std::string&) { return texto; });
}

void colunaAdicionarFim(ListEditor& editor, int coluna, const std::string& texto) {
  editarColuna(editor, coluna, [&](const std::string& v) { return trim(v + texto); });
}

void colunaAdicionarComeco(ListEditor& editor, int coluna, const std::string& texto) {
  editarColuna(editor, coluna, [&](const std::string& v) { return trim(texto + v); });
}

void colunaSubstituir(ListEditor& editor, int coluna, const std::string& de,
                      const std::string& por) {
  editarColuna(editor, coluna,
               [&](const std::string& v) { return substituirIgnorandoCaixa(v, de, por); });
}

void colunaDeletarValor(ListEditor& editor, int coluna, const std::string& texto) {
  editarColuna(editor, coluna,
               [&](const std::string& v) { return substituirIgnorandoCaixa(v, texto, ""); });
}

void aplicarAcaoColuna(ListEditor& editor, int coluna, ColumnAction acao, const std::string& texto,
                       const std::string& substituirTexto) {
  ListEditor::EditStep edicao(editor);
  switch (acao) {
    case ColumnAction::definirTexto:
      colunaSetText(editor, coluna, texto);
      break;
    case ColumnAction::adicionarFim:
      colunaAdicionarFim(editor, coluna, texto);
      break;
    case ColumnAction::adicionarComeco:
      colunaAdicionarComeco(editor, coluna, texto);
      break;
    case ColumnAction::substituir:
      colunaSubstituir(editor, coluna, substituirTexto, texto);
      break;
    case ColumnAction::eliminarTrecho:
      colunaDeletarValor(editor, coluna, texto);
      break;
  }
}

std::string substituirIgnorandoCaixa(const std::string& texto, const std::string& de,
                                     const std::string& por) {
  if (de.empty() || texto.empty()) return texto;
  const std::string agulha = toLower(de);

  // The text lower-cased code point by code point, with the offset in `texto` of every code
  // point start (npos inside a code point). Lower-casing can change a letter's byte length
  // (U+0130 "İ" → "i", U+023A "Ⱥ" → "ⱥ"), so positions found in the lower-cased text are mapped
  // back through this table, and a hit that does not begin and end on whole letters is skipped.
  std::string minusculo;
  std::vector<size_t> origem;
  if (isAscii(texto)) {
    toLowerInto(texto, minusculo);
    origem.resize(texto.size() + 1);
    for (size_t i = 0; i <= texto.size(); ++i) origem[i] = i;
  } else {
    minusculo.reserve(texto.size());
    origem.reserve(texto.size() + 1);
    std::string letra;
    for (size_t i = 0; i < texto.size();) {
      const size_t inicio = i;
      nextCodePoint(texto, i);
      toLowerInto(std::string_view(texto).substr(inicio, i - inicio), letra);
      origem.push_back(inicio);
      origem.resize(origem.size() + letra.size() - 1, std::string::npos);
      minusculo += letra;
    }
    origem.push_back(texto.size());
  }

  std::string out;
  size_t copiado = 0;
  bool achou = false;
  for (size_t k = minusculo.find(agulha); k != std::string::npos;) {
    const size_t fim = k + agulha.size();
    if (origem[k] == std::string::npos || origem[fim] == std::string::npos) {
      k = minusculo.find(agulha, k + 1);
      continue;
    }
    out.append(texto, copiado, origem[k] - copiado);
    out += por;
    achou = true;
    copiado = origem[fim];
    k = minusculo.find(agulha, fim);
  }
  if (!achou) return texto;
  out.append(texto, copiado, std::string::npos);
  return out;
}

}  // namespace quorvel
