#pragma once
// The main window ("Quorvel - Build: 651"): side buttons under a highlight frame, pages without
// visible tabs (the list editor and the bulk page, the settings, the help), dropped files. A view
// over the MainWindow object.

#include <QWidget>
#include <map>
#include <utility>
#include <vector>

#include "app/main_window.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTimer;

namespace quorvel::ui {

class BulkPage;
class TfrmLista;

class TfrmPrincipal : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmPrincipal(MainWindow& model);
  ~TfrmPrincipal() override;

  MainWindow& model() { return m_; }
  TfrmLista* lista() const { return lista_; }
  BulkPage* grandes() const { return grandes_; }
  QTabWidget* paginas() const { return paginas_; }
  QFrame* destaque() const { return destaque_; }
  QPushButton* botaoLateral(BotaoLateral b) const;
  QPushButton* botao(const QString& caption) const;
  QCheckBox* checkDefinition() const { return checkDefinition_; }
  // The start timer (2000 ms, one shot), started when the window appears.
  // The line that says why the window did not close.
  QLabel* aviso() const { return aviso_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  QWidget* buildSideBar();
  QWidget* buildFirstPage();
  QWidget* buildSettingsPage();
  QWidget* buildHelpPage();
  void refresh();
  void moverDestaque();

  MainWindow& m_;
  QTabWidget* paginas_;
  QStackedWidget* primeira_;
  TfrmLista* lista_;
  BulkPage* grandes_;
  QFrame* destaque_;
  std::map<BotaoLateral, QPushButton*> laterais_;
  // The buttons that open another window, enabled while it is available.
  std::vector<std::pair<QPushButton*, WindowId>> janelas_;
  QPushButton* classico_;
  QPushButton* grandesBtn_;
  QCheckBox* checkDefinition_;
  QLabel* aviso_;
  QTimer* avisoTimer_;
  bool exibida_ = false;
  bool fechada_ = false;
  Notifier<MainWindowNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
