#pragma once
// The negative-base grid of the mailbox window as a read-only table: the rows the core's query
// gave, in the order it keeps; the view shows the sort the core chose. It follows the grid's
// notices and is reset whenever the rows were read again or sorted.

#include <QAbstractTableModel>

#include "mailbox/negative_base_grid.h"

namespace quorvel::ui {

class NegativeBaseModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  NegativeBaseModel(NegativeBaseGrid& grid, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

 private:
  const NegativeBaseGrid& grid_;
  Notifier<NegativeBaseGridNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
