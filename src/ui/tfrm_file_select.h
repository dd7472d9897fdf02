#pragma once
// The file selection window ("Selecionar arquivo"), one for the whole program: a view over
// FileSelection.

#include <QDialog>
#include <QTableView>
#include <QTimer>
#include <string>

#include "lists/file_selection.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvel::ui {

class FileTableModel;

// The table: a click on a tick box ticks it without moving the selection.
class FileTableView : public QTableView {
 public:
  using QTableView::QTableView;
  FileSelection* selecao = nullptr;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  // Taking the focus selects no row by itself (a selected row would tick).
  void focusInEvent(QFocusEvent* e) override;

 private:
  // The row whose tick box is under the mouse; -1 elsewhere.
  int caixaSob(QMouseEvent* e) const;
  // Ticks or unticks the box under the mouse; false when there is none.
  bool marcarCaixa(QMouseEvent* e);
};

class TfrmFileSelect : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmFileSelect(FileSelection& sel);

  // getFileSelect: lists the folder (the last one shown, else `aPath`), shows the window
  // modally and returns the choice; the window is hidden, not destroyed.
  std::string getFileSelect(const std::string& aPath, const std::string& aExtension,
                            const std::string& aFiltro, bool multiselect, bool canChangePath);

  FileTableView* tabela() const { return tabela_; }
  QLineEdit* busca() const { return busca_; }
  QLineEdit* caminho() const { return caminho_; }
  QComboBox* extensao() const { return extensao_; }
  QLineEdit* selecionado() const { return selecionado_; }
  QTimer* timerBusca() { return &timerBusca_; }

 private:
  void refreshRows();
  void refreshListing();

  FileSelection& sel_;
  FileTableModel* modelo_;
  FileTableView* tabela_;
  QLineEdit* busca_;
  QLineEdit* caminho_;
  QComboBox* extensao_;
  QLabel* rotuloSelecionado_;
  QLineEdit* selecionado_;
  QTimer timerBusca_;
  bool refreshing_ = false;
  Notifier<FileSelectionNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
