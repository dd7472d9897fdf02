#pragma once
// The accounts window ("Contas de e-mail cadastradas"): the grid of accounts, the two-step entry
// of a new account, the advanced page with every connection setting, the automatic configuration
// and the connection test. A view over AccountsWindow; modeless, always on top, Esc closes it.

#include <QWidget>

#include "mailbox/accounts_window.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace quorvel::ui {

class TfrmContas : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmContas(AccountsWindow& model);

  AccountsWindow& model() { return m_; }
  QTabWidget* paginas() const { return paginas_; }
  QTableWidget* grade() const { return grade_; }
  QLineEdit* email() const { return email_; }
  QLineEdit* senha() const { return senha_; }
  QLineEdit* servidor() const { return servidor_; }
  QLineEdit* porta() const { return porta_; }
  QLineEdit* usuario() const { return usuario_; }
  QComboBox* usarTLS() const { return usarTLS_; }
  QCheckBox* contaAtiva() const { return contaAtiva_; }
  QWidget* painelAvancado() const { return painelAvancado_; }
  QFrame* moldura() const { return moldura_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  QWidget* buildAccountsPage();
  QWidget* buildDetailsPage();
  QWidget* buildAdvancedPage();
  // Runs an operation of the model, then draws what it changed.
  void ligar(QPushButton* b, std::function<void()> f);
  void refresh();
  void refreshGrid();

  AccountsWindow& m_;
  QTabWidget* paginas_;
  QTableWidget* grade_;
  QCheckBox* mostrarSenhas_;
  QLineEdit* email_;
  QLineEdit* senha_;
  QCheckBox* contaAtiva_;
  QLineEdit* servidor_;
  QLineEdit* porta_;
  QLineEdit* usuario_;
  QComboBox* usarTLS_;
  QComboBox* tipoAutenticacao_;
  QComboBox* versaoIp_;
  QComboBox* modoSSL_;
  QComboBox* metodoSSL_;
  QPushButton* lnkAvancado_;
  QWidget* painelAvancado_;
  QFrame* moldura_;
  QPushButton* testar_;
  bool refreshing_ = false;
  Notifier<AccountsNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
