#include "ui/desktop.h"

#include <QApplication>

#include "app/main_window.h"
#include "ui/grid_view.h"
#include "ui/tfrm_colabore.h"
#include "ui/tfrm_contas.h"
#include "ui/tfrm_definicoes.h"
#include "ui/tfrm_export.h"
#include "ui/tfrm_lista.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_mensagens.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_progress.h"
#include "ui/tfrm_quorvel.h"
#include "ui/tfrm_splash.h"
#include "ui/tfrm_update_apps.h"
#include "ui/ui_action.h"
#include "ui/window_placement.h"

namespace quorvel::ui {

Desktop::Desktop(const std::string& programFolder, DesktopOptions opcoes)
    : platform(programFolder),
      dialogs(platform, programFolder),
      progress(dialogs, pump),
      opcoes_(std::move(opcoes)) {
  setErrorDialogs(&dialogs);
  // 1. The data module (the settings are loaded) and the objects the windows show.
  app = std::make_unique<Application>(AppPorts{dialogs, progress, pump, platform, this});
  // The run's warnings are lines of the validation window and the bulk page, not boxes that
  // would hold the run until someone clicks them.
  app->validationWindow.chain.avisosNaJanela = true;
  // 2. The launcher creates the workspace folders.
  launcher = std::make_unique<LauncherWindow>(*app);
  launcher->esperaAberturaMs = opcoes_.esperaAberturaMs;
  frmMain_ = std::make_unique<TfrmMain>(*launcher);
  connect(frmMain_.get(), &TfrmMain::principalAberta, this, [this] { abrirPrincipal(); });
  connect(frmMain_.get(), &TfrmMain::encerrar, this, [this] {
    emit encerrado();
    QCoreApplication::quit();
  });
  // 3. The splash, then the shared dialogs (the message kit, the file and save windows live in
  // `dialogs`) and the progress box.
  splash_ = std::make_unique<TfrmSplash>(*launcher);
  runGuarded([this] { launcher->criar(); });
  frmProgress_ = std::make_unique<TfrmProgress>(progress);
  // The program-update window and the collaboration consent, hidden until they are needed.
  frmUpdateApps_ = std::make_unique<TfrmUpdateApps>(app->online.atualizacao);
  frmColabore_ = std::make_unique<TfrmColabore>(app->online.consentimento);
  // The validation window exists from the start, hidden; the definitions window is ticked by
  // its own timer.
  frmQuorvel_ = std::make_unique<TfrmQuorvel>(app->validationWindow);
  validacao_ = app->validationWindow.notices.listen(
      [this](const ValidationWindowNotice&) { followValidation(); });
  definicoes_ =
      app->definicoes.notices.listen([this](const DefinitionsNotice&) { followDefinitions(); });
  grandes_ = app->grandes.notices.listen([this](const BulkNotice& n) { followBulkRun(n); });
}

Desktop::~Desktop() {
  validacao_.cancel();
  definicoes_.cancel();
  grandes_.cancel();
  if (frmDefinicoes_) delete frmDefinicoes_.data();
  if (principal_) delete principal_.data();
  setErrorDialogs(nullptr);
}

TfrmDefinicoes* Desktop::frmDefinicoes() const {
  return frmDefinicoes_.data();
}

TfrmPrincipal* Desktop::principal() const {
  return principal_.data();
}

void Desktop::start() {
  // 4. The launcher shows; its first showing opens the database behind the splash.
  runGuarded([this] { launcher->exibir(); });
  createMailboxWindows();
  if (!opcoes_.listas.empty()) {
    runGuarded([this] { launcher->abrirQuorvel(); });
    if (launcher->principal)
      runGuarded([this] { launcher->principal->soltarArquivos(opcoes_.listas); });
  }
}

void Desktop::abrirPrincipal() {
  // 5–7. The main window's view over the launcher's new MainWindow; showing it embeds the list
  // editor and starts the 2000 ms timer.
  if (!launcher->principal) return;
  principal_ = new TfrmPrincipal(*launcher->principal);
  principal_->show();
}

void Desktop::followValidation() {
  if (!principal_) return;
  const ValidationWindow& v = app->validationWindow;
  // The run reads the working list and writes the result lists between its event breaks.
  principal_->setEnabled(!v.gRodando);
  for (int aba : {kAbaValidos, kAbaInvalidos})
    if (GridView* g = principal_->lista()->grade(aba)) g->setVisible(v.gridsResultadoVisiveis);
}

void Desktop::followDefinitions() {
  if (!app->definicoes.visivel || frmDefinicoes_) return;
  frmDefinicoes_ = new TfrmDefinicoes(app->definicoes);
  frmDefinicoes_->show();
  frmDefinicoes_->raise();
}

void Desktop::followBulkRun(const BulkNotice& n) {
  // The run tells its progress every 100 lines; only its start and end move the box.
  if (n.kind == BulkNotice::Kind::runStarted)
    WindowPlacement::nearLeftEdge(frmProgress_.get(), 100);
  else if (n.kind == BulkNotice::Kind::runEnded)
    WindowPlacement::centreOnScreen(frmProgress_.get(), true);
}

void Desktop::createMailboxWindows() {
  // Both windows are made hidden at start-up; the mailbox window's automatic check runs from
  // then on.
  if (frmContas_) return;
  app->openStoreWindows();
  if (!app->storeWindows) return;
  frmContas_ = std::make_unique<TfrmContas>(app->storeWindows->contas);
  frmMensagens_ = std::make_unique<TfrmMensagens>(app->storeWindows->caixa);
  // The validation window's links follow.
  app->validationWindow.avisarMudanca();
}

void Desktop::abrirExportacao(const std::function<void(ExportWindow&)>& carregar) {
  // A new window for every request, filled before it shows; it goes when it is closed.
  auto* janela = new TfrmExport(dialogs, progress, platform);
  carregar(janela->modelo());
  mostrar(janela);
}

void Desktop::mostrar(QWidget* janela) {
  if (!janela) return;
  // The validation window stays on top: while it shows, what it (or a window it opened) opens
  // stays on top too, or it would open behind it.
  const bool acima = frmQuorvel_ && frmQuorvel_->isVisible();
  if (janela->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != acima)
    janela->setWindowFlag(Qt::WindowStaysOnTopHint, acima);
  janela->show();
  janela->raise();
  janela->activateWindow();
}

bool Desktop::available(WindowId w) const {
  switch (w) {
    case WindowId::validation:
    case WindowId::definitions:
      return true;
    case WindowId::accounts:
    case WindowId::mailbox:
      return frmContas_ != nullptr;
    case WindowId::exportWindow:
      return true;
    case WindowId::exportNegativeBase:
      return frmMensagens_ != nullptr;
    case WindowId::collaboration:
      return true;
  }
  return false;
}

void Desktop::open(WindowId w) {
  switch (w) {
    case WindowId::validation:
      app->validationWindow.mostrar();
      break;
    case WindowId::definitions:
      // The window is made when its model shows (followDefinitions).
      app->definicoes.mostrar();
      break;
    case WindowId::accounts:
      mostrar(frmContas_.get());
      break;
    case WindowId::mailbox:
      mostrar(frmMensagens_.get());
      break;
    case WindowId::exportWindow:
      abrirExportacao([this](ExportWindow& e) { e.exportarDaLista(*app->editor.gGrid); });
      break;
    case WindowId::exportNegativeBase:
      if (app->storeWindows)
        abrirExportacao(
            [this](ExportWindow& e) { e.exibirDataset(app->storeWindows->caixa.grid); });
      break;
    case WindowId::collaboration:
      // Always on top of its own: it shows over the definitions and validation windows too.
      app->online.consentimento.mostrar();
      frmColabore_->raise();
      frmColabore_->activateWindow();
      break;
  }
}

}  // namespace quorvel::ui
