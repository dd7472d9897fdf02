#pragma once
// The desktop program put together in the start order: the ports, the program's objects (built
// by Application), the launcher with the splash and the shared dialogs, and the views. It is the
// window-opening port of the program: the models ask it for their windows.

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/launcher_window.h"
#include "app/progress_box.h"
#include "ui/qt_ports.h"

namespace quorvel {
class ExportWindow;
}

namespace quorvel::ui {

class TfrmColabore;
class TfrmDefinicoes;
class TfrmContas;
class TfrmMain;
class TfrmMensagens;
class TfrmPrincipal;
class TfrmQuorvel;
class TfrmProgress;
class TfrmSplash;
class TfrmUpdateApps;

struct DesktopOptions {
  int esperaAberturaMs = 1500;      // the database opening's pause behind the splash
  std::vector<std::string> listas;  // files to load into the main window at once
};

class Desktop : public QObject, public WindowOpener {
  Q_OBJECT
 public:
  explicit Desktop(const std::string& programFolder, DesktopOptions opcoes = {});
  ~Desktop() override;

  // Shows the launcher (opening the database behind the splash); with files to load, opens the
  // main window and drops them onto it.
  void start();

  QtPlatform platform;
  QtDialogs dialogs;
  QtEventPump pump;
  ProgressBox progress;
  std::unique_ptr<Application> app;
  std::unique_ptr<LauncherWindow> launcher;

  TfrmMain* frmMain() const { return frmMain_.get(); }
  TfrmSplash* splash() const { return splash_.get(); }
  TfrmProgress* frmProgress() const { return frmProgress_.get(); }
  // The validation window (made hidden at start-up) and the definitions window while it is open.
  TfrmQuorvel* frmQuorvel() const { return frmQuorvel_.get(); }
  TfrmDefinicoes* frmDefinicoes() const;
  // The main window while it is open.
  TfrmPrincipal* principal() const;
  TfrmContas* frmContas() const { return frmContas_.get(); }
  TfrmMensagens* frmMensagens() const { return frmMensagens_.get(); }
  // The collaboration consent and the program-update window (both made hidden at start-up).
  TfrmColabore* frmColabore() const { return frmColabore_.get(); }
  TfrmUpdateApps* frmUpdateApps() const { return frmUpdateApps_.get(); }

  // The window-opening port: the accounts window and the mailbox window once the database is
  // open; every other window always.
  bool available(WindowId w) const override;
  void open(WindowId w) override;

 signals:
  void encerrado();

 private:
  void abrirPrincipal();
  // The main window follows a validation run: no input while it goes on, its result lists hidden.
  void followValidation();
  // The definitions window is made when the definitions open.
  void followDefinitions();
  // A bulk run puts the progress box near the screen's left edge; it goes back to the centre.
  void followBulkRun(const BulkNotice& n);
  void createMailboxWindows();
  void mostrar(QWidget* janela);
  // The export window, filled by `carregar`, then shown.
  void abrirExportacao(const std::function<void(ExportWindow&)>& carregar);

  DesktopOptions opcoes_;
  std::unique_ptr<TfrmMain> frmMain_;
  std::unique_ptr<TfrmSplash> splash_;
  std::unique_ptr<TfrmProgress> frmProgress_;
  std::unique_ptr<TfrmQuorvel> frmQuorvel_;
  QPointer<TfrmDefinicoes> frmDefinicoes_;
  QPointer<TfrmPrincipal> principal_;
  Notifier<ValidationWindowNotice>::Subscription validacao_;
  Notifier<DefinitionsNotice>::Subscription definicoes_;
  Notifier<BulkNotice>::Subscription grandes_;
  std::unique_ptr<TfrmContas> frmContas_;
  std::unique_ptr<TfrmMensagens> frmMensagens_;
  std::unique_ptr<TfrmColabore> frmColabore_;
  std::unique_ptr<TfrmUpdateApps> frmUpdateApps_;
};

}  // namespace quorvel::ui
