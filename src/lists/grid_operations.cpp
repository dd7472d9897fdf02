#include "lists/grid_operations.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "common/format.h"
#include "common/text.h"
#include "lists/column_operations.h"
#include "lists/column_sort.h"
#include "lists/header_row.h"
#include "lists/list_saving.h"

namespace quorvel {

const char* const kDicaNovaLista =
    "Atenção: Você NÃO está na aba \"Principal\". Ao validar uma lista, os dados da aba principal "
    "é que são processados, resultando o conteúdo da aba \"válidos\" e \"inválidos\". Se você "
    "quer carregar uma nova lista para validar, vá para a aba \"Principal\"";

const char* const kTituloIrParaLinha = "Ir para linha...";
const char* const kPromptIrParaLinha = "Informe o número da linha para onde quer ir:";

const char* const kFiltroArquivosMidia =
    "Todos os formatos (*.gif;*.png;*.jpg;*.jpeg;*.bmp;*.pdf;*.mp3;*.wav;*.avi;*.mp4)"
    "|*.gif;*.png;*.jpg;*.jpeg;*.bmp;*.pdf;*.mp3;*.wav;*.avi;*.mp4"
    "|GIF (*.gif)|*.gif"
    "|PNG (*.png)|*.png"
    "|JPG (*.jpg)|*.jpg"
    "|JPEG (*.jpeg)|*.jpeg"
    "|Bitmaps (*.bmp)|*.bmp"
    "|PDF (*.pdf)|*.pdf"
    "|MP3 (*.mp3)|*.mp3"
    "|Wav (*.wav)|*.wav"
    "|AVI (*.avi)|*.avi"
    "|MP4 (*.mp4)|*.mp4";

namespace {

constexpr const char* kQuebra = "\r\n";

void atualizar(ListEditor& editor) {
  editor.showStatus(*editor.gGrid);
  editor.changed();
}

void paraClipboard(ListEditor& editor, const std::string& texto) {
  if (editor.platform) editor.platform->setClipboardText(texto);
}

// The selected rectangle, ordered and cut to the grid.
TextGrid::Selection selectionOnGrid(const TextGrid& g) {
  TextGrid::Selection s = g.selection;
  if (s.left > s.right) std::swap(s.left, s.right);
  if (s.top > s.bottom) std::swap(s.top, s.bottom);
  s.left = std::max(s.left, 0);
  s.top = std::max(s.top, 0);
  s.right = std::min(s.right, g.colCount() - 1);
  s.bottom = std::min(s.bottom, g.rowCount() - 1);
  return s;
}

}  // namespace

// ---- New list ---------------------------------------------------------------------------------

void abrirMenuNovaLista(ListEditor& editor) {
  if (editor.abaAtiva() != kAbaPrincipal)
    editor.dialogos().msgDica(kDicaNovaListaId, kDicaNovaLista, kDicaNovaListaAltura);
}

void escolherNovaLista(ListEditor& editor, NewListOption opcao) {
  const std::vector<int> descartadas =
      opcao == NewListOption::zerarTodas
          ? std::vector<int>{kAbaPrincipal, kAbaValidos, kAbaInvalidos}
          : std::vector<int>{editor.abaAtiva()};
  const int aba = editor.abaAtiva();
  if (!salvarAntesDeDescartar(editor, descartadas)) return;
  if (editor.abaAtiva() != aba) editor.setAbaAtiva(aba);
  ListEditor::EditStep edicao(editor);
  switch (opcao) {
    case NewListOption::manterColunas:
      editor.novaLista(*editor.gGrid, false);
      break;
    case NewListOption::eliminarColunas:
      editor.novaLista(*editor.gGrid, true);
      break;
    case NewListOption::zerarTodas:
      // Through novaLista, so no emptied list keeps claiming the file it came from.
      editor.novaLista(editor.gridMain, true);
      editor.novaLista(editor.gridValidos, true);
      editor.novaLista(editor.gridInvalidos, true);
      editor.setAbaAtiva(kAbaPrincipal);
      break;
  }
}

// ---- Mouse ------------------------------------------------------------------------------------

GridMenu menuBotaoDireito(const TextGrid& g, int col, int row) {
  if (col < 0 || row < 0 || col >= g.colCount() || row >= g.rowCount()) return GridMenu::nenhum;
  if (row > 0) return GridMenu::menuPrimeiraLinha;
  return isBlank(g.cell(col, 0)) ? GridMenu::renomearColuna : GridMenu::menuColuna;
}

void moverColuna(ListEditor& editor, int de, int para) {
  ListEditor::EditStep edicao(editor);
  editor.gMoveuColuna = true;
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  const int n = g.colCount();
  if (de == para || de < 0 || para < 0 || de >= n || para >= n) return;
  std::vector<std::string> celulas;
  celulas.reserve(g.rowCount());
  for (int r = 0; r < g.rowCount(); ++r) celulas.push_back(g.cell(de, r));
  const int largura = g.colWidth(de);
  g.deleteColumn(de);
  g.insertColumn(para);
  for (int r = 0; r < g.rowCount(); ++r) g.setCell(para, r, std::move(celulas[r]));
  g.setColWidth(para, largura);
  editor.changed();
}

GridMenu aoSoltarMouse(ListEditor& editor, int col, int row, MouseButton botao) {
  ListEditor::EditStep edicao(editor);
  if (editor.gMoveuColuna) {
    // This release ends a column drag; it is not a click.
    editor.gMoveuColuna = false;
    return GridMenu::nenhum;
  }
  TextGrid& g = *editor.gGrid;
  if (col < 0 || row < 0 || col >= g.colCount() || row >= g.rowCount()) return GridMenu::nenhum;

  editor.gDesc = col == editor.gSortedColumn ? !editor.gDesc : false;
  editor.gSortedColumn = col;

  GridMenu menu = GridMenu::nenhum;
  if (botao == MouseButton::esquerdo && row == 0) {
    if (editor.exclusaoRapidaColunas)
      eliminarColuna(editor, col, false);
    else
      SortStringGrid(editor, g, col, editor.gDesc);
  } else if (botao == MouseButton::direito) {
    menu = menuBotaoDireito(g, col, row);
  }
  // After a quick delete the column may be gone; the cursor then stays where it is. A release
  // over a data cell of the cursor's own column ends a click or a drag there: the selection the
  // user just made stays.
  if (row == 0 || col != g.cursorCol) g.moverCursor(col, g.cursorRow);
  atualizar(editor);
  return menu;
}

// ---- Find and copy ----------------------------------------------------------------------------

int localizarDados(ListEditor& editor, const std::string& valor, int indiceColuna) {
  TextGrid& g = *editor.gGrid;
  const int ultima = g.rowCount() - 1;
  g.moverCursor(g.cursorCol, g.cursorRow >= ultima ? 1 : g.cursorRow + 1);

  int achada = -1;
  // An empty text is found nowhere (as a substring search of nothing would be everywhere).
  if (!valor.empty() && indiceColuna >= -1 && indiceColuna < g.colCount()) {
    const std::string agulha = toLower(valor);
    std::string minusculo;
    for (int r = g.cursorRow + 1; r <= ultima; ++r) {
      toLowerInto(indiceColuna == -1 ? g.rowText(r) : g.cell(indiceColuna, r), minusculo);
      if (minusculo.find(agulha) != std::string::npos) {
        achada = r;
        g.moverCursor(g.cursorCol, r);
        break;
      }
    }
  }
  atualizar(editor);
  return achada;
}

std::string copiarTudo(ListEditor& editor) {
  const TextGrid& g = *editor.gGrid;
  Progress& p = editor.progresso();
  const int registros = g.dataRowCount();
  const std::string total = "Total de registros: " + formatNumberOrEmpty(registros);
  p.setProgress("Copiando dados...", registros / 10, total);
  editor.setGridVisivel(false);

  std::string texto;
  for (int r = 0; r < g.rowCount(); ++r) {
    for (int c = 0; c < g.colCount(); ++c) {
      if (c > 0) texto += '\t';
      texto += g.cell(c, r);
    }
    texto += kQuebra;
    if (r > 0 && r % 10 == 0)
      p.stepProgress(total, "Processados: " + formatNumberOrEmpty(r),
                     "Copiados: " + formatNumberOrEmpty(r));
  }
  p.stepProgress(total, "Processados: " + formatNumberOrEmpty(registros),
                 "Copiados: " + formatNumberOrEmpty(registros));

  paraClipboard(editor, texto);
  editor.setGridVisivel(true);
  p.hide();
  return texto;
}

std::string copiarSelecionados(ListEditor& editor) {
  const TextGrid& g = *editor.gGrid;
  const TextGrid::Selection s = selectionOnGrid(g);
  std::string texto;
  for (int r = s.top; r <= s.bottom; ++r) {
    std::string linha;
    for (int c = s.left; c <= s.right; ++c) {
      // No tab before a cell while the row's text is still empty: leading empty cells vanish.
      if (!linha.empty()) linha += '\t';
      linha += g.cell(c, r);
    }
    texto += linha;
    texto += kQuebra;
  }
  paraClipboard(editor, texto);
  return texto;
}

void copiarCaminhoArquivo(ListEditor& editor) {
  std::string rotulo = editor.status.file;
  const std::string prefixo = "Arquivo: ";
  if (auto pos = rotulo.find(prefixo); pos != std::string::npos) rotulo.erase(pos, prefixo.size());
  const std::string caminho = trim(rotulo);
  paraClipboard(editor, caminho);
  editor.dialogos().pedirValor("O caminho desse arquivo foi copiado!", caminho);
}

// ---- Rows, cells and selection ----------------------------------------------------------------

void novalinha(ListEditor& editor, bool irColuna1) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  g.addRow();
  editor.setEditou(g, true);
  g.moverCursor(irColuna1 ? 0 : g.cursorCol, g.rowCount() - 1);
  atualizar(editor);
}

void novaColuna(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  g.setColCount(g.colCount() + 1);
  g.moverCursor(g.colCount() - 1, g.cursorRow);
  atualizar(editor);
}

void deletarSelecionados(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  TextGrid::Selection s = selectionOnGrid(g);
  s.top = std::max(s.top, 1);  // the header row is never removed
  if (s.top > s.bottom) return;
  std::vector<char> remover(g.rowCount(), 0);
  std::fill(remover.begin() + s.top, remover.begin() + s.bottom + 1, 1);
  // When every data row goes, the grid keeps one empty data row: the only data row is emptied.
  g.removeRows(remover);
  g.moverCursor(std::min(g.cursorCol, g.colCount() - 1), std::max(s.top - 1, 1));
  atualizar(editor);
}

void deletarConteudoSelecionado(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  const TextGrid::Selection s = selectionOnGrid(g);
  for (int r = s.top; r <= s.bottom; ++r)
    for (int c = s.left; c <= s.right; ++c) g.setCell(c, r, std::string());
  atualizar(editor);
}

void marcarTudo(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  g.setSelection({0, 1, g.colCount() - 1, g.rowCount() - 1});
  editor.changed();
}

void desmarcarTudo(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  g.setSelection({g.cursorCol, g.cursorRow, g.cursorCol, g.cursorRow});
  editor.changed();
}

void selecionarLinha(ListEditor& editor, int linha, bool marcar) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  if (linha < 1 || linha >= g.rowCount()) return;
  const std::string& v = g.cell(0, linha);
  if (marcar && (v == "0" || v.empty())) {
    g.setCell(0, linha, "1");
    ++editor.gMarcados;
  } else if (!marcar && v == "1") {
    g.setCell(0, linha, "0");
    --editor.gMarcados;
  }
}

void celulaEditada(ListEditor& editor, int col, int row, const std::string& valor) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  if (col < 0 || row < 0 || col >= g.colCount() || row >= g.rowCount()) return;
  g.setCell(col, row, valor);
  editor.setEditou(g, true);
  atualizar(editor);
}

void irParaLinha(ListEditor& editor) {
  const std::string resposta = trim(editor.dialogos().pedirValor(kTituloIrParaLinha, ""));
  long long linha = 0;
  auto [fim, erro] = std::from_chars(resposta.data(), resposta.data() + resposta.size(), linha);
  if (resposta.empty() || erro != std::errc() || fim != resposta.data() + resposta.size() ||
      linha <= 0)
    return;
  TextGrid& g = *editor.gGrid;
  if (linha < g.rowCount()) g.moverCursor(g.cursorCol, static_cast<int>(linha));
  atualizar(editor);
}

void estaLinhaTemNomeDasColunas(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  setColunaPrimeiraLinha(editor, g, g.cursorRow);
  if (g.cursorRow >= g.rowCount()) g.moverCursor(g.cursorCol, g.rowCount() - 1);
  atualizar(editor);
}

void excluirLinhaSeColunaBranco(ListEditor& editor, int coluna) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  if (coluna < 0 || coluna >= g.colCount()) return;
  std::vector<char> remover(g.rowCount(), 0);
  for (int r = 1; r < g.rowCount(); ++r) remover[r] = isBlank(g.cell(coluna, r)) ? 1 : 0;
  g.removeRows(remover);
  g.moverCursor(0, 1);
  atualizar(editor);
}

std::string textoListarDados(const TextGrid& g) {
  std::string texto;
  for (int r = 0; r < g.rowCount(); ++r) {
    for (int c = 0; c < g.colCount(); ++c) {
      if (c > 0) texto += ';';
      texto += g.cell(c, r);
    }
    texto += kQuebra;
  }
  return texto;
}

void listarDados(ListEditor& editor) {
  // Only a view: whatever the user changes in the dialog is dropped.
  (void)editor.dialogos().showInputMemo("Dados listados:", textoListarDados(*editor.gGrid), "Ok",
                                        "");
}

void obterCaminhoArquivo(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  // The folder is left to the chooser (it remembers the last one); the filter is the file types.
  const std::string caminho =
      trim(editor.dialogos().getFileSelect("", kFiltroArquivosMidia, "", false, true));
  if (caminho.empty()) return;
  TextGrid& g = *editor.gGrid;
  g.setCell(g.cursorCol, g.cursorRow, caminho);
  atualizar(editor);
}

void alternarExclusaoRapidaColunas(ListEditor& editor) {
  editor.exclusaoRapidaColunas = !editor.exclusaoRapidaColunas;
  if (editor.exclusaoRapidaColunas)
    editor.dialogos().msgInformacao(
        "Você ativou essa função. Com um clique no nome da coluna, você irá excluir ela. "
        "Desative essa função após apagar as colunas que deseja");
  else
    editor.dialogos().msgInformacao("Você desativou o modo de exclusão de colunas com um clique");
}

// ---- Keys ---------------------------------------------------------------------------------------

KeyResult keyOnGrid(ListEditor& editor, Key tecla, bool editandoCelula, bool naGrade) {
  ListEditor::EditStep edicao(editor);
  switch (tecla) {
    case Key::esc:
      return {KeyAction::voltarPaginaDados, true};
    case Key::f3:
      return {KeyAction::digitarDados, true};
    case Key::f4:
      inserirColuna(editor);
      return {KeyAction::nenhuma, true};
    default:
      break;
  }
  if (!naGrade) return {};

  TextGrid& g = *editor.gGrid;
  switch (tecla) {
    case Key::shiftDel:
      deletarSelecionados(editor);
      return {KeyAction::nenhuma, true};
    case Key::del:
      if (editandoCelula) return {};  // the cell editor deletes characters
      deletarConteudoSelecionado(editor);
      return {KeyAction::nenhuma, true};
    case Key::baixo:
      if (g.cursorRow != g.rowCount() - 1) return {};
      novalinha(editor, false);
      return {KeyAction::nenhuma, true};
    case Key::direita:
      if (g.cursorCol != g.colCount() - 1) return {};
      novaColuna(editor);  // leaves the edited flag alone
      return {KeyAction::nenhuma, true};
    case Key::cima:
    case Key::esquerda:
      return {};
    case Key::enter:
      if (g.cursorRow == g.rowCount() - 1) {
        novalinha(editor, true);
      } else {
        g.moverCursor(g.cursorCol, g.cursorRow + 1);
        atualizar(editor);
      }
      return {KeyAction::nenhuma, true};
    case Key::ctrlV: {
      // Pasting changes the list either way: into the cell being edited, or as rows.
      editor.setEditou(g, true);
      atualizar(editor);
      if (editandoCelula) {
        const std::string clip = editor.platform ? editor.platform->clipboardText() : std::string();
        if (clip.find_first_of("\r\n") == std::string::npos) return {};  // the cell editor pastes
      }
      return {KeyAction::colar, true};
    }
    case Key::ctrlC:
      copiarSelecionados(editor);
      return {KeyAction::nenhuma, true};
    case Key::outra:
      editor.setEditou(g, true);
      atualizar(editor);
      return {};
    default:
      return {};
  }
}

}  // namespace quorvel
