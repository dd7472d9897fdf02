#include "app/launcher_window.h"

#include "app/main_window.h"
#include "lists/list_saving.h"

namespace quorvel {

LauncherWindow::LauncherWindow(Application& a) : app(a) {
  // The update was started, or this build was disabled by the service: the program ends.
  atualizacao_ = app.online.atualizacao.notices.listen([this](const UpdateNotice& n) {
    if (n.kind != UpdateNotice::encerrar) return;
    encerrado = true;
    notify(LauncherNotice::Kind::encerrar);
  });
}

LauncherWindow::~LauncherWindow() = default;

void LauncherWindow::criar() {
  app.createFolders();
  splash.visivel = true;
  notify();
}

void LauncherWindow::exibir() {
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
  if (build != ResultadoBuild::semResposta) {
    atualizacao.carregarNotas();
    notasVersao = atualizacao.notasVersao;
  }
  splash.status = kStatusAbrindoBanco;
  notify();
  struct HideSplash {
    LauncherWindow& l;
    ~HideSplash() {
      l.splash.visivel = false;
      l.notify();
    }
  } esconder{*this};
  app.abrirBD(esperaAberturaMs);
}

void LauncherWindow::abrirQuorvel() {
  if (principal) return;
  visivel = false;
  notify();
  principal = std::make_unique<MainWindow>(app, *this);
  principal->aoCriar();
  notify(LauncherNotice::Kind::principalAberta);
}

void LauncherWindow::principalFechada() {
  principal.reset();
  visivel = true;
  notify();
}

bool LauncherWindow::sair() {
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

void LauncherWindow::painelNovaVersaoClicado() {
  app.online.atualizacao.painelClicado();
}

void LauncherWindow::abrirEndereco(const std::string& url) {
  // Only web addresses: a page from the service does not get to start programs or open files.
  if (url.rfind("https://", 0) == 0 || url.rfind("http://", 0) == 0)
    app.ports.platform.shellOpen(url);
}

void LauncherWindow::tutoriais() {
  app.ports.platform.shellOpen(std::string(kSiteProduto) + "/quorvel/tutoriais/");
}

}  // namespace quorvel
