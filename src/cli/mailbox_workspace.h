#pragma once
// What the mail commands open: the workspace's database and settings (through the program's
// objects on a terminal), and the account service over them.

#include <memory>
#include <string>

#include "cli/cli_failure.h"
#include "cli/terminal_app.h"
#include "mailbox/neg_conta.h"

namespace quorvel::cli {

struct MailboxWorkspace {
  // Throws CliFailure (status 2): a missing folder, a database or settings that cannot be read.
  explicit MailboxWorkspace(const std::string& homeOpcao);

  TerminalApp t;
  const std::string& home;
  TerminalDialogs& dialogs;
  NullPump& pump;
  TerminalPlatform* platform;
  Database* banco = nullptr;
  Settings* config = nullptr;
  std::unique_ptr<NegConta> neg;
};

// Runs `body` over an opened workspace.
template <class Body>
int comWorkspace(const std::string& home, Body body) {
  MailboxWorkspace w(home);
  return body(w);
}

}  // namespace quorvel::cli
