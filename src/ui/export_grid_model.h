#pragma once
// A table model over a grid that belongs to no list editor (the export window's copy): row 0 of
// the grid is the header, model row r is grid row r + 1. Cells changed in place are repainted;
// any other change of the grid is a reset: the window's operations change the grid in one piece
// and tell it once.

#include <QAbstractTableModel>

#include "common/text_grid.h"

namespace quorvel::ui {

class ExportGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ExportGridModel(TextGrid& grid, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // The grid's column widths changed (or the grid was replaced): the view sets them again.
  void widthsChanged();

 private:
  TextGrid& grid_;
  int linhas_ = 0, colunas_ = 0;  // what the view was last told
  TextGrid::Subscription sub_;
};

}  // namespace quorvel::ui
