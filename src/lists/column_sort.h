#pragma once
// Sorting a list by one column: values compared with the pt-BR collation ignoring case, rows with
// equal values ordered by their whole content; the header row never moves.

#include "common/ports.h"
#include "common/text_grid.h"
#include "lists/list_editor.h"

namespace quorvel {

// The sort itself, over any grid, with the progress box `progresso`. With `espacoNasVazias`
// every empty cell of a data row holds a single space afterwards (the list editor's row
// assignment rule); without it every row keeps its cells exactly as they were. False when the
// progress box's cancel stopped it (the rows are then as they were).
bool ordenarPorColuna(TextGrid& grid, int coluna, bool desc, Progress& progresso,
                      bool espacoNasVazias);

// SortStringGrid: sorts the data rows of `grid` by `coluna` (descending when `desc`), showing the
// progress box; afterwards every empty cell of a data row holds a single space.
// False when the progress box's cancel stopped it (the rows are then as they were).
bool SortStringGrid(ListEditor& editor, TextGrid& grid, int coluna, bool desc);

}  // namespace quorvel
