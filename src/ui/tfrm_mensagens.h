#pragma once
// The mailbox window ("Checagem de e-mails"): the check run over the active accounts with its
// coloured log, progress and "Cancelar", the check settings, the user's own negative base and the
// unsubscribe snippets. A view over MailboxWindow; closing hides it, and runs, the automatic check
// and the sharing queue live on.

#include <QWidget>

#include "mailbox/mailbox_window.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;

namespace quorvel::ui {

class NegativeBaseModel;

class TfrmMensagens : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmMensagens(MailboxWindow& model);

  MailboxWindow& model() { return m_; }
  QTabWidget* paginas() const { return paginas_; }
  QListWidget* log() const { return log_; }
  QTableView* grade() const { return grade_; }
  QProgressBar* progresso() const { return progresso_; }
  QLabel* total(int i) const { return totais_[i]; }  // "De suas contas:", "BD online", "Contas"
  QLineEdit* localizar() const { return localizar_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  QWidget* buildNegativeBasePage();
  QWidget* buildSettingsPage();
  QWidget* buildUnsubscribePage();
  QWidget* buildFooter();
  void ligar(QAbstractButton* b, std::function<void()> f);
  void refresh();
  void refreshLog();
  void refreshGrid();  // the sort arrow and the current row

  MailboxWindow& m_;
  QTabWidget* paginas_;
  // Bottom bar.
  QPushButton* checar_;
  QPushButton* cancelar_;
  QCheckBox* forcar_;
  QProgressBar* progresso_;
  QLabel* sincronizando_;
  QCheckBox* rolar_;
  QLabel* trabalhando_;
  QListWidget* log_;
  // "Base negativa de e-mails".
  QLabel* totais_[3];
  QCheckBox* filtros_[3];
  QTableView* grade_;
  NegativeBaseModel* modeloGrade_;
  QLineEdit* localizar_;
  // "Configurações".
  QComboBox* minutos_;
  QCheckBox* apagar_;
  QLineEdit* maximo_;
  QComboBox* dias_;
  QPlainTextEdit* assunto_;
  QPlainTextEdit* corpo_;
  // "Descadastramentos".
  QLineEdit* endereco_;
  QLineEdit* opcao1_;
  QLineEdit* opcao2_;

  bool refreshing_ = false;
  Notifier<MailboxNotice>::Subscription sub_;
  Notifier<NegativeBaseGridNotice>::Subscription gridSub_;
};

}  // namespace quorvel::ui
