#include "ui/negative_base_model.h"

#include "ui/qt_text.h"

namespace quorvel::ui {

NegativeBaseModel::NegativeBaseModel(NegativeBaseGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
  sub_ = grid.notices.listen([this](const NegativeBaseGridNotice& n) {
    if (n.kind != NegativeBaseGridNotice::Kind::linhas) return;
    beginResetModel();
    endResetModel();
  });
}

int NegativeBaseModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(grid_.linhas.size());
}

int NegativeBaseModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(NegativeBaseGrid::kTitulos.size());
}

QVariant NegativeBaseModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
  return q(grid_.linhas[index.row()].coluna(index.column()));
}

QVariant NegativeBaseModel::headerData(int section, Qt::Orientation o, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (o == Qt::Horizontal && section >= 0 && section < columnCount())
    return q(NegativeBaseGrid::kTitulos[section]);
  return {};
}

}  // namespace quorvel::ui
