#include "mailbox/accounts_window.h"

#include <algorithm>

#include "common/name_value_list.h"
#include "common/notice_on_return.h"
#include "common/text.h"

namespace quorvel {
namespace {

template <size_t N>
ListaTextos lista(const std::array<const char*, N>& textos) {
  return {std::vector<std::string>(textos.begin(), textos.end()), 0};
}

bool contemAlgum(const std::string& s, const std::vector<std::string>& padroes) {
  for (const auto& p : padroes)
    if (s.find(p) != std::string::npos) return true;
  return false;
}

// The domains named after a failed test and by "Avançar".
constexpr const char* kDominioGmail = "@gmail.com";
constexpr const char* kDominioYahoo = "@yahoo.com";
constexpr const char* kDominioGlobo = "@globo.com";

}  // namespace

// clang-format off
const std::vector<Provedor> kProvedores = {
    {{"@globo."}, "imap.globo.com", "993", "SASL", "TLS implícito", "IPV6", "Não definido", "TLSv1"},
    {{"@yahoo."}, "imap.mail.yahoo.com", "993", "Padrão", "TLS implícito", "IPV4", "Não definido", "TLSv1"},
    {{"@gmail."}, "imap.gmail.com", "143", "Padrão", "TLS implícito", "IPV4", "Não definido", "TLSv1"},
    {{"@bol."}, "imap.bol.com.br", "993", "Padrão", "Sem suporte a TLS", "IPV4", "Não definido", "TLSv1"},
    {{"@hotmail.", "@outlook.", "@msn."}, "outlook.office365.com", "993", "Padrão", "TLS implícito", "IPV4", "Não definido", "TLSv1"},
};
// clang-format on

const Provedor* provedorDe(const std::string& emailMinusculo) {
  for (const auto& p : kProvedores)
    if (contemAlgum(emailMinusculo, p.padroes)) return &p;
  return nullptr;
}

std::string avisoAplicativosMenosSeguros(const std::string& provedor) {
  return "Atenção: para poder trabalhar com contas do " + provedor +
         ", é necessário ativar o acesso a aplicativos menos seguros, senão o Quorvel e alguns "
         "outros clientes de e-mail não conseguirão acessar sua conta. Clique no botão \"Ok\" "
         "para acessar esta configuração";
}

AccountsWindow::AccountsWindow(NegConta& neg, Dialogs& dialogs, EventPump& pump, Platform& platform,
                               CLEmailTest& emailTest)
    : cmbUsarTLS(lista(kTextosUsarTLS)),
      cmbTipoAutenticacao(lista(kTextosTipoAutenticacao)),
      cmbVersaoIp(lista(kTextosVersaoIp)),
      cmbModoSSL(lista(kTextosModoSSL)),
      cmbMetodoSSL(lista(kTextosMetodoSSL)),
      neg_(neg),
      dialogs_(dialogs),
      pump_(pump),
      platform_(platform),
      emailTest_(emailTest) {
  tmConfig_ = platform_.newTicker([this] { tmConfigTimer(); });
  tmPisca_ = platform_.newTicker([this] { tmPiscaTimer(); });
}

void AccountsWindow::recarregar() {
  contas = neg_.accounts();
  if (linhaAtual >= (int)contas.size()) linhaAtual = (int)contas.size() - 1;
  if (linhaAtual < 0 && !contas.empty()) linhaAtual = 0;
}

bool AccountsWindow::contaAtiva() const {
  return linhaAtual >= 0 && linhaAtual < (int)contas.size() && contas[linhaAtual].ativa;
}

void AccountsWindow::mostrar() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  pagina = PaginaContas::contasCadastradas;
  recarregar();
  tmPisca_->start(kIntervaloTimers);
  avisar();
}

void AccountsWindow::fechar() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  novaConta_ = false;
  tmConfig_->stop();
  tmPisca_->stop();
  recarregar();
}

void AccountsWindow::selecionarItem(ListaTextos& l, const std::string& texto) {
  for (size_t i = 0; i < l.itens.size(); ++i) {
    l.indice = static_cast<int>(i);
    if (l.itens[i] == texto) return;
  }
}

void AccountsWindow::limparCampos() {
  edtEmail.clear();
  edtSenha.clear();
  edtServidor.clear();
  edtPorta.clear();
  edtUsuario.clear();
  for (ListaTextos* l :
       {&cmbUsarTLS, &cmbTipoAutenticacao, &cmbVersaoIp, &cmbModoSSL, &cmbMetodoSSL})
    l->indice = 0;
}

void AccountsWindow::preencherConexao(const std::string& servidor, const std::string& porta,
                                      const std::string& tipoAuth, const std::string& usarTLS,
                                      const std::string& versaoIP, const std::string& modoSSL,
                                      const std::string& metodoSSL, bool usuarioEhEmail) {
  if (!isBlank(servidor)) edtServidor = servidor;
  if (!isBlank(porta)) edtPorta = porta;
  if (!isBlank(tipoAuth)) selecionarItem(cmbTipoAutenticacao, tipoAuth);
  if (!isBlank(usarTLS)) selecionarItem(cmbUsarTLS, usarTLS);
  if (!isBlank(versaoIP)) selecionarItem(cmbVersaoIp, versaoIP);
  if (!isBlank(modoSSL)) selecionarItem(cmbModoSSL, modoSSL);
  if (!isBlank(metodoSSL)) selecionarItem(cmbMetodoSSL, metodoSSL);
  edtUsuario = usuarioEhEmail ? edtEmail : edtEmail.substr(0, edtEmail.find('@'));
}

void AccountsWindow::irParaAvancadas() {
  pagina = PaginaContas::configuracoesAvancadas;
  avisar();
  pump_.processEvents();
}

void AccountsWindow::tentarConfigurar(const std::string& email) {
  for (const auto& p : kProvedores) {
    if (!contemAlgum(email, p.padroes)) continue;
    preencherConexao(p.servidor, p.porta, p.tipoAuth, p.usarTLS, p.versaoIp, p.modoSSL, p.metodoSSL,
                     true);
    return;
  }
  preencherConexao("", "143", "Padrão", "TLS implícito", "IPV4", "Não definido", "TLSv1", true);
  dialogs_.msgInformacao(kMsgDefinaServidor);
  irParaAvancadas();
  foco = "servidor";
}

CLContas AccountsWindow::contaDosCampos() const {
  CLContas c;
  c.email = edtEmail;
  c.senha = edtSenha;
  c.ImapServidor = edtServidor;
  c.ImapPorta = edtPorta;
  c.ImapNomeUsuario = edtUsuario;
  c.ImapUsarTLS = cmbUsarTLS.texto();
  c.ImapTipoAutenticacao = cmbTipoAutenticacao.texto();
  c.ImapVersaoIp = cmbVersaoIp.texto();
  c.ImapModoSSL = cmbModoSSL.texto();
  c.ImapMetodoSSL = cmbMetodoSSL.texto();
  return c;
}

void AccountsWindow::btnSalvarClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (isBlank(edtEmail)) {
    dialogs_.msgErro(kMsgInformeEmail);
    return;
  }
  salvarConta();
}

bool AccountsWindow::salvarConta() {
  CLContas c = contaDosCampos();
  // A page changed by hand during a new entry saves too: with no address yet there is nothing
  // to store.
  if (isBlank(c.email)) return false;
  bool guardada = false;
  if (novaConta_) {
    guardada = neg_.newContaSave(c);
    if (guardada) {
      novaConta_ = false;
      emailHabilitado = false;
      contaAtivaVisivel = true;
    }
  } else {
    guardada = neg_.editConta(c);
  }
  testarHabilitado = true;
  recarregar();
  // Keep the saved account selected in the grid.
  for (size_t i = 0; i < contas.size(); ++i)
    if (contas[i].email == c.email) {
      linhaAtual = static_cast<int>(i);
      break;
    }
  avisar();
  return guardada;
}

void AccountsWindow::carregarConta() {
  if (novaConta_) {
    novaConta_ = false;
    emailHabilitado = false;
    contaAtivaVisivel = true;
    dialogs_.msgInformacao(kMsgSaiuInsercao);
  }
  if (linhaAtual < 0 || linhaAtual >= (int)contas.size()) return;
  try {
    const AccountRow r = contas[linhaAtual];
    std::optional<CLContas> c = neg_.getConta(r.email);
    if (c) {
      edtEmail = r.email;
      preencherConexao(c->ImapServidor, c->ImapPorta, c->ImapTipoAutenticacao, c->ImapUsarTLS,
                       c->ImapVersaoIp, c->ImapModoSSL, c->ImapMetodoSSL, true);
    }
    edtUsuario = r.nomeUsuario;
    edtEmail = r.email;
    edtSenha = r.senha;
  } catch (const std::exception&) {
    // The fields keep what they had.
  }
  avisar();
}

void AccountsWindow::btnNovaContaClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  limparCampos();
  novaConta_ = true;
  emailHabilitado = true;
  testarHabilitado = false;
  contaAtivaVisivel = false;
  pagina = PaginaContas::detalhes;
  avisar();
  pump_.processEvents();
  foco = "email";
}

void AccountsWindow::btnCancelarClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  novaConta_ = false;
  emailHabilitado = false;
  testarHabilitado = true;
  contaAtivaVisivel = true;
  pagina = PaginaContas::contasCadastradas;
  recarregar();
  avisar();
}

void AccountsWindow::btnAvancarClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (novaConta_) {
    std::string email = toLower(edtEmail);
    static const std::vector<std::string> conhecidos = {
        "@gmail", "@yahoo", "@outlook", "@hotmail", "@msn", "@bol", kDominioGlobo};
    if (!contemAlgum(email, conhecidos)) {
      irParaAvancadas();
      dialogs_.msgInformacao(kMsgConfigureDados);
    } else if (dialogs_.msgPergunta(kMsgAutomatica) == kSim) {
      tentarConfigurar(email);
      salvarConta();
      dialogs_.msgInformacao(kMsgContaSalva);
    } else {
      irParaAvancadas();
      dialogs_.msgInformacao(kMsgConfigureDados);
    }
  }
  if (!edtEmail.empty() && !edtSenha.empty()) {
    salvarConta();
    pagina = PaginaContas::configuracoesAvancadas;
  }
  avisar();
}

std::string AccountsWindow::testarConta() {
  neg_.avisoConexao.clear();
  std::optional<CLContas> c = neg_.getConta(edtEmail);
  if (!c) return "Erro: conta não encontrada: " + edtEmail;
  return neg_.testarConexao(*c);
}

void AccountsWindow::btnTestarClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  salvarConta();
  if (edtEmail.empty()) return;
  const std::string erro = testarConta();
  // "TLS explícito" with a server without STARTTLS: the password went in clear, and the user
  // is told so.
  if (!neg_.avisoConexao.empty()) dialogs_.msgAviso(neg_.avisoConexao);
  if (erro.empty()) {
    dialogs_.msgInformacao(kMsgContaConectada);
    pagina = PaginaContas::contasCadastradas;
    avisar();
    return;
  }
  dialogs_.msgErro(kMsgContaFalhou);
  std::string email = toLower(edtEmail);
  if (email.find(kDominioGmail) != std::string::npos) {
    dialogs_.msgInformacao(avisoAplicativosMenosSeguros("Gmail"));
    platform_.shellOpen(kPaginaGoogle);
  } else if (email.find(kDominioYahoo) != std::string::npos) {
    dialogs_.msgInformacao(avisoAplicativosMenosSeguros("Yahoo"));
    platform_.shellOpen(kPaginaYahoo);
  }
}

void AccountsWindow::btnExcluirClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (dialogs_.msgPergunta(kMsgExcluirConta) != kSim) return;
  if (linhaAtual < 0 || linhaAtual >= (int)contas.size()) return;
  try {
    neg_.removeAccount(contas[linhaAtual].id);
  } catch (const std::exception&) {
  }
  recarregar();
  avisar();
}

void AccountsWindow::btnSugerirClick() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  // The request holds the password: it is written only for a program that is running.
  if (!emailTest_.execEmailTest()) {
    dialogs_.msgErro(kMsgEmailTestNaoIniciou);
    return;
  }
  emailTest_.saveInputRequest("IMAP", edtEmail, edtSenha);
  tmConfig_->start(kIntervaloTimers);
  pedidoEm_ = platform_.now();
}

void AccountsWindow::tmConfigTimer() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (!tmConfig_->active()) return;
  std::vector<std::string> resposta;
  if (!emailTest_.getOutputConfig(resposta)) {
    if (platform_.now() - pedidoEm_ < std::chrono::seconds(kEsperaDescobertaS)) return;
    // No answer: the request (and the password in it) is replaced by the stop request.
    tmConfig_->stop();
    emailTest_.closeEmailTest();
    dialogs_.msgErro(kMsgEmailTestNaoRespondeu);
    avisar();
    return;
  }
  tmConfig_->stop();
  pump_.processEvents();
  emailTest_.closeEmailTest();
  if (resposta.empty() || trim(resposta[0]) != "1") {
    // An answer too short to hold its error line is reported, not taken as success.
    dialogs_.msgErro(resposta.size() >= 3 ? resposta[2] : kMsgRespostaInvalida);
    // A server the program found but did not try with the password is offered in the fields;
    // nothing is stored until the user saves or tests it.
    NameValueList oferta(resposta);
    if (!oferta.value("Servidor").empty()) {
      preencherConexao(oferta.value("Servidor"), oferta.value("Porta"), "", oferta.value("TLS"), "",
                       "", "", true);
      irParaAvancadas();
    }
    return;
  }
  NameValueList v(resposta);
  preencherConexao(v.value("Servidor"), v.value("Porta"), v.value("tipoAuth"), v.value("TLS"),
                   v.value("versaoIP"), v.value("ModoSSL"), v.value("MetodoSSL"), true);
  edtUsuario = v.value("username");
  dialogs_.msgInformacao(kMsgOba);
  salvarConta();
}

void AccountsWindow::tmPiscaTimer() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  bool incompleto = edtServidor.empty() || edtPorta.empty() || edtUsuario.empty();
  molduraVisivel = pagina == PaginaContas::configuracoesAvancadas && incompleto && !molduraVisivel;
}

void AccountsWindow::mudarPagina(PaginaContas nova) {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (contas.empty() && !novaConta_ && nova != PaginaContas::contasCadastradas) {
    dialogs_.msgErro(kMsgSemContas);
    pagina = PaginaContas::contasCadastradas;
    avisar();
    return;
  }
  pagina = nova;
  if (nova != PaginaContas::contasCadastradas) {
    salvarConta();  // stores nothing while the address is empty
    carregarConta();
  }
  avisar();
}

void AccountsWindow::clicarGrid(int linha, bool colunaAtiva) {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (linha < 0 || linha >= (int)contas.size()) return;
  linhaAtual = linha;
  if (colunaAtiva) setContaAtiva(!contas[linha].ativa);
  carregarConta();
}

void AccountsWindow::teclaGrid(int delta) {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (contas.empty()) return;
  linhaAtual = std::clamp(linhaAtual + delta, 0, (int)contas.size() - 1);
  carregarConta();
}

void AccountsWindow::duploCliqueGrid(int linha) {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (contas.empty()) return;
  if (linha >= 0 && linha < (int)contas.size()) linhaAtual = linha;
  carregarConta();
  pagina = PaginaContas::detalhes;
  avisar();
}

void AccountsWindow::setContaAtiva(bool ativa) {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  if (linhaAtual < 0 || linhaAtual >= (int)contas.size()) return;
  try {
    neg_.setActive(contas[linhaAtual].id, ativa);
    contas[linhaAtual].ativa = ativa;
  } catch (const std::exception&) {
    // The change is dropped; the row keeps its stored value.
  }
  avisar();
}

void AccountsWindow::ajuda() {
  const NoticeOnReturn aviso{[this] { avisar(); }};
  dialogs_.msgAjuda(kAjudaContas, 0, 350);
}

}  // namespace quorvel
