#include "ui/file_table_model.h"

#include <QApplication>
#include <QStyle>

#include "ui/qt_text.h"

namespace quorvel::ui {

FileTableModel::FileTableModel(FileSelection& sel, QObject* parent)
    : QAbstractTableModel(parent), sel_(sel), linhas_(static_cast<int>(sel.linhas.size())) {
  sub_ = sel_.notices.listen([this](const FileSelectionNotice& n) {
    if (n.kind == FileSelectionNotice::Kind::listing) {
      beginResetModel();
      linhas_ = static_cast<int>(sel_.linhas.size());
      endResetModel();
    } else if (linhas_ > 0) {
      emit dataChanged(index(0, 0), index(linhas_ - 1, 2));
    }
  });
}

int FileTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : linhas_;
}

int FileTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant FileTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(sel_.linhas.size())) return {};
  const FileRow& r = sel_.linhas[index.row()];
  switch (role) {
    case Qt::DisplayRole:
      if (index.column() == 0) return q(r.nome);
      if (index.column() == 1) return q(r.data);
      return q(r.tamanho);
    case Qt::DecorationRole:
      if (index.column() == 0 && r.pasta)
        return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
      return {};
    case Qt::CheckStateRole:
      if (index.column() == 0 && sel_.gMultiSelect) return r.marcado ? Qt::Checked : Qt::Unchecked;
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == 2) return int(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default:
      return {};
  }
}

bool FileTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || index.column() != 0) return false;
  sel_.marcar(index.row(), value.toInt() == Qt::Checked);
  return true;
}

QVariant FileTableModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitulos[] = {"Arquivo", "Últ. alteração", "Tamanho"};
  return section >= 0 && section < 3 ? q(kTitulos[section]) : QVariant();
}

Qt::ItemFlags FileTableModel::flags(const QModelIndex&) const {
  // The tick boxes are shown, not toggled by the delegate: the view ticks them itself (a click
  // on the box must not also count as a change of the selected row).
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace quorvel::ui
