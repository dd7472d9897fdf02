#include "common/text_grid.h"

#include <algorithm>

#include "common/format.h"
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
    copyData(o);
    if (listened()) tell(notice(Kind::reset));
  }
  return *this;
}

TextGrid& TextGrid::operator=(TextGrid&& o) noexcept {
  if (this != &o) {
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

void TextGrid::setColCount(int n) {
  n = std::max(n, 1);
  if (n == cols_) return;
  const int antes = cols_;
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
  rows_.resize(n, std::vector<std::string>(cols_));
  if (!listened()) return;
  if (n > antes)
    tell(notice(Kind::rowsInserted, antes, n - antes));
  else
    tell(notice(Kind::rowsRemoved, n, antes - n));
}

void TextGrid::assignRow(int row, const std::vector<std::string>& values) {
  auto& r = rows_[row];
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
  rows_.erase(rows_.begin() + row);
  if (listened()) tell(notice(Kind::rowsRemoved, row, 1));
  if (rowCount() < 2) setRowCount(2);
}

void TextGrid::deleteColumn(int col) {
  if (col < 0 || col >= cols_) return;
  if (cols_ == 1) {
    for (auto& r : rows_) r[0].clear();
    cellsChanged(0, rowCount(), 0, 0);
    return;
  }
  for (auto& r : rows_) r.erase(r.begin() + col);
  widths_.erase(widths_.begin() + col);
  --cols_;
  if (listened()) tell(notice(Kind::columnsRemoved, col, 1));
}

void TextGrid::insertColumn(int col) {
  col = std::clamp(col, 0, cols_);
  for (auto& r : rows_) r.insert(r.begin() + col, std::string());
  widths_.insert(widths_.begin() + col, kDefaultColWidth);
  ++cols_;
  if (listened()) tell(notice(Kind::columnsInserted, col, 1));
}

void TextGrid::removeRows(const std::vector<char>& remover) {
  size_t out = 1;
  int primeira = -1;
  for (size_t r = 1; r < rows_.size(); ++r) {
    if (r < remover.size() && remover[r]) {
      if (primeira < 0) primeira = static_cast<int>(r);
      continue;
    }
    if (out != r) rows_[out] = std::move(rows_[r]);
    ++out;
  }
  const int removidas = rowCount() - static_cast<int>(out);
  rows_.resize(out);
  if (removidas > 0 && listened()) {
    GridNotice n = notice(Kind::rowsRemoved, primeira, removidas);
    n.flags.assign(remover.begin(), remover.end());
    n.flags.resize(out + static_cast<size_t>(removidas), 0);
    tell(std::move(n));
  }
  if (rowCount() < 2) setRowCount(2);
}

void TextGrid::reorderRows(const std::vector<int>& ordem) {
  const int antes = rowCount();
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
  if (rowCount() < 2) setRowCount(2);
}

void TextGrid::appendRow(std::vector<std::string> cells) {
  cells.resize(cols_);
  rows_.push_back(std::move(cells));
  if (listened()) tell(notice(Kind::rowsInserted, rowCount() - 1, 1));
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
  for (const auto& c : rows_[row]) {
    out += c;
    out += sep;
  }
  return out;
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
