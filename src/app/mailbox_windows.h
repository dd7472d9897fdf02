#pragma once
// The objects behind the accounts window and the mailbox window, made once the database is open:
// the accounts window's account service and its exchange with the discovery program, and the two
// window models, wired to each other and to the save window.

#include <string>

#include "app/application.h"
#include "mailbox/accounts_editor.h"
#include "mailbox/cl_email_test.h"
#include "mailbox/mailbox_check.h"
#include "mailbox/neg_conta.h"
#include "mailbox/program_launcher.h"

namespace quorvel {

class MailboxWindows {
 public:
  // The database of `app` must be open.
  explicit MailboxWindows(Application& app);
  MailboxWindows(const MailboxWindows&) = delete;
  MailboxWindows& operator=(const MailboxWindows&) = delete;

  ProcessLauncher launcher;
  CLEmailTest emailTest;
  NegConta negConta;
  AccountsEditor contas;
  MailboxCheck caixa;

  // "Salvar" of the negative-base page: the save window on dados/arquivos, then the grid as it
  // is shown (filters and order) written as a list file the list editor opens.
  void salvarGrid(const NegativeBaseGrid& grid);

 private:
  Application& app_;
};

inline constexpr const char* kArquivoBaseNegativa = "base-negativa.csv";

}  // namespace quorvel
