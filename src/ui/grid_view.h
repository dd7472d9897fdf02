#pragma once
// The list editor's grid: a table view over GridTableModel that hands its mouse releases, keys
// and column drags to the core's grid operations, follows the grid's cursor and selection, and
// highlights the text of the find box.

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

#include "lists/grid_operations.h"
#include "ui/grid_table_model.h"

namespace quorvel::ui {

// Draws the first occurrence of the find text in a cell on a light green background.
class HighlightDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QString termo;
  void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& i) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& opt,
                        const QModelIndex& i) const override;
  // Set by the view: key filter for the cell editor.
  QObject* filtroEditor = nullptr;
};

// Paints the highlight on the header row too, and reports releases over it.
class GridHeaderView : public QHeaderView {
  Q_OBJECT
 public:
  explicit GridHeaderView(QWidget* parent);
  const QString* termo = nullptr;
  std::function<void(QMouseEvent*)> aoSoltar;

 protected:
  void paintSection(QPainter* p, const QRect& r, int logical) const override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  // True when `x` (in the viewport) is on the border between two sections, where a press starts
  // a width drag.
  bool naDivisa(int x) const;
  bool arrastandoDivisa_ = false;
};

class GridView : public QTableView {
  Q_OBJECT
 public:
  GridView(ListEditor& editor, TextGrid& grid, QWidget* parent);

  GridTableModel* modelo() const { return modelo_; }
  GridHeaderView* cabecalho() const { return cabecalho_; }
  // The find box's text (highlighted wherever it occurs).
  void setTermo(const QString& termo);
  // "Selecionar linha inteira".
  void setLinhaInteira(bool inteira);
  // Esc while a cell is being edited: the edit is dropped. False when no cell was being edited.
  bool cancelarEdicao();
  // Text widths in this view's font (AutoSizeGrid).
  std::function<int(const std::string&)> larguraTexto() const;

  // What the list editor window does with a release's menu and the keys' follow-ups.
  std::function<void(GridMenu, QPoint)> abrirMenu;
  std::function<void(KeyAction)> aposTecla;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;
  void currentChanged(const QModelIndex& atual, const QModelIndex& anterior) override;
  void selectionChanged(const QItemSelection& sel, const QItemSelection& desel) override;

 private:
  void soltar(int col, int row, Qt::MouseButton b, QPoint global);
  bool tecla(QKeyEvent* e, bool editando);
  void seguirLarguras();
  void seguirSelecao();
  void guardarSelecao();

  ListEditor& editor_;
  TextGrid& grid_;
  GridTableModel* modelo_;
  GridHeaderView* cabecalho_;
  HighlightDelegate* delegado_;
  bool seguindo_ = false;
  bool linhaInteira_ = false;
};

}  // namespace quorvel::ui
