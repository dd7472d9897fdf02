#include "cli/mailbox_workspace.h"

#include <cstdio>
#include <stdexcept>

#include "common/paths.h"

namespace quorvel::cli {

void PrintingPlatform::shellOpen(const std::string& alvo) {
  std::fprintf(stderr, "quorvel: abra no navegador: %s\n", alvo.c_str());
}

MailboxWorkspace::MailboxWorkspace(const std::string& homeOpcao)
    : home(homeOpcao.empty() ? paths::programFolder() : homeOpcao) {
  if (!paths::ehPasta(home)) throw std::runtime_error("a pasta de trabalho não existe: " + home);
  platform = std::make_unique<PrintingPlatform>(home);
  banco = std::make_unique<BancoDados>(home, colaboracao);
  banco->esperaAberturaMs = 0;
  banco->abrirBD();
  config = std::make_unique<Configuracoes>(home);
  ResultadoConfig r = config->loadConfig();
  if (!r.ok()) throw std::runtime_error(r.mensagem());
  neg = std::make_unique<NegConta>(*banco, *config, *platform, dialogs, pump);
}

}  // namespace quorvel::cli
