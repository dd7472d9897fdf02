#include "ui/export_grid_model.h"

#include <algorithm>

#include "ui/qt_text.h"

namespace quorvel::ui {

ExportGridModel::ExportGridModel(TextGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
  linhas_ = grid_.dataRowCount();
  colunas_ = grid_.colCount();
  sub_ = grid_.listen([this](const GridNotice& n) {
    if (n.kind == GridNotice::Kind::selectionChanged) return;  // the view's own cursor
    if (n.kind == GridNotice::Kind::columnWidths) {
      emit widthsChanged();
      return;
    }
    if (n.kind == GridNotice::Kind::cellsChanged && grid_.dataRowCount() == linhas_ &&
        grid_.colCount() == colunas_) {
      emit dataChanged(index(0, 0), index(std::max(linhas_ - 1, 0), std::max(colunas_ - 1, 0)));
      emit headerDataChanged(Qt::Horizontal, 0, std::max(colunas_ - 1, 0));
      return;
    }
    beginResetModel();
    linhas_ = grid_.dataRowCount();
    colunas_ = grid_.colCount();
    endResetModel();
    emit widthsChanged();
  });
}

int ExportGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : linhas_;
}

int ExportGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : colunas_;
}

QVariant ExportGridModel::data(const QModelIndex& i, int role) const {
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  if (i.row() + 1 >= grid_.rowCount() || i.column() >= grid_.colCount()) return {};
  return q(grid_.cell(i.column(), i.row() + 1));
}

bool ExportGridModel::setData(const QModelIndex& i, const QVariant& value, int role) {
  if (role != Qt::EditRole || i.row() + 1 >= grid_.rowCount() || i.column() >= grid_.colCount())
    return false;
  grid_.setCell(i.column(), i.row() + 1, value.toString().toStdString());
  return true;
}

QVariant ExportGridModel::headerData(int section, Qt::Orientation o, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (o == Qt::Vertical) return section + 1;
  if (section >= grid_.colCount()) return {};
  return q(grid_.cell(section, 0));
}

Qt::ItemFlags ExportGridModel::flags(const QModelIndex& i) const {
  return QAbstractTableModel::flags(i) | Qt::ItemIsEditable;
}

}  // namespace quorvel::ui
