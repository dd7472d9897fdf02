#include "ui/desktop.h"

#include <QApplication>

#include "app/main_window.h"
#include "ui/tfrm_contas.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_mensagens.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_progress.h"
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
}

Desktop::~Desktop() {
  if (principal_) delete principal_.data();
  setErrorDialogs(nullptr);
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

void Desktop::criarJanelasCaixaPostal() {
  // Both windows are made hidden at start-up; the mailbox window's automatic check runs from
  // then on.
  if (mailbox || !app->dtm.bancoAberto()) return;
  mailbox = std::make_unique<MailboxWindows>(*app);
  frmContas_ = std::make_unique<TfrmContas>(mailbox->contas);
  frmMensagens_ = std::make_unique<TfrmMensagens>(mailbox->caixa);
  mailbox->caixa.abrirContas = [this] { mostrarContas(); };
}

namespace {
void trazerParaFrente(QWidget* janela) {
  janela->show();
  janela->raise();
  janela->activateWindow();
}
}  // namespace

void Desktop::mostrarContas() {
  if (frmContas_) trazerParaFrente(frmContas_.get());
}

void Desktop::mostrarMensagens() {
  if (frmMensagens_) trazerParaFrente(frmMensagens_.get());
}

}  // namespace quorvel::ui
