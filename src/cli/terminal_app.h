#pragma once
// The program on a terminal: the terminal's ports and the application built over them, for one
// workspace folder.

#include <string>
#include <vector>

#include "app/application.h"
#include "cli/terminal_ports.h"

namespace quorvel::cli {

class TerminalApp {
 public:
  // Throws CliFailure (status 2) when the folder does not exist. A
  // command may bring a progress display and event pump of its own.
  explicit TerminalApp(const std::string& homeOpcao, bool verbose = false,
                       Progress* progresso = nullptr, EventPump* eventos = nullptr);

  const std::string& home() const { return app.home(); }
  ValidationWindow& validationWindow() { return app.validationWindow; }
  ValidationChain& chain() { return app.validationWindow.chain; }
  // The filter lists of the workspace. A workspace that has no providers' list yet (the desktop
  // installs the shipped one at its start) suggests with the list shipped beside the program.
  void carregarDefinicoes();
  // Opens the database and connects the MX and negative-base stages. Throws DatabaseError.
  void abrirBanco() { app.abrirBD(0); }
  // The same, only when a stage that uses the database (MX, negative base) is switched on.
  void abrirBancoSeUsado();
  // What every validating command does first: the filter lists, the stages named in
  // `desligar` switched off, the database when a stage uses it. Throws CliFailure (status 2).
  void prepararCadeia(const std::vector<std::string>& desligar);
  // "Iniciar validação" over the working list with a progress bar; Ctrl+C cancels the run as
  // the window's "Cancelar" does, and the command then ends as cancelled. A run stopped by the
  // store is a CliFailure (status 1).
  void rodarValidacao(const char* rotulo);

  TerminalDialogs dialogs;
  TerminalProgress progress;
  NullPump pump;
  TerminalPlatform platform;
  Progress& progressPort;
  EventPump& pumpPort;
  Application app;
};

}  // namespace quorvel::cli
