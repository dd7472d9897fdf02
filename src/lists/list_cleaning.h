#pragma once
// Cleaning the current list: removing rows whose value in a column repeats, taking out the rows
// found in exclusion files, and keeping only a few addresses per domain.

#include <string>
#include <string_view>
#include <vector>

#include "lists/list_editor.h"

namespace quorvel {

// "Excluir linhas se o valor for repetido": sorts the list by `coluna` and removes, of every run
// of rows with exactly the same value, all but the row with the most content (the last one in
// sorted order among equally long rows). Honours the progress box's cancel button. Returns the
// number of rows removed.
int excluirRepetidos(ListEditor& editor, TextGrid& grid, int coluna);
int excluirRepetidos(ListEditor& editor, int coluna);

// "Aplicar" of the "Eliminar repetidos" page: `excluirRepetidos` on the chosen column (-1: none
// chosen, which is refused with an error), then the list sorted by column 1 descending (by its
// only column on a one-column list). False when nothing was done.
bool aplicarEliminarRepetidos(ListEditor& editor, int coluna);

// The entry the "Eliminar repetidos" page opens with: two places before the current column;
// -1 (none) when the current column is 0 or 1.
int colunaInicialEliminarRepetidos(int colunaAtual);
int colunaInicialEliminarRepetidos(const ListEditor& editor);

// "Usar lista de exclusão...": asks for exclusion files in dados/ and takes out of the current
// list every row whose value in `coluna` is found in them. After each file the surviving rows
// are sorted by their whole text ignoring case, rows equal ignoring case once, every cell
// trimmed and without double quotes; the list is marked edited, loses its file and its blank
// unnamed columns. -1: no column chosen (refused with an error).
void exclusaoAvancada(ListEditor& editor, int coluna);

// The mail domains of the large free providers, each "@" + domain; an address belongs to one
// when its lower-cased text contains the entry anywhere.
const std::vector<std::string>& provedoresGratuitos();
bool ehProvedorGratuito(std::string_view endereco);

// "Executar otimização seletiva": keeps at most `quantidadeTexto` addresses of each domain,
// those containing one of the lines of `prioridadesTexto` first, plus (when
// `ignorarProvedores`) every address of a free provider; the other rows leave the list, which
// is left ordered by its "#dominio" column. False when it was refused or cancelled.
bool exclusaoSeletiva(ListEditor& editor, const std::string& quantidadeTexto,
                      const std::string& prioridadesTexto, bool ignorarProvedores);

// The message of the pages that need a column when none is chosen.
inline constexpr const char* kMsgSelecioneColuna =
    "É preciso selecionar uma coluna para realizar essa operação";

}  // namespace quorvel
