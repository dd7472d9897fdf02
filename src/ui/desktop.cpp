#include "ui/desktop.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include "app/main_window.h"
#include "ui/grid_view.h"
#include "ui/tfrm_contas.h"
#include "ui/tfrm_definicoes.h"
#include "ui/tfrm_lista.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_mensagens.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_progress.h"
#include "ui/tfrm_quorvel.h"
#include "ui/tfrm_splash.h"
#include "ui/ui_action.h"

namespace quorvel::ui {

Desktop::Desktop(const std::string& programFolder, DesktopOptions opcoes)
    : platform(programFolder),
      dialogs(platform, programFolder),
      progress(dialogs, pump),
      opcoes_(std::move(opcoes)) {
  setErrorDialogs(&dialogs);
  // 1. The data module (the settings are loaded) and the objects the windows show.
  app = std::make_unique<Application>(AppPorts{dialogs, progress, pump, platform});
  // The run's warnings are lines of the validation window and the bulk page, not boxes that
  // would hold the run until someone clicks them.
  app->validator.chain.avisosNaJanela = true;
  // 2. The launcher creates the workspace folders.
  launcher = std::make_unique<Launcher>(*app);
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
  executarAcao([this] { launcher->criar(); });
  frmProgress_ = std::make_unique<TfrmProgress>(progress);
  // The validation window exists from the start, hidden; the definitions window is ticked by
  // its own timer.
  frmQuorvel_ = std::make_unique<TfrmQuorvel>(app->validator);
  app->janelaDefinicoes = true;
  validacao_ = app->validator.notices.listen([this](const ValidatorNotice&) { seguirValidacao(); });
  definicoes_ =
      app->definicoes.notices.listen([this](const DefinitionsNotice&) { seguirDefinicoes(); });
  grandes_ = app->grandes.notices.listen([this](const BulkNotice& n) { seguirGrandes(n); });
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
  executarAcao([this] { launcher->exibir(); });
  criarJanelasCaixaPostal();
  if (!opcoes_.listas.empty()) {
    executarAcao([this] { launcher->abrirQuorvel(); });
    if (launcher->principal)
      executarAcao([this] { launcher->principal->soltarArquivos(opcoes_.listas); });
  }
}

void Desktop::abrirPrincipal() {
  // 5–7. The main window's view over the launcher's new MainWindow; showing it embeds the list
  // editor and starts the 2000 ms timer.
  if (!launcher->principal) return;
  MainWindow& m = *launcher->principal;
  if (mailbox) {
    m.disponiveis.contas = m.disponiveis.caixaPostal = true;
    m.abrirContas = [this] { mostrarContas(); };
    m.abrirCaixaPostal = [this] { mostrarMensagens(); };
  }
  principal_ = new TfrmPrincipal(m);
  principal_->show();
}

void Desktop::seguirValidacao() {
  if (!principal_) return;
  const Validator& v = app->validator;
  // The run reads the working list and writes the result lists between its event breaks.
  principal_->setEnabled(!v.gRodando);
  for (int aba : {kAbaValidos, kAbaInvalidos})
    if (GridView* g = principal_->lista()->grade(aba)) g->setVisible(v.gridsResultadoVisiveis);
}

void Desktop::seguirDefinicoes() {
  if (!app->definicoes.visivel || frmDefinicoes_) return;
  frmDefinicoes_ = new TfrmDefinicoes(app->definicoes);
  frmDefinicoes_->show();
  frmDefinicoes_->raise();
}

void Desktop::seguirGrandes(const BulkNotice& n) {
  // The run tells its progress every 100 lines; only its start and end move the box.
  if (n.kind != BulkNotice::Kind::runStarted && n.kind != BulkNotice::Kind::runEnded) return;
  QScreen* tela = QGuiApplication::primaryScreen();
  if (!tela) return;
  QWidget* caixa = frmProgress_.get();
  if (n.kind == BulkNotice::Kind::runStarted) {
    caixa->move(tela->geometry().left() + 100, caixa->y());
  } else if (n.kind == BulkNotice::Kind::runEnded) {
    QRect r = caixa->frameGeometry();
    r.moveCenter(tela->availableGeometry().center());
    caixa->move(r.topLeft());
  }
}

void Desktop::criarJanelasCaixaPostal() {
  // Both windows are made hidden at start-up; the mailbox window's automatic check runs from
  // then on.
  if (mailbox || !app->dtm.bancoAberto()) return;
  mailbox = std::make_unique<MailboxWindows>(*app);
  frmContas_ = std::make_unique<TfrmContas>(mailbox->contas);
  frmMensagens_ = std::make_unique<TfrmMensagens>(mailbox->caixa);
  mailbox->caixa.abrirContas = [this] { mostrarContas(); };
  // The validation window's links.
  app->validator.abrirContas = [this] { mostrarContas(); };
  app->validator.abrirCaixaPostal = [this] { mostrarMensagens(); };
  app->validator.avisarMudanca();
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

void Desktop::mostrarContas() {
  mostrar(frmContas_.get());
}

void Desktop::mostrarMensagens() {
  mostrar(frmMensagens_.get());
}

}  // namespace quorvel::ui
