#pragma once
// Column operations of the list editor: inserting, naming, deleting, clearing and copying
// columns, the pages "Definir colunas" and "Eliminar coluna", and the replace page
// ("Substituir / alterar"). All act on the current list `editor.gGrid`.

#include <string>
#include <vector>

#include "lists/list_editor.h"

namespace quorvel {

// The value dialog takes a title and an initial text only; the window shows the prompt
// (kPromptNomeColuna) under the title.
extern const char* const kTituloInserirColuna;
extern const char* const kTituloRenomearColuna;
extern const char* const kPromptNomeColuna;

// F4, "Inserir coluna (F4)": a named column at the right end, or the name for the current
// column when that one has none.
void inserirColuna(ListEditor& editor);
// "Renomear": a new name for column `coluna`.
void renomearColuna(ListEditor& editor, int coluna);

// ---- Page "Definir colunas" -------------------------------------------------------------------

struct DefineColumnsRow {
  std::string exemplo;    // "Exemplo"
  std::string nomeCampo;  // "Nome do campo" (editable)
};
// One row per column of the list.
std::vector<DefineColumnsRow> showColunas(const TextGrid& grid);
// "Salvar": nomes[r] (normalised) becomes the header of column r; "#" keeps the name.
void setColunas(ListEditor& editor, const std::vector<std::string>& nomes);

// ---- Page "Eliminar coluna" -------------------------------------------------------------------

struct DeleteColumnsPage {
  std::vector<std::string> itens;  // column labels, in column order
  std::vector<char> marcados;      // one tick per entry
  // "Marcar / desmarcar todas".
  void marcarTodas(bool marcar) { marcados.assign(itens.size(), marcar ? 1 : 0); }
};
DeleteColumnsPage abrirEliminarColunas(const TextGrid& grid);
// Deletes the first column whose trimmed header equals `nome`; false when none does.
bool eliminarColunaPeloNome(ListEditor& editor, const std::string& nome);
// "Aplicar": each ticked entry in order through eliminarColunaPeloNome; cursor to column 0, row 1.
void aplicarEliminarColunas(ListEditor& editor, const DeleteColumnsPage& pagina);

// ---- One column -------------------------------------------------------------------------------

// Clears and removes the column and sets the edited flag. With `perguntar` (column menu
// "Excluir coluna") the user confirms first. Returns whether the column went.
bool eliminarColuna(ListEditor& editor, int coluna, bool perguntar = false);
// "Excluir colunas em branco": every column whose data cells are all blank; cursor to (0, 1).
void excluirColunasSemConteudo(ListEditor& editor);
// "Excluir dados desta coluna": after the question, every data cell of the column is emptied.
bool limparColuna(ListEditor& editor, int coluna);
// "Copiar dados desta coluna": the column, header first, one cell per line, trimmed, to the
// clipboard. Returns the text.
std::string copiarColuna(ListEditor& editor, int coluna);

// ---- Replace page ("Substituir / alterar") ----------------------------------------------------

enum class ColumnAction {
  definirTexto = 0,     // "Definir um texto"
  adicionarFim = 1,     // "Adicionar texto no final"
  adicionarComeco = 2,  // "Adicionar texto no começo"
  substituir = 3,       // "Substituir um texto por outro"
  eliminarTrecho = 4,   // "Eliminar um trecho de texto"
};

// The entry selected when the page opens: two places before the current column, -1 (none) for
// columns 0 and 1.
int indiceInicialSubstituir(const TextGrid& grid);

void colunaSetText(ListEditor& editor, int coluna, const std::string& texto);
void colunaAdicionarFim(ListEditor& editor, int coluna, const std::string& texto);
void colunaAdicionarComeco(ListEditor& editor, int coluna, const std::string& texto);
void colunaSubstituir(ListEditor& editor, int coluna, const std::string& de,
                      const std::string& por);
void colunaDeletarValor(ListEditor& editor, int coluna, const std::string& texto);
// "Aplicar": `texto` is "Informe o texto a ser aplicado:" / "Por este:", `substituirTexto` is
// "Substituir o seguinte texto:" (action 3 only).
void aplicarAcaoColuna(ListEditor& editor, int coluna, ColumnAction acao, const std::string& texto,
                       const std::string& substituirTexto = {});

// Every occurrence of `de` in `texto`, ignoring case (Unicode), replaced by `por`, left to right.
std::string substituirIgnorandoCaixa(const std::string& texto, const std::string& de,
                                     const std::string& por);

}  // namespace quorvel
