#include "online/definitions_window.h"

#include <cstdio>

#include "common/format.h"
#include "common/paths.h"
#include "online/definition_dates.h"
#include "store/store_failure.h"

namespace quorvel {
namespace {

LinhaDefinicao linhaDe(const char* rotulo, bool visivel = true) {
  LinhaDefinicao l;
  l.rotulo = rotulo;
  l.visivel = visivel;
  return l;
}

}  // namespace

DefinitionsWindow::DefinitionsWindow(ValidationChain& chain, std::string programFolder,
                                     EventPump& pump, Platform& platform)
    : linhas{{linhaDe("Regras personalizadas...", false), linhaDe("Armadilhas..."),
              linhaDe("Extensões de outros países..."), linhaDe("Nomes raros..."),
              linhaDe("Domínios ignorados"), linhaDe("Base de testes MX válidos"),
              linhaDe("Base de testes MX inválidos"), linhaDe("Base negativa de E-mails")}},
      chain_(chain),
      home_(std::move(programFolder)),
      pump_(pump) {
  tmCheck_ = platform.newTicker([this] { tmCheckTimer(); });
}

std::string DefinitionsWindow::arquivoDatas() const {
  return paths::join(home_, kArquivoDatas);
}

void DefinitionsWindow::ligarServico(SyncProtocol& sync, HttpClient& http, Dialogs& dialogs,
                                     const Platform& platform) {
  sync_ = &sync;
  http_ = &http;
  dialogs_ = &dialogs;
  platform_ = &platform;
}

void DefinitionsWindow::mostrar() {
  visivel = true;
  btnAtualizarHabilitado = true;
  linksSemColaboracaoVisiveis = !(colaboracao_ && colaboracao_->gCompartilha);
  iniciar();
}

void DefinitionsWindow::atualizarLinks() {
  linksSemColaboracaoVisiveis = !(colaboracao_ && colaboracao_->gCompartilha);
  avisar();
}

void DefinitionsWindow::iniciar() {
  gEtapa = 0;
  for (auto& l : linhas) {
    l.icone = IconeDefinicao::nenhum;
    l.itens.clear();
    l.indicador.clear();
  }
  painelVisivel = false;
  avisoServico.clear();
  tmCheck_->start(kIntervalo);
  avisar();
}

void DefinitionsWindow::fechar() {
  concluirCarga();
  visivel = false;
  tmCheck_->stop();
  gEtapa = 0;
  avisar();
}

void DefinitionsWindow::concluirCarga() {
  while (timerAtivo() && gEtapa < 20) tmCheckTimer();
}

void DefinitionsWindow::forcarAtualizacao() {
  btnForcarHabilitado = false;
  std::remove(arquivoDatas().c_str());
  gForcarAtualizacoes = true;
  iniciar();
}

void DefinitionsWindow::carregar(Definicao d) {
  // The first five rows are the definition files, in the same order.
  const FilterList& lista =
      carregarDefinicao(chain_, home_, kArquivosDefinicao[static_cast<size_t>(d)]);
  LinhaDefinicao& l = linha(d);
  l.icone = IconeDefinicao::pronto;
  l.itens = "itens: " + formatNumber(static_cast<int64_t>(lista.linhas().size()));
}

void DefinitionsWindow::contar(Definicao d, const char* tabela) {
  LinhaDefinicao& l = linha(d);
  if (!banco_ || !banco_->aberto()) return;  // a failing step is skipped
  try {
    l.itens = "itens: " + formatNumber(banco_->qtdTabela(tabela));
    l.icone = IconeDefinicao::pronto;
  } catch (const StoreFailure&) {
  }
  pump_.processEvents();
}

void DefinitionsWindow::tmCheckTimer() {
  if (!timerAtivo()) return;
  ++gEtapa;
  switch (gEtapa) {
    case 1:
    case 2:
    case 3:
      titulo = kTituloCarregando;
      break;
    case 4:
      linha(Definicao::regras).icone = IconeDefinicao::carregando;
      break;
    case 5:
      carregar(Definicao::regras);
      break;
    case 6:
      linha(Definicao::armadilhas).icone = IconeDefinicao::carregando;
      break;
    case 7:
      carregar(Definicao::armadilhas);
      break;
    case 8:
      linha(Definicao::paises).icone = IconeDefinicao::carregando;
      break;
    case 9:
      carregar(Definicao::paises);
      break;
    case 10:
      linha(Definicao::nomesRaros).icone = IconeDefinicao::carregando;
      break;
    case 11:
      carregar(Definicao::nomesRaros);
      break;
    case 12:
      linha(Definicao::sitesIgnorados).icone = IconeDefinicao::carregando;
      break;
    case 13:
      carregar(Definicao::sitesIgnorados);
      carregarProvedores(chain_, home_);
      break;
    case 14:
    case 16:
    case 18:
      linha(gEtapa == 14   ? Definicao::mxValidos
            : gEtapa == 16 ? Definicao::mxInvalidos
                           : Definicao::emailsInvalidos)
          .icone = IconeDefinicao::carregando;
      break;
    case 15:
      contar(Definicao::mxValidos, kTbMxValidos);
      break;
    case 17:
      contar(Definicao::mxInvalidos, kTbMxInvalidos);
      break;
    case 19:
      contar(Definicao::emailsInvalidos, kTbEmailsInvalidos);
      break;
    case 20:
      titulo = kTituloCarregadas;
      avisar();
      notices.notify({DefinitionsNotice::Kind::loaded});
      return;
    case 21:
      titulo = kTituloVerificando;
      break;
    case 22:
      checarDefinicoesOnline();
      fimDaSequencia();
      break;
    default:
      fimDaSequencia();
      break;
  }
  avisar();
}

void DefinitionsWindow::fimDaSequencia() {
  gEtapa = 0;
  tmCheck_->stop();
  btnForcarHabilitado = true;
}

}  // namespace quorvel
