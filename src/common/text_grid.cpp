#include "common/text_grid.h"

#include <algorithm>

#include "common/format.h"
#include "common/text.h"

namespace quorvel {

TextGrid::TextGrid() : rows_(2, std::vector<std::string>(1)), widths_(1, kDefaultColWidth) {}

void TextGrid::setColCount(int n) {
  n = std::max(n, 1);
  if (n == cols_) return;
  for (auto& r : rows_) r.resize(n);
  widths_.resize(n, kDefaultColWidth);
  cols_ = n;
}

void TextGrid::setRowCount(int n) {
  n = std::max(n, 2);
  rows_.resize(n, std::vector<std::string>(cols_));
}

void TextGrid::assignRow(int row, const std::vector<std::string>& values) {
  auto& r = rows_[row];
  for (int c = 0; c < cols_; ++c) {
    if (c < static_cast<int>(values.size()))
      r[c] = values[c].empty() ? std::string(" ") : values[c];
    else
      r[c].clear();
  }
}

void TextGrid::deleteRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  rows_.erase(rows_.begin() + row);
  if (rowCount() < 2) setRowCount(2);
}

void TextGrid::deleteColumn(int col) {
  if (col < 0 || col >= cols_) return;
  if (cols_ == 1) {
    for (auto& r : rows_) r[0].clear();
    return;
  }
  for (auto& r : rows_) r.erase(r.begin() + col);
  widths_.erase(widths_.begin() + col);
  --cols_;
}

void TextGrid::insertColumn(int col) {
  col = std::clamp(col, 0, cols_);
  for (auto& r : rows_) r.insert(r.begin() + col, std::string());
  widths_.insert(widths_.begin() + col, kDefaultColWidth);
  ++cols_;
}

void TextGrid::removeRows(const std::vector<char>& remover) {
  size_t out = 1;
  for (size_t r = 1; r < rows_.size(); ++r) {
    if (r < remover.size() && remover[r]) continue;
    if (out != r) rows_[out] = std::move(rows_[r]);
    ++out;
  }
  rows_.resize(out);
  if (rowCount() < 2) setRowCount(2);
}

void TextGrid::reorderRows(const std::vector<int>& ordem) {
  std::vector<std::vector<std::string>> novas;
  novas.reserve(rows_.size());
  novas.push_back(std::move(rows_[0]));
  for (int r : ordem) novas.push_back(std::move(rows_[r]));
  rows_ = std::move(novas);
  if (rowCount() < 2) setRowCount(2);
}

void TextGrid::appendRow(std::vector<std::string> cells) {
  cells.resize(cols_);
  rows_.push_back(std::move(cells));
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
  selecao = {col, row, col, row};
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
