#include "common/text_grid.h"

#include <algorithm>

#include "common/format.h"
#include "common/grid_journal.h"
#include "common/text.h"

namespace quorvel {

namespace {

using Kind = GridNotice::Kind;

GridNotice notice(Kind kind, int first = 0, int count = 0) {
  GridNotice n;
  n.kind = kind;
  n.first = first;
  n.count = count;
  return n;
}

// More pending changes than this are told as one reset.
constexpr size_t kMaxPending = 16;

}  // namespace

TextGrid::TextGrid() : cells_(1, 2), widths_(1, kDefaultColWidth) {}

TextGrid::TextGrid(const TextGrid& o) {
  copyData(o);
}

TextGrid::TextGrid(TextGrid&& o) noexcept
    : cursorCol(o.cursorCol),
      cursorRow(o.cursorRow),
      selection(o.selection),
      cells_(std::move(o.cells_)),
      widths_(std::move(o.widths_)) {}

TextGrid& TextGrid::operator=(const TextGrid& o) {
  if (this != &o) {
    journalWhole();
    copyData(o);
    if (listened()) tell(notice(Kind::reset));
  }
  return *this;
}

TextGrid& TextGrid::operator=(TextGrid&& o) noexcept {
  if (this != &o) {
    journalWhole();
    cells_ = std::move(o.cells_);
    widths_ = std::move(o.widths_);
    cursorCol = o.cursorCol;
    cursorRow = o.cursorRow;
    selection = o.selection;
    if (listened()) tell(notice(Kind::reset));
  }
  return *this;
}

bool TextGrid::journaling() const {
  return journal_ && journal_->recording();
}

void TextGrid::setJournal(GridJournal* journal) {
  journal_ = journal;
  if (journal_) journal_->grid_ = this;
}

// The whole content is about to be replaced: the journal keeps the old one (moved, not copied;
// whoever replaces it has no further use for it).
void TextGrid::journalWhole() {
  if (!journaling()) return;
  journal_->wholeGrid(std::move(cells_), widths_);
  cells_ = CellStore(1, 0);
}

void TextGrid::copyData(const TextGrid& o) {
  cells_ = o.cells_;
  widths_ = o.widths_;
  cursorCol = o.cursorCol;
  cursorRow = o.cursorRow;
  selection = o.selection;
}

void TextGrid::tell(GridNotice n) {
  if (updates_ == 0) {
    notifier_.notify(n);
    return;
  }
  // Widths and the selection are read whole by a view: told once, after the rest.
  if (n.kind == Kind::columnWidths) {
    widthsPending_ = true;
    return;
  }
  if (n.kind == Kind::selectionChanged) {
    selectionPending_ = true;
    return;
  }
  if (!pending_.empty()) {
    GridNotice& last = pending_.back();
    if (last.kind == Kind::reset) return;  // already as much as can be told
    if (n.kind == Kind::cellsChanged) {
      // Cells of rows that are still pending as inserted need no notice of their own.
      if (last.kind == Kind::rowsInserted && n.first >= last.first &&
          n.first + n.count <= last.first + last.count)
        return;
      if (last.kind == Kind::cellsChanged) {
        const int fim = std::max(last.first + last.count, n.first + n.count);
        last.first = std::min(last.first, n.first);
        last.count = fim - last.first;
        last.firstCol = std::min(last.firstCol, n.firstCol);
        last.lastCol = std::max(last.lastCol, n.lastCol);
        return;
      }
    }
    if (n.kind == Kind::rowsInserted && last.kind == Kind::rowsInserted &&
        n.first == last.first + last.count) {
      last.count += n.count;
      return;
    }
  }
  if (pending_.size() >= kMaxPending) {
    pending_.clear();
    n = notice(Kind::reset);
  }
  pending_.push_back(std::move(n));
}

void TextGrid::endUpdate() {
  if (updates_ == 0 || --updates_ > 0) return;
  std::vector<GridNotice> todas;
  todas.swap(pending_);
  if (widthsPending_) todas.push_back(notice(Kind::columnWidths, 0, colCount()));
  if (selectionPending_) todas.push_back(notice(Kind::selectionChanged));
  widthsPending_ = selectionPending_ = false;
  for (const auto& n : todas) notifier_.notify(n);
}

void TextGrid::cellsChanged(int first, int count, int firstCol, int lastCol) {
  if (!listened() || count <= 0) return;
  GridNotice n = notice(Kind::cellsChanged, first, count);
  n.firstCol = firstCol;
  n.lastCol = lastCol;
  tell(std::move(n));
}

void TextGrid::setCell(int col, int row, std::string value) {
  if (journaling()) {
    const CellText c = cells_.cell(col, row);
    if (c == value) return;  // nothing changes: no step, no notice
    journal_->cellChanging(col, row, c);
  }
  cells_.set(col, row, value);
  if (listened()) cellsChanged(row, 1, col, col);
}

void TextGrid::setColCount(int n) {
  n = std::max(n, 1);
  const int antes = colCount();
  if (n == antes) return;
  if (journaling()) {
    if (n > antes) {
      journal_->colsGrowing(antes);
    } else {
      std::vector<std::vector<std::string>> celulas(static_cast<size_t>(rowCount()));
      for (int r = 0; r < rowCount(); ++r)
        for (int c = n; c < antes; ++c) celulas[static_cast<size_t>(r)].emplace_back(cell(c, r));
      journal_->colsTruncated(n, std::move(celulas),
                              std::vector<int>(widths_.begin() + n, widths_.end()));
    }
  }
  cells_.setCols(n);
  if (n < antes) cells_.compactIfWasteful();
  widths_.resize(n, kDefaultColWidth);
  if (!listened()) return;
  if (n > antes)
    tell(notice(Kind::columnsInserted, antes, n - antes));
  else
    tell(notice(Kind::columnsRemoved, n, antes - n));
}

void TextGrid::setRowCount(int n) {
  n = std::max(n, 2);
  const int antes = rowCount();
  if (n == antes) return;
  if (journaling()) {
    if (n > antes) {
      journal_->rowsGrowing(antes);
    } else {
      CellStore cortadas(colCount());
      for (int r = n; r < antes; ++r) cortadas.appendRowFrom(cells_, r);
      journal_->rowsTruncated(n, std::move(cortadas));
    }
  }
  cells_.resizeRows(n);
  if (n < antes) cells_.compactIfWasteful();
  if (!listened()) return;
  if (n > antes)
    tell(notice(Kind::rowsInserted, antes, n - antes));
  else
    tell(notice(Kind::rowsRemoved, n, antes - n));
}

void TextGrid::assignRow(int row, const std::vector<std::string>& values) {
  if (journaling()) journal_->rowReplaced(row, rowCells(row));
  const int cols = colCount();
  for (int c = 0; c < cols; ++c) {
    if (c < static_cast<int>(values.size()))
      cells_.set(c, row, values[c].empty() ? std::string_view(" ") : std::string_view(values[c]));
    else
      cells_.set(c, row, {});
  }
  cellsChanged(row, 1, 0, cols - 1);
}

void TextGrid::deleteRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  if (journaling()) journal_->rowDeleted(row, rowCells(row));
  cells_.eraseRow(row);
  if (listened()) tell(notice(Kind::rowsRemoved, row, 1));
  if (!semMinimo_ && rowCount() < 2) setRowCount(2);
}

void TextGrid::deleteColumn(int col) {
  const int cols = colCount();
  if (col < 0 || col >= cols) return;
  auto celulasDaColuna = [&] {
    std::vector<std::string> celulas;
    celulas.reserve(static_cast<size_t>(rowCount()));
    for (int r = 0; r < rowCount(); ++r) celulas.emplace_back(cell(col, r));
    return celulas;
  };
  if (cols == 1) {
    if (journaling()) journal_->columnReplaced(0, celulasDaColuna());
    cells_.eraseColumn(0);
    cellsChanged(0, rowCount(), 0, 0);
    return;
  }
  if (journaling()) journal_->columnDeleted(col, celulasDaColuna(), widths_[col]);
  cells_.eraseColumn(col);
  cells_.compactIfWasteful();
  widths_.erase(widths_.begin() + col);
  if (listened()) tell(notice(Kind::columnsRemoved, col, 1));
}

void TextGrid::insertColumn(int col) {
  col = std::clamp(col, 0, colCount());
  if (journaling()) journal_->columnInserted(col);
  cells_.insertColumn(col);
  widths_.insert(widths_.begin() + col, kDefaultColWidth);
  if (listened()) tell(notice(Kind::columnsInserted, col, 1));
}

void TextGrid::removeRows(const std::vector<char>& remover) {
  const int antes = rowCount();
  int primeira = -1;
  for (int r = 1; r < antes && r < static_cast<int>(remover.size()); ++r)
    if (remover[static_cast<size_t>(r)]) {
      primeira = r;
      break;
    }
  if (primeira < 0) {
    if (!semMinimo_ && rowCount() < 2) setRowCount(2);
    return;
  }
  std::vector<char> flags(remover.begin(),
                          remover.begin() + std::min(remover.size(), static_cast<size_t>(antes)));
  flags.resize(static_cast<size_t>(antes), 0);
  flags[0] = 0;  // the header row stays
  if (journaling()) {
    CellStore removidas(colCount());
    cells_.removeRows(flags, &removidas);
    journal_->rowsRemoved(flags, std::move(removidas));
  } else {
    cells_.removeRows(flags, nullptr);
  }
  cells_.compactIfWasteful();
  const int removidas = antes - rowCount();
  if (listened()) {
    GridNotice n = notice(Kind::rowsRemoved, primeira, removidas);
    n.flags.assign(remover.begin(), remover.end());
    n.flags.resize(static_cast<size_t>(antes), 0);
    tell(std::move(n));
  }
  if (!semMinimo_ && rowCount() < 2) setRowCount(2);
}

void TextGrid::reorderRows(const std::vector<int>& ordem) {
  const int antes = rowCount();
  if (journaling()) {
    if (static_cast<int>(ordem.size()) == antes - 1)
      journal_->rowsReordered(ordem);
    else
      journal_->wholeGrid(CellStore(cells_), widths_);  // rows dropped or repeated: keep them all
  }
  cells_.reorder(ordem);
  cells_.compactIfWasteful();
  if (listened()) {
    if (rowCount() == antes) {
      GridNotice n = notice(Kind::rowsMoved, 1, antes - 1);
      n.order = ordem;
      tell(std::move(n));
    } else {
      tell(notice(Kind::reset));
    }
  }
  if (!semMinimo_ && rowCount() < 2) setRowCount(2);
}

void TextGrid::appendRow(const std::vector<std::string>& cells) {
  if (journaling()) journal_->rowsGrowing(rowCount());
  cells_.appendRow(cells);
  if (listened()) tell(notice(Kind::rowsInserted, rowCount() - 1, 1));
}

void TextGrid::appendRows(const std::vector<std::vector<std::string>>& novas) {
  if (novas.empty()) return;
  if (journaling()) journal_->rowsGrowing(rowCount());
  const int primeira = rowCount();
  for (const auto& r : novas) cells_.appendRow(r);
  if (listened()) tell(notice(Kind::rowsInserted, primeira, static_cast<int>(novas.size())));
}

void TextGrid::appendRows(const CellStore& novas) {
  if (novas.rows() == 0) return;
  if (journaling()) journal_->rowsGrowing(rowCount());
  const int primeira = rowCount();
  for (int r = 0; r < novas.rows(); ++r) cells_.appendRowFrom(novas, r);
  if (listened()) tell(notice(Kind::rowsInserted, primeira, novas.rows()));
}

void TextGrid::insertRow(int row, const std::vector<std::string>& cells) {
  row = std::clamp(row, 1, rowCount());
  if (journaling()) journal_->rowInserted(row);
  cells_.insertRow(row, cells);
  if (listened()) tell(notice(Kind::rowsInserted, row, 1));
}

void TextGrid::insertRows(const std::vector<char>& flags,
                          const std::vector<std::vector<std::string>>& novas) {
  if (novas.empty()) return;
  CellStore linhas(colCount());
  for (const auto& r : novas) linhas.appendRow(r);
  insertRows(flags, linhas);
}

void TextGrid::insertRows(const std::vector<char>& flags, const CellStore& novas) {
  if (novas.rows() == 0) return;
  if (journaling()) journal_->rowsInserted(flags);
  cells_.insertRows(flags, novas);
  if (listened()) tell(notice(Kind::reset));
}

void TextGrid::setRowCells(int row, const std::vector<std::string>& cells) {
  if (journaling()) journal_->rowReplaced(row, rowCells(row));
  const int cols = colCount();
  for (int c = 0; c < cols; ++c)
    cells_.set(
        c, row,
        c < static_cast<int>(cells.size()) ? std::string_view(cells[c]) : std::string_view());
  cellsChanged(row, 1, 0, cols - 1);
}

void TextGrid::setColumnCells(int col, const std::vector<std::string>& cells) {
  const int n = std::min(rowCount(), static_cast<int>(cells.size()));
  if (journaling()) {
    std::vector<std::string> antigas;
    antigas.reserve(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) antigas.emplace_back(cell(col, r));
    journal_->columnReplaced(col, std::move(antigas));
  }
  for (int r = 0; r < n; ++r) cells_.set(col, r, cells[r]);
  cellsChanged(0, n, col, col);
}

void TextGrid::fillBlanks(const std::string& value) {
  std::vector<std::pair<int, int>> preenchidas = cells_.fillEmpty(value, 1);
  if (journaling() && !preenchidas.empty()) journal_->cellsFilled(std::move(preenchidas), {});
  cellsChanged(1, rowCount() - 1, 0, colCount() - 1);
}

void TextGrid::truncateRows(int n) {
  n = std::max(n, 1);
  const int antes = rowCount();
  if (n >= antes) return;
  if (journaling()) {
    CellStore cortadas(colCount());
    for (int r = n; r < antes; ++r) cortadas.appendRowFrom(cells_, r);
    journal_->rowsTruncated(n, std::move(cortadas));
  }
  cells_.resizeRows(n);
  cells_.compactIfWasteful();
  if (listened()) tell(notice(Kind::rowsRemoved, n, antes - n));
}

void TextGrid::setColWidth(int col, int width) {
  if (widths_[col] == width) return;
  widths_[col] = width;
  if (listened()) tell(notice(Kind::columnWidths, col, 1));
}

void TextGrid::setSelection(Selection s) {
  selection = s;
  if (listened()) tell(notice(Kind::selectionChanged));
}

std::string TextGrid::rowText(int row, std::string_view sep) const {
  std::string out;
  appendRowText(row, out, sep);
  return out;
}

void TextGrid::appendRowText(int row, std::string& out, std::string_view sep) const {
  for (int c = 0; c < colCount(); ++c) {
    out += cells_.cell(c, row);
    out += sep;
  }
}

void TextGrid::moverCursor(int col, int row) {
  if (col < 0 || col >= colCount() || row < 0 || row >= rowCount()) return;
  cursorCol = col;
  cursorRow = row;
  setSelection({col, row, col, row});
}

bool TextGrid::columnBlank(int col) const {
  for (int r = 0; r < rowCount(); ++r)
    if (!isBlank(cells_.cell(col, r))) return false;
  return true;
}

bool TextGrid::rowHasText(int row) const {
  for (int c = 0; c < colCount(); ++c)
    if (!isBlank(cells_.cell(c, row))) return true;
  return false;
}

void gridZerar(TextGrid& grid, bool limparColunas) {
  std::vector<std::string> header;
  if (!limparColunas) header = grid.rowCells(0);
  TextGrid fresh;
  if (!limparColunas) {
    fresh.setColCount(grid.colCount());
    for (int c = 0; c < grid.colCount(); ++c) fresh.setColWidth(c, grid.colWidth(c));
    fresh.assignRow(0, header);
  }
  grid = std::move(fresh);
}

int criarColunaSeNaoExistir(TextGrid& grid, std::string_view nomeColuna, int largura) {
  for (int c = 0; c < grid.colCount(); ++c)
    if (equalsIgnoreCase(grid.cell(c, 0), nomeColuna)) return c;
  int col;
  if (grid.columnBlank(0)) {
    col = 0;
  } else {
    grid.setColCount(grid.colCount() + 1);
    col = grid.colCount() - 1;
  }
  grid.setCell(col, 0, std::string(nomeColuna));
  grid.setColWidth(col, largura);
  return col;
}

void colunaSetValue(TextGrid& grid, int linha, std::string valor, std::string_view nomeColuna) {
  if (linha < 0 || linha >= grid.rowCount()) return;
  int col = criarColunaSeNaoExistir(grid, nomeColuna, 100);
  grid.setCell(col, linha, std::move(valor));
}

std::vector<std::string> preencherListaColunas(const TextGrid& grid) {
  std::vector<std::string> out;
  out.reserve(grid.colCount());
  for (int c = 0; c < grid.colCount(); ++c) {
    std::string header = trim(grid.cell(c, 0));
    if (!header.empty()) {
      out.push_back(std::move(header));
      continue;
    }
    std::string label = "Coluna " + formatNumberOrEmpty(c);
    std::string first = trim(grid.cell(c, 1));
    if (!first.empty()) label += " (" + first + ")";
    out.push_back(std::move(label));
  }
  return out;
}

}  // namespace quorvel
