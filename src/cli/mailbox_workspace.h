#pragma once
// What the mail commands open: the workspace's database and settings, the terminal ports and
// the account service over them.

#include <memory>
#include <string>

#include "cli/terminal_ports.h"
#include "mailbox/neg_conta.h"
#include "store/banco_dados.h"
#include "store/configuracoes.h"

namespace quorvel::cli {

// The desktop's shell "open" on a terminal: the page is printed for the user to open.
class PrintingPlatform : public TerminalPlatform {
 public:
  using TerminalPlatform::TerminalPlatform;
  void shellOpen(const std::string& alvo) override;
};

struct MailboxWorkspace {
  // Throws std::runtime_error (a missing folder) or BancoDadosErro.
  explicit MailboxWorkspace(const std::string& homeOpcao);

  std::string home;
  TerminalDialogs dialogs;
  NullPump pump;
  std::unique_ptr<PrintingPlatform> platform;
  EstadoColaboracao colaboracao;
  std::unique_ptr<BancoDados> banco;
  std::unique_ptr<Configuracoes> config;
  std::unique_ptr<NegConta> neg;
};

// Runs `body` over an opened workspace; a failure becomes a message on stderr and status 2.
template <class Body>
int comWorkspace(const std::string& home, Body body) {
  try {
    MailboxWorkspace w(home);
    return body(w);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvel-cli: %s\n", e.what());
    return 2;
  }
}

}  // namespace quorvel::cli
