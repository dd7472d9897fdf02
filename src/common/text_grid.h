#pragma once
// The list: a table of text cells addressed as (column, row). Row 0 is the header row of column
// names; rows 1 and up are data rows. A grid always has at least one column and two rows.

#include <string>
#include <string_view>
#include <vector>

#include "common/cell_store.h"
#include "common/notifier.h"

namespace quorvel {

class GridJournal;

// What changed in a grid, told after the change. Rows and columns are counted as in the grid
// (row 0 is the header row). A listener that keeps its own row count (a table view) can replay
// the notices in order.
struct GridNotice {
  enum class Kind {
    reset,             // anything may have changed: read the grid again
    rowsInserted,      // rows [first, first + count) are new
    rowsRemoved,       // `count` rows from `first` are gone; with `flags`, the old rows flagged
    rowsMoved,         // the data rows were reordered: new row i + 1 is old row order[i]
    cellsChanged,      // rows [first, first + count) × columns [firstCol, lastCol]
    columnsInserted,   // columns [first, first + count) are new
    columnsRemoved,    // columns [first, first + count) are gone
    columnWidths,      // column widths changed
    selectionChanged,  // cursor or selected rectangle moved
  };
  Kind kind = Kind::reset;
  int first = 0;
  int count = 0;
  int firstCol = 0, lastCol = 0;
  std::vector<char> flags;  // rowsRemoved of scattered rows: one flag per old row
  std::vector<int> order;   // rowsMoved

  bool operator==(const GridNotice&) const = default;
};

class TextGrid {
 public:
  static constexpr int kDefaultColWidth = 64;

  TextGrid();
  TextGrid(const TextGrid& o);
  TextGrid(TextGrid&& o) noexcept;
  // The target keeps its own listeners, who hear a reset.
  TextGrid& operator=(const TextGrid& o);
  TextGrid& operator=(TextGrid&& o) noexcept;

  // --- change notices ---------------------------------------------------------------------
  using Subscription = Notifier<GridNotice>::Subscription;
  [[nodiscard]] Subscription listen(std::function<void(const GridNotice&)> fn) {
    return notifier_.listen(std::move(fn));
  }
  // Operations over many cells or rows hold an update open: the changes made meanwhile are told
  // once it closes, as few notices as describe them (a reset when they are too many to replay).
  void beginUpdate() { ++updates_; }
  void endUpdate();
  class Update {
   public:
    explicit Update(TextGrid& g) : g_(g) { g_.beginUpdate(); }
    ~Update() { g_.endUpdate(); }
    Update(const Update&) = delete;
    Update& operator=(const Update&) = delete;

   private:
    TextGrid& g_;
  };

  int colCount() const { return cells_.cols(); }
  int rowCount() const { return cells_.rows(); }
  int dataRowCount() const { return rowCount() - 1; }

  // The text of a cell, a view into the grid (see CellText for how long it stays valid).
  CellText cell(int col, int row) const { return cells_.cell(col, row); }
  void setCell(int col, int row, std::string value);
  // A copy of the cells of a row; code that reads many rows reads cell by cell instead.
  std::vector<std::string> rowCells(int row) const { return cells_.rowStrings(row); }
  // The bytes the cells take (texts and their slots).
  size_t cellBytes() const { return cells_.bytes(); }

  // --- undo history ----------------------------------------------------------------------------
  // The journal that hears every change of this grid before it is made (none by default). It
  // belongs to the grid's owner and stays with this grid when another grid is assigned to it.
  void setJournal(GridJournal* journal);
  GridJournal* journal() const { return journal_; }

  // Counts never drop below one column and two rows; new cells are empty.
  void setColCount(int n);
  void setRowCount(int n);
  void addRow() { setRowCount(rowCount() + 1); }
  void reserveRows(int n) { cells_.reserveRows(n); }

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
  void appendRow(const std::vector<std::string>& cells);
  void appendRows(const std::vector<std::vector<std::string>>& rows);
  void appendRows(const CellStore& rows);
  // Inserts a row before `row`, its cells stored unchanged.
  void insertRow(int row, const std::vector<std::string>& cells);
  // Puts rows back among the existing ones: after the insertion, row r is one of the given rows
  // (in their order) exactly when `flags[r]` is set. The inverse of removeRows.
  void insertRows(const std::vector<char>& flags,
                  const std::vector<std::vector<std::string>>& rows);
  void insertRows(const std::vector<char>& flags, const CellStore& rows);
  // Replaces the cells of a row (or of a column) exactly as given, resized to fit.
  void setRowCells(int row, const std::vector<std::string>& cells);
  void setColumnCells(int col, const std::vector<std::string>& cells);
  // Writes `value` into every empty cell of the data rows (a sort's row assignment rule).
  void fillBlanks(const std::string& value);
  // The cells of a row joined, each followed by `sep` (the row's "whole text").
  std::string rowText(int row, std::string_view sep = "\r\n") const;
  // The same text appended to `out`, for callers that reuse one buffer for many rows.
  void appendRowText(int row, std::string& out, std::string_view sep = "\r\n") const;

  // True when every cell of the column, header included, is blank after trimming.
  bool columnBlank(int col) const;
  // True when any cell of the row holds non-blank text.
  bool rowHasText(int row) const;

  int colWidth(int col) const { return widths_[col]; }
  void setColWidth(int col, int width);

  // Cursor (current cell) and selected rectangle of the view over this grid.
  int cursorCol = 0;
  int cursorRow = 1;
  struct Selection {
    int left = 0, top = 1, right = 0, bottom = 1;
    bool operator==(const Selection&) const = default;
  } selection;
  // Moves the cursor; a cell that does not exist is ignored.
  void moverCursor(int col, int row);
  void setSelection(Selection s);

  // Tells the listeners that the cells of rows [first, first + count) × [firstCol, lastCol]
  // changed (for code that rewrites cells through rowCells-like access of its own).
  void cellsChanged(int first, int count, int firstCol, int lastCol);

 private:
  bool listened() const { return notifier_.hasListeners(); }
  bool journaling() const;
  void tell(GridNotice n);
  void copyData(const TextGrid& o);
  void journalWhole();
  // Cuts the rows down to `n` (one at least): the undo of rows added to a grid that had only its
  // header for a moment. The caller restores the two-row minimum.
  void truncateRows(int n);
  friend class GridJournal;

  CellStore cells_;
  std::vector<int> widths_;
  Notifier<GridNotice> notifier_;
  int updates_ = 0;
  std::vector<GridNotice> pending_;
  bool widthsPending_ = false, selectionPending_ = false;
  GridJournal* journal_ = nullptr;
  // While a journal replays a step, a grid may pass through a state with its header alone (the
  // step's own entries bring the rows back); the two-row minimum is not restored meanwhile.
  bool semMinimo_ = false;
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
