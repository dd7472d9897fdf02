#pragma once
// The collaboration consent window ("Autorização para colaboração"), always on top, 500 pixels
// high: what is shared and "Mais informações", the user's account with the service (e-mail and
// access key), and the panel of the current choice (on: "Desativar"; off: "Ativar  a colaboração
// de dados"). A view over the CollaborationConsent; made at start-up, hidden until opened.

#include <QWidget>

#include "online/collaboration_consent.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvel::ui {

class TfrmColabore : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmColabore(CollaborationConsent& consentimento);

  QLineEdit* email() const { return email_; }
  QLineEdit* chave() const { return chave_; }
  // The panel shown while collaboration is on, and the one while it is off.
  QFrame* painelAtivada() const { return ativada_; }
  QFrame* painelDesativada() const { return desativada_; }
  QPushButton* ativar() const { return ativar_; }
  QPushButton* desativar() const { return desativar_; }
  QPushButton* maisInformacoes() const { return mais_; }
  QPushButton* fechar() const { return fechar_; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QFrame* painel(const char* texto, const char* status, const char* botao, QPushButton*& b);
  void refresh();

  CollaborationConsent& c_;
  QLineEdit* email_;
  QLineEdit* chave_;
  QFrame* ativada_;
  QFrame* desativada_;
  QPushButton* ativar_ = nullptr;
  QPushButton* desativar_ = nullptr;
  QPushButton* mais_;
  QPushButton* fechar_;
  Notifier<ConsentNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
