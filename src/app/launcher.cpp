#include "app/launcher.h"

#include "app/main_window.h"
#include "lists/list_saving.h"

namespace quorvel {

Launcher::Launcher(Application& a) : app(a) {
  // The update was started, or this build was disabled by the service: the program ends.
  atualizacao_ = app.online.atualizacao.notices.listen([this](const UpdateNotice& n) {
    if (n.kind != UpdateNotice::encerrar) return;
    encerrado = true;
    notify(LauncherNotice::Kind::encerrar);
  });
}

Launcher::~Launcher() = default;

void Launcher::criar() {
  app.criarPastas();
  splash.visivel = true;
  notify();
}

void Launcher::exibir() {
  visivel = true;
  if (jaExibido_) {
    notify();
    return;
  }
  jaExibido_ = true;
  tamanhoFonteMenu = 12;
  ProgramUpdate& atualizacao = app.online.atualizacao;
  const ResultadoBuild build = atualizacao.verificarBuild([this](const std::string& texto) {
    splash.status = texto;
    notify();
  });
  if (build == ResultadoBuild::desabilitada) return;
  painelNovaVersaoVisivel = atualizacao.painelNovaVersaoVisivel;
  // A service that did not answer is not waited for a second time.
  if (build != ResultadoBuild::semResposta) atualizacao.carregarNotas();
  splash.status = kStatusAbrindoBanco;
  notify();
  struct HideSplash {
    Launcher& l;
    ~HideSplash() {
      l.splash.visivel = false;
      l.notify();
    }
  } esconder{*this};
  app.abrirBD(esperaAberturaMs);
}

void Launcher::abrirQuorvel() {
  if (principal) return;
  visivel = false;
  notify();
  principal = std::make_unique<MainWindow>(app, *this);
  principal->aoCriar();
  notify(LauncherNotice::Kind::principalAberta);
}

void Launcher::principalFechada() {
  principal.reset();
  visivel = true;
  notify();
}

bool Launcher::sair() {
  // Lists still unsaved (the main window may be open, or was closed keeping them): a save first.
  if (!salvarAntesDeDescartar(app.editor, {kAbaPrincipal, kAbaValidos, kAbaInvalidos}))
    return false;
  if (app.ports.dialogs.msgPergunta(kMsgEncerrar) != kSim) return false;
  try {
    if (app.dtm.bancoAberto()) app.dtm.banco().fechar();
  } catch (...) {
  }
  encerrado = true;
  notify(LauncherNotice::Kind::encerrar);
  return true;
}

void Launcher::painelNovaVersaoClicado() {
  app.online.atualizacao.painelClicado();
}

void Launcher::tutoriais() {
  app.ports.platform.shellOpen(std::string(kSiteProduto) + "/quorvel/tutoriais/");
}

}  // namespace quorvel
