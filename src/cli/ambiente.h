#pragma once
// What every command needs from a workspace: the filter lists, the database and the stages that
// use it, wired as the desktop wires them.

#include <memory>
#include <optional>
#include <string>

#include "cli/terminal_ports.h"
#include "store/database.h"
#include "validation/cares_resolver.h"
#include "validation/negative_base_stage.h"
#include "validation/teste_mx.h"
#include "validation/validator.h"

namespace quorvel::cli {

class Ambiente {
 public:
  // Throws std::runtime_error with the message to print when the folder does not exist.
  explicit Ambiente(const std::string& homeOpcao, bool verbose = false);

  // Opens the database and connects the MX and negative-base stages. Throws DatabaseError.
  void abrirBanco();
  // The same, only when a stage that uses the database (MX, negative base) is switched on.
  void abrirBancoSeUsado();

  std::string home;
  TerminalDialogs dialogs;
  NullPump pump;
  Validator validador{dialogs, pump};
  SharingFlags colaboracao;
  std::unique_ptr<Database> banco;
  std::unique_ptr<CaresResolver> resolver;
  std::unique_ptr<TesteMX> mx;
  std::unique_ptr<NegativeBaseStage> base;
};

}  // namespace quorvel::cli
