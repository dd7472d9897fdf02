#include "app/application.h"

#include "app/build_info.h"
#include "app/bulk_run_window.h"
#include "common/paths.h"
#include "online/shipped_definitions.h"

namespace quorvel {

Application::Application(AppPorts p)
    : ports(p),
      dtm(p.platform.programFolder()),
      online(servicoBaseUrl(), dtm.colaboracao, dtm.settings, p.dialogs, p.pump, p.platform,
             dtm.home),
      extrator(&p.dialogs, &p.progress, &p.pump),
      validator(p.dialogs, p.pump),
      grandes(validator.chain, p.dialogs, p.progress, p.pump, p.platform),
      definicoes(validator.chain, dtm.home, p.pump) {
  editor.dialogs = &p.dialogs;
  editor.progress = &p.progress;
  editor.platform = &p.platform;
  editor.pump = &p.pump;
  editor.programFolder = dtm.home;
  // "Rodar o extrator" takes every address, with the progress box.
  editor.extratorEmails = [this](const std::string& texto) {
    return extrator.getEmails(texto, true, false);
  };
  validator.ligarListas(&listasValidacao);
  validator.pastaPrograma = dtm.home;
  grandes.onAbrirDefinicoes = [this] { carregarDefinicoesAgora(); };
  definicoes.setColaboracao(&dtm.colaboracao);
  definicoes.ligarServico(online.sync, online.http, p.dialogs, p.platform);
  definicoes.esperar = [this](int ms) { esperarComEventos(ports.pump, ms); };
  validator.setColaboracao(&dtm.colaboracao);
  validator.setSharingPermission(&online.sync);
  // Closing the consent window: the "(sem colaboração) - alterar" links follow the choice.
  consentimentoFechado_ = online.consentimento.notices.listen([this](const ConsentNotice& n) {
    if (n.kind != ConsentNotice::fechada) return;
    validator.avisarMudanca();
    if (definicoes.visivel) definicoes.atualizarLinks();
  });
  // Showing the validation window closes the definitions window.
  validator.onFecharDefinicoes = [this] {
    if (definicoes.visivel) definicoes.fechar();
  };
  grandesNaJanela_ = mostrarGrandesNaJanela(grandes, validator);
}

void Application::criarPastas() {
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
  validator.chain.setMxStage(mx_.get());
  validator.chain.setNegativeBase(base_.get());
}

void Application::carregarDefinicoes() {
  quorvel::carregarDefinicoes(validator.chain, dtm.home);
}

void Application::carregarDefinicoesAgora() {
  ports.progress.setProgress("Carregando as definições atuais. Aguarde...", 0);
  struct Esconder {
    Progress& p;
    ~Esconder() { p.hide(); }
  } esconder{ports.progress};
  carregarDefinicoes();
}

void Application::abrirDefinicoes() {
  if (janelaDefinicoes)
    definicoes.mostrar();
  else
    carregarDefinicoes();
}

}  // namespace quorvel
