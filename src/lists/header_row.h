#pragma once
// Operations on column names and blank columns that loading, pasting and the column pages share.

#include <string>
#include <string_view>

#include "lists/list_editor.h"

namespace quorvel {

// A name typed by the user: every space becomes "-" and the text is lower-cased.
std::string formatColumnName(std::string_view nome);

// Names every column of the current list whose header is exactly empty "Coluna " + its position
// counted from 1.
void NomearColunasVazias(ListEditor& editor);

// After pasting: deletes every column whose header and data cells are all blank after trimming;
// the scan stops when one column is left.
void eliminarColunasVazias(ListEditor& editor, TextGrid& grid);

// "A primeira linha tem o nome das colunas": row `linha` (1 by default) becomes the header row by
// the row assignment rule and is removed.
void setColunaPrimeiraLinha(ListEditor& editor, TextGrid& grid, int linha = 1);

}  // namespace quorvel
