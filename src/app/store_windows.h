#pragma once
// The objects behind the accounts window and the mailbox window, made once the database is open:
// the accounts window's account service and its exchange with the discovery program, and the two
// window models. Application wires them.

#include <string>

#include "mailbox/accounts_window.h"
#include "mailbox/cl_email_test.h"
#include "mailbox/mailbox_window.h"
#include "mailbox/neg_conta.h"
#include "mailbox/program_launcher.h"

namespace quorvel {

struct AppPorts;

class StoreWindows {
 public:
  // `banco` must be open.
  StoreWindows(Database& banco, Settings& config, const AppPorts& ports, const std::string& home);
  StoreWindows(const StoreWindows&) = delete;
  StoreWindows& operator=(const StoreWindows&) = delete;

  ProcessLauncher launcher;
  CLEmailTest emailTest;
  NegConta negConta;
  AccountsWindow contas;
  MailboxWindow caixa;
};

}  // namespace quorvel
