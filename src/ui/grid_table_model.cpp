#include "ui/grid_table_model.h"

#include <algorithm>

#include "lists/grid_operations.h"
#include "ui/qt_text.h"

namespace quorvel::ui {

namespace {

// Scattered removals told as separate removals up to this many runs; more become one reset.
constexpr int kMaxTrechos = 32;
// Reorders of more rows than this become one reset: the views would otherwise keep a persistent
// index per row while the layout changes (seconds for a million rows); the cursor and the
// selection are put back from the grid afterwards.
constexpr int kMaxLinhasReordenadas = 50'000;

}  // namespace

GridTableModel::GridTableModel(ListEditor& editor, TextGrid& grid, QObject* parent)
    : QAbstractTableModel(parent),
      editor_(editor),
      grid_(grid),
      linhas_(grid.dataRowCount()),
      colunas_(grid.colCount()) {
  sub_ = grid_.listen([this](const GridNotice& n) {
    const bool antes = repetindo_;
    repetindo_ = true;
    refresh(n);
    repetindo_ = antes;
  });
}

int GridTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : linhas_;
}

int GridTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : colunas_;
}

int GridTableModel::linhaDaGrade(int m) const {
  if (ordemNova_) {
    if (posicaoAntiga_.empty()) {
      posicaoAntiga_.assign(ordemNova_->size() + 1, -1);
      for (size_t i = 0; i < ordemNova_->size(); ++i)
        if ((*ordemNova_)[i] >= 0 && (*ordemNova_)[i] < static_cast<int>(posicaoAntiga_.size()))
          posicaoAntiga_[(*ordemNova_)[i]] = static_cast<int>(i) + 1;
    }
    return m + 1 < static_cast<int>(posicaoAntiga_.size()) ? posicaoAntiga_[m + 1] : -1;
  }
  int g = m + 1;
  for (const Trecho& t : removendo_) {
    if (m >= t.first && m < t.first + t.count) return -1;
    if (m >= t.first + t.count) g -= t.count;
  }
  return g;
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  const int r = linhaDaGrade(index.row()), c = index.column();
  // While an operation holds its notices the grid may already be smaller than the view.
  if (r < 1 || r >= grid_.rowCount() || c >= grid_.colCount()) return {};
  return q(grid_.cell(c, r));
}

bool GridTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  const int r = index.row() + 1, c = index.column();
  if (r >= grid_.rowCount() || c >= grid_.colCount()) return false;
  const std::string novo = u(value.toString());
  if (novo == grid_.cell(c, r)) return true;
  celulaEditada(editor_, c, r, novo);
  return true;
}

QVariant GridTableModel::headerData(int section, Qt::Orientation o, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (o == Qt::Vertical) return section + 1;
  if (section >= grid_.colCount()) return {};
  return q(grid_.cell(section, 0));
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void GridTableModel::reiniciar() {
  ++reinicios;
  beginResetModel();
  linhas_ = grid_.dataRowCount();
  colunas_ = grid_.colCount();
  endResetModel();
}

void GridTableModel::refresh(const GridNotice& n) {
  ++avisos;
  using K = GridNotice::Kind;
  switch (n.kind) {
    case K::reset:
      reiniciar();
      break;
    case K::rowsInserted:
      if (n.first < 1 || n.first - 1 > linhas_) {
        reiniciar();
        break;
      }
      beginInsertRows({}, n.first - 1, n.first - 1 + n.count - 1);
      linhas_ += n.count;
      endInsertRows();
      break;
    case K::rowsRemoved:
      removerLinhas(n);
      break;
    case K::rowsMoved:
      moverLinhas(n);
      break;
    case K::cellsChanged: {
      const int ultimaCol = std::min(n.lastCol, colunas_ - 1);
      if (n.first == 0) emit headerDataChanged(Qt::Horizontal, n.firstCol, ultimaCol);
      const int primeira = std::max(n.first, 1) - 1;
      const int ultima = std::min(n.first + n.count - 1, linhas_) - 1;
      if (ultima >= primeira && ultimaCol >= n.firstCol)
        emit dataChanged(index(primeira, n.firstCol), index(ultima, ultimaCol));
      break;
    }
    case K::columnsInserted:
      if (n.first > colunas_) {
        reiniciar();
        break;
      }
      beginInsertColumns({}, n.first, n.first + n.count - 1);
      colunas_ += n.count;
      endInsertColumns();
      break;
    case K::columnsRemoved:
      if (n.first + n.count > colunas_) {
        reiniciar();
        break;
      }
      beginRemoveColumns({}, n.first, n.first + n.count - 1);
      colunas_ -= n.count;
      endRemoveColumns();
      break;
    case K::columnWidths:
      emit widthsChanged();
      break;
    case K::selectionChanged:
      emit selectionChanged();
      break;
  }
}

void GridTableModel::removerLinhas(const GridNotice& n) {
  if (n.first < 1) {
    reiniciar();
    return;
  }
  if (n.flags.empty()) {
    if (n.first - 1 + n.count > linhas_) {
      reiniciar();
      return;
    }
    removendo_ = {{n.first - 1, n.count}};
    beginRemoveRows({}, n.first - 1, n.first - 1 + n.count - 1);
    linhas_ -= n.count;
    removendo_.clear();
    endRemoveRows();
    return;
  }
  // Scattered rows: the runs of flagged rows, from the bottom up so the earlier indexes hold.
  std::vector<std::pair<int, int>> trechos;  // first grid row, count
  const int total = static_cast<int>(n.flags.size());
  for (int r = 1; r < total;) {
    if (!n.flags[r]) {
      ++r;
      continue;
    }
    int fim = r;
    while (fim < total && n.flags[fim]) ++fim;
    trechos.emplace_back(r, fim - r);
    if (static_cast<int>(trechos.size()) > kMaxTrechos) break;
    r = fim;
  }
  if (static_cast<int>(trechos.size()) > kMaxTrechos || total - 1 != linhas_) {
    reiniciar();
    return;
  }
  for (const auto& [primeira, quantas] : trechos) removendo_.push_back({primeira - 1, quantas});
  while (!removendo_.empty()) {
    const Trecho t = removendo_.back();
    beginRemoveRows({}, t.first, t.first + t.count - 1);
    linhas_ -= t.count;
    removendo_.pop_back();
    endRemoveRows();
  }
}

void GridTableModel::moverLinhas(const GridNotice& n) {
  if (static_cast<int>(n.order.size()) != linhas_ || linhas_ > kMaxLinhasReordenadas) {
    reiniciar();
    return;
  }
  ordemNova_ = &n.order;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  ordemNova_ = nullptr;
  posicaoAntiga_ = {};
  const QModelIndexList antigos = persistentIndexList();
  if (!antigos.isEmpty()) {
    // Old grid row → new model row, built only when a view keeps indexes.
    std::vector<int> novaPosicao(linhas_ + 1, -1);
    for (int i = 0; i < linhas_; ++i)
      if (n.order[i] >= 1 && n.order[i] <= linhas_) novaPosicao[n.order[i]] = i;
    QModelIndexList novos;
    novos.reserve(antigos.size());
    for (const QModelIndex& i : antigos) {
      const int p = i.row() + 1 <= linhas_ ? novaPosicao[i.row() + 1] : -1;
      novos << (p >= 0 ? index(p, i.column()) : QModelIndex());
    }
    changePersistentIndexList(antigos, novos);
  }
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace quorvel::ui
