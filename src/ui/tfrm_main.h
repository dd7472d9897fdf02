#pragma once
// The launcher window ("Quorvel - Validação avançada de e-mails"), the program's main form: a
// view over the LauncherWindow. It opens the main window, the tutorials and ends the program.

#include <QWidget>

#include "app/launcher_window.h"

class QLabel;
class QPushButton;

namespace quorvel::ui {

class TfrmMain : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmMain(LauncherWindow& launcher);
  QPushButton* abrir() const { return abrir_; }
  QPushButton* sair() const { return sair_; }
  QPushButton* tutoriais() const { return tutoriais_; }

 signals:
  // The launcher opened the main window: its view is to be created.
  void principalAberta();
  void encerrar();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void refresh(LauncherNotice::Kind k);
  LauncherWindow& l_;
  QPushButton* abrir_;
  QPushButton* tutoriais_;
  QPushButton* sair_;
  QLabel* novaVersao_;
  Notifier<LauncherNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
