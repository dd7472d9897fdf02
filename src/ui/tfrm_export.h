#pragma once
// The export window ("Exportação"): a view over its own ExportWindow, which holds the copy of
// the data, the pages and the writers. Not modal, centred on the screen, gone when closed. The
// data page shows the grid and the writers' buttons; the column deletion and utilities pages
// switch in its place without tabs; a status bar refreshed every second shows the position and
// the number of rows.

#include <QWidget>
#include <memory>

#include "export/export_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTableView;
class QTimer;

namespace quorvel::ui {

class ExportGridModel;

class TfrmExport : public QWidget {
  Q_OBJECT
 public:
  TfrmExport(Dialogs& dialogs, Progress& progress, Platform& platform);
  ~TfrmExport() override;

  ExportWindow& modelo() { return *m_; }
  QTableView* grade() const { return grade_; }
  QStackedWidget* paginas() const { return paginas_; }
  QListWidget* colunas() const { return colunas_; }
  QComboBox* colunaBase() const { return colunaBase_; }
  QLineEdit* substituir() const { return substituir_; }
  QLineEdit* por() const { return por_; }
  QLabel* posicao() const { return posicao_; }
  QLabel* quantidade() const { return quantidade_; }

 private:
  QWidget* buildDataPage();
  QWidget* buildColumnsPage();
  QWidget* buildUtilitiesPage();
  void refresh();
  void refreshWidths();
  void headerReleased(int coluna, Qt::MouseButton b, QPoint global);
  void showColumnMenu(QPoint global);

  Dialogs& dialogs_;
  std::unique_ptr<ExportWindow> m_;
  ExportGridModel* modelo_ = nullptr;
  QTableView* grade_ = nullptr;
  QStackedWidget* paginas_ = nullptr;
  QListWidget* colunas_ = nullptr;
  QComboBox* colunaBase_ = nullptr;
  QLineEdit* substituir_ = nullptr;
  QLineEdit* por_ = nullptr;
  QLabel* posicao_ = nullptr;
  QLabel* quantidade_ = nullptr;
  QTimer* status_ = nullptr;
  bool refreshing_ =
      false;  // the controls are being set from the model: their signals are not edits
  Notifier<ExportNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
