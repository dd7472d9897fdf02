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

TextGrid::TextGrid() : rows_(2, std::vector<std::string>(1)), widths_(1, kDefaultColWidth) {}

TextGrid::TextGrid(const TextGrid& o) {
  copyData(o);
}

TextGrid::TextGrid(TextGrid&& o) noexcept
    : cursorCol(o.cursorCol),
      cursorRow(o.cursorRow),
      selection(o.selection),
      cols_(o.cols_),
      rows_(std::move(o.rows_)),
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
    cols_ = o.cols_;
    rows_ = std::move(o.rows_);
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
  journal_->wholeGrid(cols_, std::move(rows_), widths_);
  rows_.clear();
}

void TextGrid::copyData(const TextGrid& o) {
  cols_ = o.cols_;
  rows_ = o.rows_;
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
  if (widthsPending_) todas.push_back(notice(Kind::columnWidths, 0, cols_));
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
  std::string& c = rows_[row][col];
  if (journaling()) {
    if (c == value) return;  // nothing changes: no step, no notice
    journal_->cellChanging(col, row, c);
  }
  c = std::move(value);
  if (listened()) cellsChanged(row, 1, col, col);
}

void TextGrid::setColCount(int n) {
  n = std::max(n, 1);
  if (n == cols_) return;
  const int antes = cols_;
  if (journaling()) {
    if (n > antes) {
      journal_->colsGrowing(antes);
    } else {
      std::vector<std::vector<std::string>> celulas;
      celulas.reserve(rows_.size());
      for (auto& r : rows_)
        celulas.emplace_back(std::make_move_iterator(r.begin() + n),
                             std::make_move_iterator(r.end()));
      journal_->colsTruncated(n, std::move(celulas),
                              std::vector<int>(widths_.begin() + n, widths_.end()));
    }
  }
  for (auto& r : rows_) r.resize(n);
  widths_.resize(n, kDefaultColWidth);
  cols_ = n;
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
    if (n > antes)
      journal_->rowsGrowing(antes);
    else
      journal_->rowsTruncated(
          n, std::vector<std::vector<std::string>>(std::make_move_iterator(rows_.begin() + n),
                                                   std::make_move_iterator(rows_.end())));
  }
  rows_.resize(n, std::vector<std::string>(cols_));
  if (!listened()) return;
  if (n > antes)
    tell(notice(Kind::rowsInserted, antes, n - antes));
  else
    tell(notice(Kind::rowsRemoved, n, antes - n));
}

void TextGrid::assignRow(int row, const std::vector<std::string>& values) {
  auto& r = rows_[row];
  if (journaling()) journal_->rowReplaced(row, r);
  for (int c = 0; c < cols_; ++c) {
    if (c < static_cast<int>(values.size()))
      r[c] = values[c].empty() ? std::string(" ") : values[c];
    else
      r[c].clear();
  }
  cellsChanged(row, 1, 0, cols_ - 1);
}

void TextGrid::deleteRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  if (journaling()) journal_->rowDeleted(row, std::move(rows_[row]));
  rows_.erase(rows_.begin() + row);
  if (listened()) tell(notice(Kind::rowsRemoved, row, 1));
  if (!semMinimo_ && rowCount() < 2) setRowCount(2);
}

void TextGrid::deleteColumn(int col) {
  if (col < 0 || col >= cols_) return;
  if (cols_ == 1) {
    if (journaling()) {
      std::vector<std::string> celulas;
      celulas.reserve(rows_.size());
      for (auto& r : rows_) celulas.push_back(std::move(r[0]));
      journal_->columnReplaced(0, std::move(celulas));
    }
    for (auto& r : rows_) r[0].clear();
    cellsChanged(0, rowCount(), 0, 0);
    return;
  }
  if (journaling()) {
    std::vector<std::string> celulas;
    celulas.reserve(rows_.size());
    for (auto& r : rows_) celulas.push_back(std::move(r[col]));
    journal_->columnDeleted(col, std::move(celulas), widths_[col]);
  }
  for (auto& r : rows_) r.erase(r.begin() + col);
  widths_.erase(widths_.begin() + col);
  --cols_;
  if (listened()) tell(notice(Kind::columnsRemoved, col, 1));
}

void TextGrid::insertColumn(int col) {
  col = std::clamp(col, 0, cols_);
  if (journaling()) journal_->columnInserted(col);
  for (auto& r : rows_) r.insert(r.begin() + col, std::string());
  widths_.insert(widths_.begin() + col, kDefaultColWidth);
  ++cols_;
  if (listened()) tell(notice(Kind::columnsInserted, col, 1));
}

void TextGrid::removeRows(const std::vector<char>& remover) {
  size_t out = 1;
  int primeira = -1;
  const bool registrar = journaling();
  std::vector<std::vector<std::string>> removidasLinhas;
  for (size_t r = 1; r < rows_.size(); ++r) {
    if (r < remover.size() && remover[r]) {
      if (primeira < 0) primeira = static_cast<int>(r);
      if (registrar) removidasLinhas.push_back(std::move(rows_[r]));
      continue;
    }
    if (out != r) rows_[out] = std::move(rows_[r]);
    ++out;
  }
  const int removidas = rowCount() - static_cast<int>(out);
  if (registrar && removidas > 0) {
    std::vector<char> flags(remover.begin(),
                            remover.begin() + std::min(remover.size(), rows_.size()));
    flags.resize(rows_.size(), 0);
    flags[0] = 0;
    journal_->rowsRemoved(std::move(flags), std::move(removidasLinhas));
  }
  rows_.resize(out);
  if (removidas > 0 && listened()) {
    GridNotice n = notice(Kind::rowsRemoved, primeira, removidas);
    n.flags.assign(remover.begin(), remover.end());
    n.flags.resize(out + static_cast<size_t>(removidas), 0);
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
      journal_->wholeGrid(cols_, rows_, widths_);  // rows dropped or repeated: keep them all
  }
  std::vector<std::vector<std::string>> novas;
  novas.reserve(rows_.size());
  novas.push_back(std::move(rows_[0]));
  for (int r : ordem) novas.push_back(std::move(rows_[r]));
  rows_ = std::move(novas);
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

void TextGrid::appendRow(std::vector<std::string> cells) {
  if (journaling()) journal_->rowsGrowing(rowCount());
  cells.resize(cols_);
  rows_.push_back(std::move(cells));
  if (listened()) tell(notice(Kind::rowsInserted, rowCount() - 1, 1));
}

void TextGrid::appendRows(std::vector<std::vector<std::string>> novas) {
  if (novas.empty()) return;
  if (journaling()) journal_->rowsGrowing(rowCount());
  const int primeira = rowCount();
  for (auto& r : novas) {
    r.resize(cols_);
    rows_.push_back(std::move(r));
  }
  if (listened()) tell(notice(Kind::rowsInserted, primeira, static_cast<int>(novas.size())));
}

void TextGrid::insertRow(int row, std::vector<std::string> cells) {
  row = std::clamp(row, 1, rowCount());
  if (journaling()) journal_->rowInserted(row);
  cells.resize(cols_);
  rows_.insert(rows_.begin() + row, std::move(cells));
  if (listened()) tell(notice(Kind::rowsInserted, row, 1));
}

void TextGrid::insertRows(const std::vector<char>& flags,
                          std::vector<std::vector<std::string>> novas) {
  if (novas.empty()) return;
  if (journaling()) journal_->rowsInserted(flags);
  std::vector<std::vector<std::string>> todas;
  todas.reserve(rows_.size() + novas.size());
  size_t velha = 0, nova = 0;
  const size_t total = rows_.size() + novas.size();
  for (size_t r = 0; r < total; ++r) {
    const bool inserida = r < flags.size() && flags[r] && nova < novas.size();
    if (inserida || velha >= rows_.size()) {
      todas.push_back(std::move(novas[nova++]));
      todas.back().resize(cols_);
    } else {
      todas.push_back(std::move(rows_[velha++]));
    }
  }
  rows_ = std::move(todas);
  if (listened()) tell(notice(Kind::reset));
}

void TextGrid::setRowCells(int row, std::vector<std::string> cells) {
  auto& r = rows_[row];
  if (journaling()) journal_->rowReplaced(row, r);
  cells.resize(cols_);
  r = std::move(cells);
  cellsChanged(row, 1, 0, cols_ - 1);
}

void TextGrid::setColumnCells(int col, const std::vector<std::string>& cells) {
  const int n = std::min(rowCount(), static_cast<int>(cells.size()));
  if (journaling()) {
    std::vector<std::string> antigas;
    antigas.reserve(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) antigas.push_back(rows_[r][col]);
    journal_->columnReplaced(col, std::move(antigas));
  }
  for (int r = 0; r < n; ++r) rows_[r][col] = cells[r];
  cellsChanged(0, n, col, col);
}

void TextGrid::fillBlanks(const std::string& value) {
  std::vector<std::pair<int, int>> preenchidas;
  const bool registrar = journaling();
  for (int r = 1; r < rowCount(); ++r)
    for (int c = 0; c < cols_; ++c)
      if (rows_[r][c].empty()) {
        rows_[r][c] = value;
        if (registrar) preenchidas.emplace_back(c, r);
      }
  if (registrar && !preenchidas.empty()) journal_->cellsFilled(std::move(preenchidas), {});
  cellsChanged(1, rowCount() - 1, 0, cols_ - 1);
}

void TextGrid::truncateRows(int n) {
  n = std::max(n, 1);
  const int antes = rowCount();
  if (n >= antes) return;
  if (journaling())
    journal_->rowsTruncated(
        n, std::vector<std::vector<std::string>>(std::make_move_iterator(rows_.begin() + n),
                                                 std::make_move_iterator(rows_.end())));
  rows_.resize(n);
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
  for (const auto& c : rows_[row]) {
    out += c;
    out += sep;
  }
}

void TextGrid::moverCursor(int col, int row) {
  if (col < 0 || col >= cols_ || row < 0 || row >= rowCount()) return;
  cursorCol = col;
  cursorRow = row;
  setSelection({col, row, col, row});
}

bool TextGrid::columnBlank(int col) const {
  for (const auto& r : rows_)
    if (!isBlank(r[col])) return false;
  return true;
}

bool TextGrid::rowHasText(int row) const {
  for (const auto& c : rows_[row])
    if (!isBlank(c)) return true;
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
