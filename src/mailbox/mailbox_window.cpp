#include "mailbox/mailbox_window.h"

#include <algorithm>
#include <charconv>
#include <ctime>

#include "common/format.h"
#include "common/notice_on_return.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/text_file.h"
#include "lists/list_saving.h"
#include "store/database.h"
#include "store/settings.h"

namespace quorvel {
namespace {

// The whole text as a number; none otherwise.
std::optional<int64_t> numero(std::string_view s) {
  int64_t v = 0;
  auto [fim, erro] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (erro != std::errc() || fim != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

// The entry's text without its unit ("10 minutos" → 10, "1 dia" → 1); none for other texts.
template <size_t N>
std::optional<int64_t> numeroDaEntrada(const std::array<const char*, N>& entradas, int indice,
                                       std::initializer_list<const char*> unidades) {
  if (indice < 0 || indice >= (int)N) return std::nullopt;
  std::string t = entradas[indice];
  for (const char* u : unidades)
    if (size_t p = t.find(u); p != std::string::npos) t.erase(p, std::char_traits<char>::length(u));
  return numero(t);
}

}  // namespace

std::string snippetOpcao1(const std::string& endereco) {
  return "Para se descadastrar de nossa lista, <a href=\"mailto:" + endereco +
         "?subject=remover\">clique aqui</a>";
}

std::string snippetOpcao2(const std::string& endereco) {
  return "mailto:" + endereco + "?subject=remover";
}

MailboxWindow::MailboxWindow(Database& banco, Settings& config, Dialogs& dialogs, EventPump& pump,
                             Platform& platform)
    : grid(banco),
      banco_(banco),
      config_(config),
      dialogs_(dialogs),
      pump_(pump),
      platform_(platform) {
  gLastCheck = platform_.now();
  gNegConta = std::make_unique<NegConta>(banco_, config_, platform_, dialogs_, pump_);
  edtOpcao1 = edtOpcao2 =
      "Para se descadastrar de nossa lista, <a href=\"mailto:#email\">clique aqui</a>";
  tmAutoCheck_ = platform_.newTicker([this] { tmAutoCheckTimer(); });
  tmAutoCheck_->start(kIntervaloChecagem);
}

MailboxWindow::~MailboxWindow() = default;

void MailboxWindow::mostrar() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  [&] {
    auto minutos = numero(config_.valor(kCheckMinutes));
    if (!minutos) return;  // an unreadable setting stops the loading here
    cmbCheckMinutes = static_cast<int>(*minutos);
    ckbApagar = config_.valor(kCheckDelete) == "-1";
    // A setting that was never saved keeps the field's 500, not "no limit".
    if (config_.gConfig.has(kCheckMax)) edtMax = config_.valor(kCheckMax);
    auto dias = numero(config_.valor(kCheckDays));
    if (!dias) return;
    cmbCheckDays = static_cast<int>(*dias);
    setUnsubscribeAddress(config_.valor(kCheckUnsubscribe));
    mmoAssunto.clear();
    for (const auto& r : config_.gConfigSubject) mmoAssunto.push_back(trim(r));
    mmoCorpo.clear();
    for (const auto& r : config_.gConfigBody) mmoCorpo.push_back(trim(r));
  }();
  atualizarDadosEmails();
  exibirEmails();
  dialogs_.msgDica(kIdDicaChecagem, kDicaChecagem, 450);
  pagina = PaginaMensagens::baseNegativa;
  avisar();
}

void MailboxWindow::salvarConfigs(bool silent) {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  try {
    NameValueList& c = config_.gConfig;
    c.setValue(kCheckMinutes, std::to_string(cmbCheckMinutes));
    c.setValue(kCheckDelete, ckbApagar ? "-1" : "0");
    c.setValue(kCheckMax, edtMax);
    c.setValue(kCheckDays, std::to_string(cmbCheckDays));
    c.setValue(kCheckUnsubscribe, edtUnsubscribe);
    config_.gConfigSubject.clear();
    config_.gConfigSubject.addAll(mmoAssunto);
    config_.gConfigBody.clear();
    config_.gConfigBody.addAll(mmoCorpo);
    config_.saveConfig();
  } catch (const std::exception&) {
  }
  if (!silent) dialogs_.msgInformacao(kMsgConfigsAtualizadas);
}

void MailboxWindow::fecharClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  salvarConfigs(true);
}

void MailboxWindow::btnChecarClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  // A click that waited in the queue while a run let events through starts nothing.
  if (!btnChecarHabilitado) return;
  pagina = PaginaMensagens::baseNegativa;
  salvarConfigs(true);
  executarValidacao();
}

void MailboxWindow::btnCancelarClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (gNegConta) gNegConta->gCancelou = true;
  btnCancelarVisivel = false;
  avisar();
}

std::optional<int64_t> MailboxWindow::intervaloSegundos() const {
  auto m = numeroDaEntrada(kIntervalos, cmbCheckMinutes, {" minutos", " minuto"});
  if (!m) return std::nullopt;
  return *m * 60;
}

OpcoesChecagem MailboxWindow::opcoesChecagem() const {
  OpcoesChecagem o;
  o.forcado = ckbForcar;
  o.limiteDias =
      static_cast<int>(numeroDaEntrada(kLimitesDias, cmbCheckDays, {" dias", " dia"}).value_or(0));
  o.maximo = static_cast<int>(std::max<int64_t>(numero(trim(edtMax)).value_or(0), 0));
  return o;
}

void MailboxWindow::tmAutoCheckTimer() {
  if (!tmAutoCheck_->active() || !btnChecarHabilitado) return;
  auto intervalo = intervaloSegundos();
  if (!intervalo) return;
  if (platform_.now() - gLastCheck > std::chrono::seconds(*intervalo)) btnChecarClick();
}

void MailboxWindow::executarValidacao() {
  std::vector<AccountRow> contas = gNegConta->accounts();
  if (contas.empty()) {
    if (dialogs_.msgPergunta(kMsgSemContaChecar) == kSim) windows->open(WindowId::accounts);
    return;
  }
  log.clear();
  contasComFalha = 0;
  avisar(MailboxNotice::Kind::log);
  tmAutoCheck_->stop();
  pnTrabalhandoVisivel = true;
  // Disabled before events go through, so that no second run can start inside this one.
  btnChecarHabilitado = false;
  avisar();
  pump_.processEvents();
  try {
    for (const auto& c : contas) {
      if (!c.ativa) continue;
      gEmailConta = c.email;
      gFolder = "INBOX";
      checkMessages();
    }
  } catch (const std::exception&) {
  }
  if (gridPendente_) {
    gridLidoEm_ = {};
    baseNegativaMudou();
  }
  ckbForcar = false;
  btnChecarHabilitado = true;
  pnTrabalhandoVisivel = false;
  atualizarDadosEmails();
  gLastCheck = platform_.now();
  tmAutoCheck_->start(kIntervaloChecagem);
  avisar();
}

void MailboxWindow::checkMessages() {
  const std::string email = gEmailConta;
  try {
    setLogGeral("Iniciando conta " + email + "...", kPreto);
    if (!configPegarTodos(email, "INBOX")) {
      if (gNegConta && gNegConta->gCancelou) {
        // "Cancelar" while the server was still being reached.
        gNegConta->gCancelou = false;
        setLogGeral(email + ": CHECAGEM - Checagem cancelada", kPreto);
      } else {
        ++contasComFalha;
        setLogGeral(email + ": CHECAGEM - Falha ao conectar. Verifique as configurações da conta",
                    kPreto);
      }
    } else {
      setLogGeral("Conta " + email + " conectada com sucesso!", kPreto);
      setLogGeral("Iniciando checagem de retornos...", kPreto);
      try {
        gLista = gNegConta->getMessages(*gImap, *gConta, "INBOX", 1, gQtdMsg);
        setLogGeral(email + " CHECAGEM - Checagem concluída!", kPreto);
      } catch (const std::exception& e) {
        ++contasComFalha;
        setLogGeral(email + " CHECAGEM - Erro ao pegar mensagens: " + e.what(), kPreto);
      }
    }
  } catch (const std::exception&) {
  }
  if (gImap) gImap->disconnect();
}

void MailboxWindow::liberarConexao() {
  gConta.reset();
  gImap.reset();
  gNegConta.reset();
  gOpenSSLHandler.reset();
}

bool MailboxWindow::configPegarTodos(const std::string& email, const std::string& pasta) {
  liberarConexao();
  gImap = std::make_unique<ImapClient>();
  gNegConta = std::make_unique<NegConta>(banco_, config_, platform_, dialogs_, pump_);
  gOpenSSLHandler = std::make_unique<TlsHandler>();
  gImap->ioHandler = gOpenSSLHandler.get();
  gImap->connectTimeoutS = timeoutConexaoS;
  gImap->readTimeoutS = timeoutLeituraS;
  // The window keeps answering while the server is awaited, and "Cancelar" cuts the wait.
  gImap->aoEsperar = [this] { pump_.processEvents(); };
  gImap->cancelado = [this] { return gNegConta && gNegConta->gCancelou; };
  NegConta& n = *gNegConta;
  n.opcoes = opcoesChecagem();
  n.observador = this;
  n.sincronizacao = sincronizacao;
  n.compartilhamento = compartilhamento;
  n.gEmailsInvalidos = &gEmailsInvalidos;
  n.gPularConta = &gPularConta;
  n.origem = origem;
  bool conectado = false;
  try {
    gConta = n.getConta(email);
    if (!gConta) return false;
    gFolder = pasta;
    NegConta::configMailComponents2(*gImap, *gOpenSSLHandler, *gConta);
    if (!gImap->connected()) conectado = n.ImapConnect(*gImap, *gConta, true).empty();
    gQtdMsg = n.getFolderQtd(*gImap, pasta);
  } catch (const std::exception&) {
  }
  return conectado;
}

void MailboxWindow::setLogGeral(const std::string& mensagem, Cor cor) {
  if (!ckbRolar) return;
  log.push_back({dataHoraTexto(platform_.now()), mensagem, cor});
  avisar(MailboxNotice::Kind::log);
}

void MailboxWindow::mostrarProgresso(int64_t maximo) {
  progressoVisivel = btnCancelarVisivel = true;
  progressoMax = maximo;
  progressoPos = 0;
  avisar();
}

void MailboxWindow::avancarProgresso() {
  ++progressoPos;
  avisar();
}

void MailboxWindow::esconderProgresso() {
  progressoVisivel = btnCancelarVisivel = false;
  avisar();
}

void MailboxWindow::mostrarSincronizando(bool visivel) {
  lbSincronizandoVisivel = visivel;
  avisar();
}

void MailboxWindow::baseNegativaMudou() {
  // Only a window reads the grid; a batch run does not pay for refreshing it.
  if (!grid.notices.hasListeners()) return;
  // Reading the grid again costs as much as the base is large (some 70 ms for 50,000 rows): during
  // a scan it is read a few times a second at most, and never for more than a tenth of the time;
  // once more when the run ends.
  const auto agora = std::chrono::steady_clock::now();
  if (agora - gridLidoEm_ < gridIntervalo_) {
    gridPendente_ = true;
    return;
  }
  gridPendente_ = false;
  grid.abrir();
  if (ckbRolar) grid.irParaUltima();
  gridLidoEm_ = std::chrono::steady_clock::now();
  gridIntervalo_ =
      std::max<std::chrono::steady_clock::duration>(kIntervaloGrid, (gridLidoEm_ - agora) * 10);
}

void MailboxWindow::exibirEmails() {
  grid.abrir();
}

void MailboxWindow::atualizarDadosEmails() {
  NameValueList q(splitLines(banco_.qtdEmailsOnline()));
  lbDeSuasContas = formatNumber(numero(q.value("seu")).value_or(0));
  lbOnline = formatNumber(numero(q.value("online")).value_or(0));
  lbContasConfiguradas =
      formatNumber(static_cast<int64_t>(gNegConta ? gNegConta->accounts().size() : 0));
  avisar();
}

void MailboxWindow::setUnsubscribeAddress(const std::string& endereco) {
  edtUnsubscribe = endereco;
  edtOpcao1 = snippetOpcao1(endereco);
  edtOpcao2 = snippetOpcao2(endereco);
  avisar();
}

void MailboxWindow::abrirExplicacaoDescadastramento() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (!urlDescadastramento.empty()) platform_.shellOpen(urlDescadastramento);
}

void MailboxWindow::btnConfigurarContasClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  windows->open(WindowId::accounts);
}

void MailboxWindow::ajudaBaseNegativa() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  dialogs_.msgAjuda(kAjudaBaseNegativa, 0, 450);
}

void MailboxWindow::ajudaFiltros() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  dialogs_.msgAjuda(kAjudaFiltros, 0, 450);
}

void MailboxWindow::ajudaForcar() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  dialogs_.msgAjuda(kAjudaForcar, 0, 350);
}

void MailboxWindow::btnExcluirClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (dialogs_.msgPergunta(kMsgApagarRegistro) != kSim) return;
  grid.excluirAtual();
  atualizarDadosEmails();
}

void MailboxWindow::btnApagarTudoClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (dialogs_.msgPergunta(kMsgApagarTudo) != kSim) return;
  banco_.apagarTabela(kTbEmailsInvalidos);
  exibirEmails();
  atualizarDadosEmails();
}

void MailboxWindow::btnNovoDescadastramentoClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  std::string v = dialogs_.pedirValor(kMsgNovoDescadastramento, "");
  if (utf16Length(v) <= 7) return;
  try {
    grid.inserirDescadastro(trim(v), diaLocal(platform_.now()));
  } catch (const std::exception& e) {
    dialogs_.msgInformacao(e.what());
    return;
  }
  exibirEmails();
  atualizarDadosEmails();
}

void MailboxWindow::localizar(const std::string& inicio) {
  grid.localizar(inicio);
}

void MailboxWindow::clicarTitulo(int coluna) {
  grid.clicarTitulo(coluna);
}

void MailboxWindow::btnSalvarGridClick() {
  // Where the export window exists, the grid goes there to be tidied and written in any form.
  if (windows->available(WindowId::exportNegativeBase)) {
    windows->open(WindowId::exportNegativeBase);
    return;
  }
  const NoticeOnReturn aviso{[this] { avisar(); }};
  const std::string pasta = paths::dadosArquivos(platform_.programFolder());
  std::string arquivo =
      dialogs_.getFileSave(pasta, paths::join(pasta, kArquivoBaseNegativa), ".csv");
  if (arquivo.empty()) return;
  if (paths::exists(arquivo) && dialogs_.msgPergunta(kMsgSobrepor) != kSim) return;
  // The grid as it is shown (filters and order), as a list file the list editor opens.
  std::vector<std::vector<std::string>> linhas;
  linhas.reserve(grid.linhas.size() + 1);
  linhas.emplace_back(NegativeBaseGrid::kTitulos.begin(), NegativeBaseGrid::kTitulos.end());
  for (const NegativeBaseRow& l : grid.linhas)
    linhas.push_back({l.email, l.dataCadastro, l.contaEmail, l.textoRetorno, l.tipoErro});
  paths::createFolder(pasta);
  WriteResult escrito = writeFileAtomic(arquivo, textoListaCSV(linhas));
  if (!escrito.ok)
    dialogs_.msgErro("Não foi possível salvar o arquivo " + arquivo + ": " + escrito.error);
}

}  // namespace quorvel
