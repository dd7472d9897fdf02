#include "cli/terminal_app.h"

#include <stdexcept>

#include "common/paths.h"

namespace quorvel::cli {
namespace {

std::string pastaExistente(const std::string& homeOpcao) {
  std::string home = homeOpcao.empty() ? paths::programFolder() : homeOpcao;
  if (!paths::isFolder(home)) throw std::runtime_error("a pasta de trabalho não existe: " + home);
  return home;
}

}  // namespace

TerminalApp::TerminalApp(const std::string& homeOpcao, bool verbose, Progress* progresso,
                         EventPump* eventos)
    : platform(pastaExistente(homeOpcao)),
      progressPort(progresso ? *progresso : progress),
      pumpPort(eventos ? *eventos : pump),
      app({dialogs, progressPort, pumpPort, platform}) {
  dialogs.verbose = verbose;
}

void TerminalApp::abrirBancoSeUsado() {
  const StageOptions& o = chain().opcoes;
  if (o.ckbTesteMX || o.ckbEmailsInvalidos) abrirBanco();
}

}  // namespace quorvel::cli
