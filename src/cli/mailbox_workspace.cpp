#include "cli/mailbox_workspace.h"

namespace quorvel::cli {

MailboxWorkspace::MailboxWorkspace(const std::string& homeOpcao)
    : t(homeOpcao), home(t.home()), dialogs(t.dialogs), pump(t.pump), platform(&t.platform) {
  // The pages the desktop would open in the browser are printed for the user to open.
  t.platform.mostrarAberturas = true;
  try {
    t.abrirBanco();
  } catch (const DatabaseError& e) {
    throw CliFailure(e.what(), kSaidaFalha);
  }
  if (!t.app.dtm.settingsLoad.ok())
    throw CliFailure(t.app.dtm.settingsLoad.mensagem(), kSaidaFalha);
  banco = &t.app.dtm.banco();
  config = &t.app.dtm.settings;
  neg = std::make_unique<NegConta>(*banco, *config, t.platform, dialogs, pump);
}

}  // namespace quorvel::cli
