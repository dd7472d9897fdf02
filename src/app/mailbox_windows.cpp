#include "app/mailbox_windows.h"

#include "app/build_info.h"
#include "common/paths.h"
#include "common/text_file.h"
#include "lists/list_saving.h"

namespace quorvel {

MailboxWindows::MailboxWindows(Application& app)
    : emailTest(app.home(), launcher, app.ports.pump),
      negConta(app.dtm.banco(), app.dtm.settings, app.ports.platform, app.ports.dialogs,
               app.ports.pump),
      contas(negConta, app.ports.dialogs, app.ports.pump, app.ports.platform, emailTest),
      caixa(app.dtm.banco(), app.dtm.settings, app.ports.dialogs, app.ports.pump,
            app.ports.platform),
      app_(app) {
  caixa.urlDescadastramento = std::string(kSiteProduto) + "/quorvel/tutoriais/descadastramento/";
  caixa.exportarGrid = [this](const NegativeBaseGrid& grid) { salvarGrid(grid); };
  caixa.sincronizacao = &app.online.sync;
  caixa.compartilhamento = &app.online.sync;
}

void MailboxWindows::salvarGrid(const NegativeBaseGrid& grid) {
  Dialogs& dialogos = app_.ports.dialogs;
  const std::string pasta = paths::dadosArquivos(app_.home());
  std::string arquivo =
      dialogos.getFileSave(pasta, paths::join(pasta, kArquivoBaseNegativa), ".csv");
  if (arquivo.empty()) return;
  if (paths::exists(arquivo) && dialogos.msgPergunta(kMsgSobrepor) != kSim) return;
  std::string dados = "\xEF\xBB\xBF";
  acrescentarLinhaCSV(dados,
                      {NegativeBaseGrid::kTitulos.begin(), NegativeBaseGrid::kTitulos.end()});
  dados += "\r\n";
  for (const NegativeBaseRow& l : grid.linhas) {
    acrescentarLinhaCSV(dados, {l.email, l.dataCadastro, l.contaEmail, l.textoRetorno, l.tipoErro});
    dados += "\r\n";
  }
  paths::createFolder(pasta);
  WriteResult escrito = writeFileAtomic(arquivo, dados);
  if (!escrito.ok)
    dialogos.msgErro("Não foi possível salvar o arquivo " + arquivo + ": " + escrito.error);
}

}  // namespace quorvel
