#pragma once
// The undo history of one list. The grid tells its journal, before each change, what the change
// destroys (the old text of a cell, the rows a deletion removes, the order before a sort); the
// journal keeps that as the change's inverse. Changes made between beginStep() and endStep() are
// one step; a change made outside a step is a step of its own. Undoing a step applies its
// inverses newest first, and what the undo destroys becomes the step to redo.
//
// Memory stays proportional to what the changes destroyed, not to the list: appending rows costs
// a count, a sort costs its order, a deletion keeps the deleted rows (moved, not copied). The
// history holds at most `limiteBytes` and `limitePassos` steps; the oldest steps go first, and a
// single step larger than the limit empties the history (it cannot be undone).

#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "common/cell_store.h"

namespace quorvel {

class TextGrid;

class GridJournal {
 public:
  using Row = std::vector<std::string>;

  static constexpr size_t kLimiteBytes = size_t{256} << 20;
  static constexpr int kLimitePassos = 100;

  explicit GridJournal(size_t limiteBytes = kLimiteBytes, int limitePassos = kLimitePassos)
      : limiteBytes_(limiteBytes), limitePassos_(limitePassos) {}
  GridJournal(const GridJournal&) = delete;
  GridJournal& operator=(const GridJournal&) = delete;

  // --- steps -----------------------------------------------------------------------------
  void beginStep();
  void endStep();
  // While paused nothing is recorded (a run that rebuilds a list from scratch).
  void pause() { ++pausado_; }
  void resume() { --pausado_; }
  // Forgets every step (the list was replaced by something the history cannot reach).
  void clear();

  bool canUndo() const { return !desfazer_.empty(); }
  bool canRedo() const { return !refazer_.empty(); }
  // The state the next undo leaves (the id of the step it takes back) and the step the next redo
  // does again; 0 when there is none.
  uint64_t proximoDesfazer() const { return desfazer_.empty() ? 0 : desfazer_.back().id; }
  uint64_t proximoRefazer() const { return refazer_.empty() ? 0 : refazer_.back().id; }
  // True when the step `id` can still be undone (or, with `refazer`, done again).
  bool guardaPasso(uint64_t id, bool refazer) const;
  int undoCount() const { return static_cast<int>(desfazer_.size()); }
  // Applies the newest step's inverses to `grid` (the grid this journal belongs to). False when
  // there is nothing to undo.
  bool undo(TextGrid& grid);
  bool redo(TextGrid& grid);

  // The state the list is in: the id of the newest step applied (0 before any). A saved list
  // remembers it; undoing back to it makes the list saved again.
  uint64_t estado() const { return desfazer_.empty() ? base_ : desfazer_.back().id; }
  // The list was saved (or opened from its file) in the state it is in now.
  void marcarSalvo();
  uint64_t estadoSalvo() const { return salvo_; }
  // True when the last step could not be kept (larger than the limit).
  bool ultimoPassoDescartado() const { return descartado_; }
  size_t bytes() const { return bytes_; }

  // Told after a step was committed (true when the list was marked saved inside it) and after an
  // undo or a redo (false).
  std::function<void(bool salvoNoPasso)> aoMudar;

  // --- what the grid tells before each change (only TextGrid calls these) -----------------
  bool recording() const { return pausado_ == 0; }
  void cellChanging(int col, int row, std::string_view antigo);
  void rowReplaced(int row, Row antiga);
  void rowsGrowing(int contagemAntiga);
  void rowsTruncated(int desde, CellStore linhas);
  void rowDeleted(int row, Row linha);
  void rowInserted(int row);
  void rowsRemoved(std::vector<char> flags, CellStore linhas);
  void rowsInserted(std::vector<char> flags);
  void rowsReordered(const std::vector<int>& ordem);
  void colsGrowing(int contagemAntiga);
  void colsTruncated(int desde, std::vector<Row> celulas, std::vector<int> larguras);
  void columnDeleted(int col, Row celulas, int largura);
  void columnInserted(int col);
  void columnReplaced(int col, Row celulas);
  void wholeGrid(CellStore celulas, std::vector<int> larguras);
  // Cells (column, row) that held `antigo`, all of them, and were just given one new value.
  void cellsFilled(std::vector<std::pair<int, int>> celulas, std::string antigo);

 private:
  struct Cell {
    int col, row;
    std::string antigo;
  };
  struct RowReplaced {
    int row;
    Row antiga;
  };
  struct RowsGrown {
    int contagem;
  };
  struct RowsTruncated {
    int desde;
    CellStore linhas;
  };
  struct RowDeleted {
    int row;
    Row linha;
  };
  struct RowInserted {
    int row;
  };
  struct RowsRemoved {
    std::vector<char> flags;
    CellStore linhas;
  };
  struct RowsInserted {
    std::vector<char> flags;
  };
  struct Reordered {
    std::vector<int> ordem;
  };
  struct ColsGrown {
    int contagem;
  };
  struct ColsTruncated {
    int desde;
    std::vector<Row> celulas;
    std::vector<int> larguras;
  };
  struct ColumnDeleted {
    int col;
    Row celulas;
    int largura;
  };
  struct ColumnInserted {
    int col;
  };
  struct ColumnReplaced {
    int col;
    Row celulas;
  };
  struct CellsFilled {
    std::vector<std::pair<int, int>> celulas;
    std::string antigo;
  };
  struct Whole {
    CellStore celulas;
    std::vector<int> larguras;
  };
  using Entry = std::variant<Cell, RowReplaced, RowsGrown, RowsTruncated, RowDeleted, RowInserted,
                             RowsRemoved, RowsInserted, Reordered, ColsGrown, ColsTruncated,
                             ColumnDeleted, ColumnInserted, ColumnReplaced, CellsFilled, Whole>;

  struct Step {
    uint64_t id = 0;
    std::vector<Entry> entradas;
    size_t bytes = 0;
    int cursorCol = 0, cursorRow = 1;
    // The list was saved after this many entries: the step's end is the saved state when no
    // entry came after.
    size_t salvoApos = SIZE_MAX;
  };

  void record(Entry e, size_t bytes);
  // The step entries go into: the open step, the one an undo or redo is building, or a new one.
  Step& alvo();
  void commit(Step s, bool aoDesfazer);
  void applyInverse(TextGrid& g, Entry& e);
  bool replay(TextGrid& g, std::vector<Step>& de, std::vector<Step>& para, bool desfazendo);
  void trim();

  size_t limiteBytes_;
  int limitePassos_;
  std::vector<Step> desfazer_, refazer_;
  Step aberto_;
  int profundidade_ = 0;
  int pausado_ = 0;
  // While an undo or a redo runs, what it destroys is recorded here.
  Step* reverso_ = nullptr;
  uint64_t proximoId_ = 1;
  uint64_t base_ = 0;            // the state before the oldest step kept
  uint64_t salvo_ = UINT64_MAX;  // the state that was saved last (none: a value no state has)
  bool descartado_ = false;
  size_t bytes_ = 0;
  TextGrid* grid_ = nullptr;  // the grid, known from its first change (for the cursor)

  friend class TextGrid;
};

}  // namespace quorvel
