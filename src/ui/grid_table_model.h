#pragma once
// A table model over one TextGrid, with no item per cell: it keeps its own row and column counts
// and replays the grid's change notices on them. Grid row 0 is the header; model row r is grid
// row r + 1.

#include <QAbstractTableModel>

#include "common/text_grid.h"
#include "lists/list_editor.h"

namespace quorvel::ui {

class GridTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  GridTableModel(ListEditor& editor, TextGrid& grid, QObject* parent = nullptr);

  TextGrid& grid() const { return grid_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // True while a grid notice is being replayed: the views then leave the grid's cursor alone.
  bool repetindo() const { return repetindo_; }
  // How many notices arrived and how many of them became a full reset (for tests).
  int avisos = 0, reinicios = 0;

 signals:
  void widthsChanged();
  void selectionChanged();

 private:
  void refresh(const GridNotice& n);
  // The grid row a model row shows; -1 for a row the grid no longer has. The notices come after
  // the change, so while the view is being told about removed or reordered rows, the rows it
  // still counts are mapped onto the grid as it is now.
  int linhaDaGrade(int linhaModelo) const;
  void reiniciar();
  void removerLinhas(const GridNotice& n);
  void moverLinhas(const GridNotice& n);

  ListEditor& editor_;
  TextGrid& grid_;
  int linhas_ = 0;  // data rows
  int colunas_ = 0;
  bool repetindo_ = false;
  struct Trecho {
    int first, count;  // model rows
  };
  std::vector<Trecho> removendo_;                // runs still in the view, gone from the grid
  const std::vector<int>* ordemNova_ = nullptr;  // while a reorder is told
  mutable std::vector<int> posicaoAntiga_;       // old grid row → its grid row now (lazy)
  TextGrid::Subscription sub_;
};

}  // namespace quorvel::ui
