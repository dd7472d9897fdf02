#pragma once
// The list: a table of text cells addressed as (column, row). Row 0 is the header row of column
// names; rows 1 and up are data rows. A grid always has at least one column and two rows.

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

class TextGrid {
 public:
  static constexpr int kDefaultColWidth = 64;

  TextGrid();

  int colCount() const { return cols_; }
  int rowCount() const { return static_cast<int>(rows_.size()); }
  int dataRowCount() const { return rowCount() - 1; }

  const std::string& cell(int col, int row) const { return rows_[row][col]; }
  void setCell(int col, int row, std::string value) { rows_[row][col] = std::move(value); }
  const std::vector<std::string>& rowCells(int row) const { return rows_[row]; }

  // Counts never drop below one column and two rows; new cells are empty.
  void setColCount(int n);
  void setRowCount(int n);
  void addRow() { setRowCount(rowCount() + 1); }
  void reserveRows(int n) { rows_.reserve(n); }

  // Row assignment rule: the row is cleared, then the values fill it from column 0 rightwards;
  // an empty value is stored as a single space; values beyond the column count are dropped.
  void assignRow(int row, const std::vector<std::string>& values);

  void deleteRow(int row);
  void deleteColumn(int col);
  void insertColumn(int col);
  // Removes every data row whose flag is set (flags indexed by row; row 0 is never removed), in
  // one pass. The grid keeps at least two rows.
  void removeRows(const std::vector<char>& remover);
  // Puts the data rows in the given order: `ordem[i]` is the old row that becomes row i + 1.
  void reorderRows(const std::vector<int>& ordem);
  // Appends a row of cells (resized to the column count, stored unchanged).
  void appendRow(std::vector<std::string> cells);
  // The cells of a row joined, each followed by `sep` (the row's "whole text").
  std::string rowText(int row, std::string_view sep = "\r\n") const;

  // True when every cell of the column, header included, is blank after trimming.
  bool columnBlank(int col) const;
  // True when any cell of the row holds non-blank text.
  bool rowHasText(int row) const;

  int colWidth(int col) const { return widths_[col]; }
  void setColWidth(int col, int width) { widths_[col] = width; }

  // Cursor (current cell) and selected rectangle of the view over this grid.
  int cursorCol = 0;
  int cursorRow = 1;
  struct Selecao {
    int left = 0, top = 1, right = 0, bottom = 1;
  } selecao;
  // Moves the cursor; a cell that does not exist is ignored.
  void moverCursor(int col, int row);

 private:
  int cols_ = 1;
  std::vector<std::vector<std::string>> rows_;
  std::vector<int> widths_;
};

// Empties the grid; it keeps two rows. With `limparColunas` one column with an empty header is
// left; otherwise the column count stays and the header row is written back by the row
// assignment rule (an empty header becomes a single space).
void gridZerar(TextGrid& grid, bool limparColunas);

// The first column whose header equals `nomeColuna` ignoring case; when there is none a column
// is added at the right (column 0 is taken instead while it is entirely blank), named and sized.
int criarColunaSeNaoExistir(TextGrid& grid, std::string_view nomeColuna, int largura);

// Writes `valor` into row `linha` in the column named `nomeColuna` (found or created, width 100).
void colunaSetValue(TextGrid& grid, int linha, std::string valor, std::string_view nomeColuna);

// The label of each column for the pages and dialogs that let the user choose one: the trimmed
// header, else "Coluna " + its number ("#,##") + " (" + the trimmed first data value + ")".
std::vector<std::string> preencherListaColunas(const TextGrid& grid);

}  // namespace quorvel
