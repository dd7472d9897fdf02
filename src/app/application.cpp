#include "app/application.h"

#include "app/bulk_run_window.h"
#include "app/store_windows.h"
#include "common/build_info.h"
#include "common/paths.h"
#include "online/shipped_definitions.h"

namespace quorvel {

Application::Application(AppPorts p)
    : ports(p),
      dtm(p.platform.programFolder()),
      online(servicoBaseUrl(), dtm.colaboracao, dtm.settings, p.dialogs, p.pump, p.platform,
             dtm.home),
      extrator(&p.dialogs, &p.progress, &p.pump),
      validationWindow(chain, p.dialogs, p.pump),
      grandes(chain, p.dialogs, p.progress, p.pump, p.platform),
      definicoes(chain, dtm.home, p.pump, p.platform) {
  editor.dialogs = &p.dialogs;
  editor.progress = &p.progress;
  editor.platform = &p.platform;
  editor.pump = &p.pump;
  editor.windows = &windows();
  editor.programFolder = dtm.home;
  // "Rodar o extrator" takes every address, with the progress box.
  editor.extratorEmails = [this](const std::string& texto) {
    return extrator.getEmails(texto, true, false);
  };
  validationWindow.ligarListas(&listasValidacao);
  validationWindow.pastaPrograma = dtm.home;
  validationWindow.windows = &windows();
  definicoes.windows = &windows();
  // A bulk run asked for before the filter lists were loaded loads them first.
  grandesSemDefinicoes_ = grandes.notices.listen([this](const BulkNotice& n) {
    if (n.kind == BulkNotice::Kind::definitionsMissing) carregarDefinicoesAgora();
  });
  definicoes.setColaboracao(&dtm.colaboracao);
  definicoes.ligarServico(online.sync, online.http, p.dialogs, p.platform);
  definicoes.esperar = [this](int ms) { esperarComEventos(ports.pump, ms); };
  validationWindow.setColaboracao(&dtm.colaboracao);
  validationWindow.setSharingPermission(&online.sync);
  // Closing the consent window: the "(sem colaboração) - alterar" links follow the choice.
  consentimentoFechado_ = online.consentimento.notices.listen([this](const ConsentNotice& n) {
    if (n.kind != ConsentNotice::fechada) return;
    validationWindow.avisarMudanca();
    if (definicoes.visivel) definicoes.atualizarLinks();
  });
  // Showing the validation window closes the definitions window.
  validacaoMostrada_ = validationWindow.notices.listen([this](const ValidationWindowNotice& n) {
    if (n.kind == ValidationWindowNotice::Kind::shown && definicoes.visivel) definicoes.fechar();
  });
  grandesNaJanela_ = mostrarGrandesNaJanela(grandes, validationWindow);
}

void Application::createFolders() {
  paths::createFolder(paths::dados(dtm.home));
  paths::createFolder(paths::dadosListas(dtm.home));
  instalarDefinicoesIniciais(dtm.home, pastaDefinicoesEmbarcadas());
}

void Application::abrirBD(int esperaMs) {
  Database& banco = dtm.abrirBD(&ports.pump, esperaMs);
  definicoes.setBanco(&banco);
  if (mx_) return;
  resolver_ = std::make_unique<CaresResolver>(dns);
  mx_ = std::make_unique<TesteMX>(banco, dtm.colaboracao, *resolver_, ports.pump, ports.platform);
  base_ = std::make_unique<NegativeBaseStage>(banco);
  mx_->setCompartilhamento(&online.sync);
  chain.setMxStage(mx_.get());
  chain.setNegativeBase(base_.get());
}

void Application::openStoreWindows() {
  if (storeWindows || !dtm.bancoAberto()) return;
  storeWindows = std::make_unique<StoreWindows>(dtm.banco(), dtm.settings, ports, home());
  MailboxWindow& caixa = storeWindows->caixa;
  caixa.urlDescadastramento = std::string(kSiteProduto) + "/quorvel/tutoriais/descadastramento/";
  caixa.sincronizacao = &online.sync;
  caixa.compartilhamento = &online.sync;
  caixa.windows = &windows();
}

void Application::carregarDefinicoes() {
  quorvel::carregarDefinicoes(chain, dtm.home);
}

void Application::carregarDefinicoesAgora() {
  ports.progress.setProgress("Carregando as definições atuais. Aguarde...", 0);
  struct Esconder {
    Progress& p;
    ~Esconder() { p.hide(); }
  } esconder{ports.progress};
  carregarDefinicoes();
}

}  // namespace quorvel
