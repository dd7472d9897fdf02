#pragma once
// The file selection window's table: a view model over FileSelection's rows (tick boxes in the
// first column when several files may be chosen).

#include <QAbstractTableModel>

#include "lists/file_selection.h"

namespace quorvel::ui {

class FileTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit FileTableModel(FileSelection& sel, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  FileSelection& sel_;
  int linhas_ = 0;
  Notifier<FileSelectionNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
