#pragma once
// The update window ("Verificando atualização..."), a tool window centred on the screen while the
// new build's setup package downloads: the title and status labels, "Progresso total" and
// "Progresso atual" with their bars, the description ("baixando ... kb"), the activity animation
// and the one button ("Cancelar", which only asks to wait, then "Fechar"). A view over the
// ProgramUpdate; made hidden at start-up.

#include <QWidget>

#include "online/program_update.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quorvel::ui {

class TfrmUpdateApps : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmUpdateApps(ProgramUpdate& atualizacao);

  QLabel* titulo() const { return titulo_; }
  QLabel* status() const { return status_; }
  QLabel* descricao() const { return descricao_; }
  QProgressBar* total() const { return total_; }
  QProgressBar* atual() const { return atual_; }
  QProgressBar* animacao() const { return animacao_; }
  QPushButton* botao() const { return botao_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void refresh();

  ProgramUpdate& u_;
  QLabel* titulo_;
  QLabel* status_;
  QLabel* descricao_;
  QProgressBar* total_;
  QProgressBar* atual_;
  QProgressBar* animacao_;
  QPushButton* botao_;
  Notifier<UpdateNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
