#include "cli/terminal_app.h"

#include "cli/cli_failure.h"
#include "cli/stage_switches.h"
#include "common/paths.h"
#include "online/shipped_definitions.h"

namespace quorvel::cli {
namespace {

std::string pastaExistente(const std::string& homeOpcao) {
  std::string home = homeOpcao.empty() ? paths::programFolder() : homeOpcao;
  if (!paths::isFolder(home)) throw CliFailure("a pasta de trabalho não existe: " + home);
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

void TerminalApp::carregarDefinicoes() {
  app.carregarDefinicoes();
  if (paths::exists(paths::join(paths::dadosConfig(home()), kProvidersFile))) return;
  const std::string embarcadas = pastaDefinicoesEmbarcadas();
  if (!embarcadas.empty())
    chain().gProvedores = loadFilterList(paths::join(embarcadas, kProvidersFile));
}

void TerminalApp::prepararCadeia(const std::vector<std::string>& desligar) {
  carregarDefinicoes();
  switchStagesOff(chain(), desligar);
  try {
    abrirBancoSeUsado();
  } catch (const DatabaseError& e) {
    throw CliFailure(e.what(), kSaidaFalha);
  }
}

void TerminalApp::rodarValidacao(const char* rotulo) {
  ValidationWindow& v = validationWindow();
  // Learnt domains are shared only while the definitions were found current, which the desktop
  // learns from its definitions window at start-up: a sharing user's run checks them first.
  if (app.dtm.colaboracao.gCompartilha) app.definicoes.checarDefinicoesOnline();
  v.mostrar();
  TerminalProgressBar barra(rotulo);
  {
    auto acompanhar = v.notices.listen([&](const ValidationWindowNotice&) {
      if (cancelRequestedByUser()) v.gCancelou = true;
      barra.update(v.barraPos, v.barraMax);
    });
    v.iniciarValidacao();
  }
  barra.finish();
  if (!v.avisoCompartilhamento.empty()) avisar("aviso: " + v.avisoCompartilhamento);
  if (cancelRequestedByUser()) throw CliFailure("cancelado; nada foi gravado", kSaidaCancelado);
  if (!v.erroDaExecucao.empty()) throw CliFailure(v.erroDaExecucao, kSaidaFalha);
}

void TerminalApp::abrirBancoSeUsado() {
  const StageOptions& o = chain().opcoes;
  if (o.ckbTesteMX || o.ckbEmailsInvalidos) abrirBanco();
}

}  // namespace quorvel::cli
