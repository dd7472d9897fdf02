#pragma once
// The launcher window ("Quorvel - Validação avançada de e-mails"), the program's main form: a
// view over the LauncherWindow. It opens the main window, the tutorials and ends the program.

#include <QWidget>

#include "app/launcher_window.h"

class QLabel;
class QPushButton;
class QTextBrowser;

namespace quorvel::ui {

class TfrmMain : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmMain(LauncherWindow& launcher);
  QPushButton* abrir() const { return abrir_; }
  QPushButton* sair() const { return sair_; }
  QPushButton* tutoriais() const { return tutoriais_; }
  // The panel "Há uma nova versão do Quorvel disponível. Clique aqui para atualizar".
  QPushButton* novaVersao() const { return novaVersao_; }
  // The release notes' browser area (shown when the service has notes).
  QTextBrowser* notas() const { return notas_; }

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
  QPushButton* novaVersao_;
  QLabel* apresentacao_;
  QTextBrowser* notas_;
  QString notasMostradas_;
  Notifier<LauncherNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
