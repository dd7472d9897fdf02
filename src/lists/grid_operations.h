#pragma once
// The grid operations of the list editor's data page: the new-list menu, mouse and keys over the
// grid, find, copy, rows, selection, row marks and the "Editar" menu entries. Every operation acts
// on the current list `editor.gGrid`; the window only forwards its events here.

#include <string>

#include "lists/list_editor.h"

namespace quorvel {

// ---- New list -------------------------------------------------------------------------------

enum class NewListOption {
  manterColunas,    // "Nova lista (não eliminar colunas)"
  eliminarColunas,  // "Nova lista (eliminar colunas)"
  zerarTodas,       // "Zerar todas as listas"
};

inline constexpr const char* kDicaNovaListaId = "230609";
inline constexpr int kDicaNovaListaAltura = 250;
extern const char* const kDicaNovaLista;

// The new-list button and menu entry "Nova lista": outside the "Principal" tab the tip comes
// first; the window then opens the menu of the three choices.
void abrirMenuNovaLista(ListEditor& editor);
// One of the three choices of that menu.
void escolherNovaLista(ListEditor& editor, NewListOption opcao);

// ---- Mouse over the grid ----------------------------------------------------------------------

enum class MouseButton { esquerdo, direito, meio };

// What the window opens after a right-button release.
enum class GridMenu {
  nenhum,
  menuColuna,         // the column menu, acting on `gSortedColumn`
  renomearColuna,     // the rename dialog at once: renomearColuna(editor, gSortedColumn)
  menuPrimeiraLinha,  // "A primeira linha tem o nome das colunas"
};

// The right-button rule for the cell (col, row); nenhum outside the cells.
GridMenu menuBotaoDireito(const TextGrid& grid, int col, int row);

// The user dragged a column to another place: the model follows and the next mouse release is
// only used to clear `gMoveuColuna`.
void moverColuna(ListEditor& editor, int de, int para);

// Mouse release over cell (col, row) (-1 outside the cells): the header-click rule (sort
// direction, sort or quick column delete, cursor to the column), then the menu to open.
GridMenu aoSoltarMouse(ListEditor& editor, int col, int row, MouseButton botao);

// ---- Find and copy ----------------------------------------------------------------------------

// Moves the cursor one row down (to row 1 from the last row), then looks for `valor` ignoring
// case in the rows below: whole rows with indiceColuna -1, else one column. The first hit becomes
// the cursor row. Returns that row, or -1 (no wrap-around, no message).
int localizarDados(ListEditor& editor, const std::string& valor, int indiceColuna = -1);

// "Copiar tudo": every row, cells separated by tabs, to the clipboard. Returns the text.
std::string copiarTudo(ListEditor& editor);
// Ctrl+C, "Copiar itens marcados": the selected rectangle to the clipboard. Returns the text.
std::string copiarSelecionados(ListEditor& editor);

// Click on the label "Arquivo:": the list's path to the clipboard, then shown in the value dialog.
void copiarCaminhoArquivo(ListEditor& editor);

// ---- Rows, cells and selection ----------------------------------------------------------------

// Appends an empty row, sets the edited flag and moves the cursor there (column 0 with irColuna1).
void novalinha(ListEditor& editor, bool irColuna1);
// Appends an unnamed column and moves the cursor there.
void novaColuna(ListEditor& editor);
// Shift+Del: removes the rows of the selection (the only data row is emptied instead).
void deletarSelecionados(ListEditor& editor);
// Del: empties the cells of the selection.
void deletarConteudoSelecionado(ListEditor& editor);
void marcarTudo(ListEditor& editor);
void desmarcarTudo(ListEditor& editor);

// Row marks in the first cell of a data row ("1" marked, "0" or empty unmarked), counted in
// `gMarcados`.
void selecionarLinha(ListEditor& editor, int linha, bool marcar);

// A change typed into a cell.
void celulaEditada(ListEditor& editor, int col, int row, const std::string& valor);

// "Ir para linha...": the value dialog is asked with the title only (the port has no prompt
// line); the window shows kPromptIrParaLinha under it.
extern const char* const kTituloIrParaLinha;
extern const char* const kPromptIrParaLinha;
void irParaLinha(ListEditor& editor);

// "Esta linha tem o nome das colunas": the current row becomes the header row.
void estaLinhaTemNomeDasColunas(ListEditor& editor);

// "Excluir linhas se o valor for vazio": removes every data row whose cell in `coluna` is blank.
void excluirLinhaSeColunaBranco(ListEditor& editor, int coluna);

// "Listar dados": the rows as ";"-separated lines in the text dialog; changes are discarded.
std::string textoListarDados(const TextGrid& grid);
void listarDados(ListEditor& editor);

// "Obter caminho de arquivo...": the chosen file's path, trimmed, into the current cell.
extern const char* const kFiltroArquivosMidia;
void obterCaminhoArquivo(ListEditor& editor);

// "Ativar exclusão rápida de colunas...": toggles the mode and tells the user.
void alternarExclusaoRapidaColunas(ListEditor& editor);

// ---- Keys ---------------------------------------------------------------------------------------

enum class Key {
  esc,
  f3,
  f4,
  shiftDel,
  del,
  cima,
  baixo,
  esquerda,
  direita,
  enter,
  ctrlV,
  ctrlC,
  outra,  // any other key
};

// What the window still has to do after a key.
enum class KeyAction {
  nenhuma,
  voltarPaginaDados,  // Esc
  digitarDados,       // F3: type or paste data
  colar,              // Ctrl+V: paste the clipboard (ending cell editing first when editing)
};

struct KeyResult {
  KeyAction acao = KeyAction::nenhuma;
  // The key was handled here; the grid must not see it.
  bool consumida = false;
};

// A key seen by the editor before the grid. `naGrade`: the grid has the focus (otherwise only
// the keys that act anywhere count); `editandoCelula`: a cell is being edited in place.
KeyResult keyOnGrid(ListEditor& editor, Key tecla, bool editandoCelula, bool naGrade = true);

}  // namespace quorvel
