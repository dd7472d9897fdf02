// The accounts window's model: two-step entry, provider configuration, saving and loading,
// the connection test, the grid, and the exchange with the discovery program.
#include "mailbox/accounts_window.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "scan_fixture.h"

namespace quorvel {
namespace {

using testing::DovecotPeer;
using testing::ScanTest;

class RecordingLauncher : public ProgramLauncher {
 public:
  std::vector<std::vector<std::string>> iniciados;
  bool inicia = true;  // false: the program cannot be started
  bool iniciar(const std::string& programa, const std::vector<std::string>& args) override {
    std::vector<std::string> v{programa};
    v.insert(v.end(), args.begin(), args.end());
    iniciados.push_back(v);
    return inicia;
  }
};

class AccountsWindowTest : public ScanTest {
 protected:
  RecordingLauncher launcher;
  std::unique_ptr<CLEmailTest> emailTest;
  std::unique_ptr<AccountsWindow> ed;

  void SetUp() override {
    ScanTest::SetUp();
    emailTest = std::make_unique<CLEmailTest>(home.string(), launcher, pump, "/opt/emailtest");
    emailTest->esperaMs = 0;
    ed = std::make_unique<AccountsWindow>(*neg, dialogs, pump, platform, *emailTest);
    ed->mostrar();
  }
  void novaConta(const std::string& email, const std::string& senha) {
    ed->btnNovaContaClick();
    ed->edtEmail = email;
    ed->edtSenha = senha;
  }
  std::vector<std::string> mensagens() const {
    std::vector<std::string> r;
    for (const auto& m : dialogs.messages) r.push_back(m.kind + ": " + m.texto);
    return r;
  }
};

TEST_F(AccountsWindowTest, KnownProvidersAreConfiguredAndSavedAfterTheQuestion) {
  struct Caso {
    const char *email, *servidor, *porta, *auth, *tls, *ip;
  } casos[] = {
      {"Joao@Gmail.com", "imap.gmail.com", "143", "Padrão", "TLS implícito", "IPV4"},
      {"maria@bol.com.br", "imap.bol.com.br", "993", "Padrão", "Sem suporte a TLS", "IPV4"},
      {"ze@globo.com", "imap.globo.com", "993", "SASL", "TLS implícito", "IPV6"},
      {"lu@yahoo.com.br", "imap.mail.yahoo.com", "993", "Padrão", "TLS implícito", "IPV4"},
      {"bia@msn.com", "outlook.office365.com", "993", "Padrão", "TLS implícito", "IPV4"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.email);
    dialogs.messages.clear();
    novaConta(c.email, "senha");
    EXPECT_EQ(ed->pagina, PaginaContas::detalhes);
    EXPECT_FALSE(ed->contaAtivaVisivel);
    dialogs.answers.push_back(kSim);
    ed->btnAvancarClick();
    EXPECT_EQ(mensagens(),
              (std::vector<std::string>{std::string("question: ") + kMsgAutomatica,
                                        std::string("information: ") + kMsgContaSalva}));
    std::optional<CLContas> s = neg->getConta(c.email);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->ImapServidor, c.servidor);
    EXPECT_EQ(s->ImapPorta, c.porta);
    EXPECT_EQ(s->ImapTipoAutenticacao, c.auth);
    EXPECT_EQ(s->ImapUsarTLS, c.tls);
    EXPECT_EQ(s->ImapVersaoIp, c.ip);
    EXPECT_EQ(s->ImapModoSSL, "Não definido");
    EXPECT_EQ(s->ImapMetodoSSL, "TLSv1");
    EXPECT_EQ(s->ImapNomeUsuario, c.email);
    EXPECT_FALSE(ed->modoNovaConta());
    EXPECT_EQ(ed->pagina, PaginaContas::configuracoesAvancadas);
  }
  EXPECT_EQ(neg->accounts().size(), 5u);
}

TEST_F(AccountsWindowTest, UnknownDomainGoesToTheAdvancedPageAndIsStoredAsTyped) {
  novaConta("contato@empresa.test", "senha");
  ed->btnAvancarClick();
  EXPECT_EQ(mensagens(),
            (std::vector<std::string>{std::string("information: ") + kMsgConfigureDados}));
  EXPECT_EQ(ed->pagina, PaginaContas::configuracoesAvancadas);
  ASSERT_TRUE(neg->getConta("contato@empresa.test"));
  EXPECT_EQ(neg->getConta("contato@empresa.test")->ImapUsarTLS, "Sem suporte a TLS");
}

TEST_F(AccountsWindowTest, BolWithoutADotTakesTheLastRowAndAsksForTheServer) {
  novaConta("ana@bolsa.test", "senha");
  ed->edtServidor = "imap.bolsa.test";
  dialogs.answers.push_back(kSim);
  ed->btnAvancarClick();
  EXPECT_EQ(mensagens(),
            (std::vector<std::string>{std::string("question: ") + kMsgAutomatica,
                                      std::string("information: ") + kMsgDefinaServidor,
                                      std::string("information: ") + kMsgContaSalva}));
  EXPECT_EQ(ed->edtServidor, "imap.bolsa.test");  // left as it was
  EXPECT_EQ(ed->edtPorta, "143");
  EXPECT_EQ(ed->cmbUsarTLS.texto(), "TLS implícito");
  EXPECT_EQ(ed->foco, "servidor");
  EXPECT_EQ(ed->pagina, PaginaContas::configuracoesAvancadas);
}

TEST_F(AccountsWindowTest, SayingNoWithoutPasswordStoresNothing) {
  novaConta("joao@gmail.com", "");
  dialogs.answers.push_back(kNao);
  ed->btnAvancarClick();
  EXPECT_EQ(mensagens(),
            (std::vector<std::string>{std::string("question: ") + kMsgAutomatica,
                                      std::string("information: ") + kMsgConfigureDados}));
  EXPECT_TRUE(neg->accounts().empty());
  EXPECT_TRUE(ed->modoNovaConta());
  ed->btnCancelarClick();
  EXPECT_FALSE(ed->modoNovaConta());
  EXPECT_FALSE(ed->emailHabilitado);
  EXPECT_TRUE(ed->testarHabilitado);
  EXPECT_TRUE(ed->contaAtivaVisivel);
  EXPECT_EQ(ed->pagina, PaginaContas::contasCadastradas);
}

TEST_F(AccountsWindowTest, ClickingARowDuringANewEntryDropsItAndLaterSavesEditThatRow) {
  neg->newContaSave(contaDe("a@exemplo.test"));
  neg->newContaSave(contaDe("b@exemplo.test"));
  ed->mostrar();
  novaConta("c@exemplo.test", "x");
  ed->clicarGrid(1, false);
  EXPECT_EQ(dialogs.texts("information"), std::vector<std::string>{kMsgSaiuInsercao});
  EXPECT_FALSE(ed->modoNovaConta());
  EXPECT_EQ(ed->edtEmail, "b@exemplo.test");
  EXPECT_EQ(ed->edtSenha, DovecotPeer::kSenha);
  EXPECT_EQ(ed->edtPorta, std::to_string(servidor().portaPlana()));
  ed->edtServidor = "imap.exemplo.test";
  ed->btnSalvarClick();
  EXPECT_EQ(neg->accounts().size(), 2u);
  EXPECT_EQ(neg->getConta("b@exemplo.test")->ImapServidor, "imap.exemplo.test");
}

TEST_F(AccountsWindowTest, ConnectionTestAgainstTheServer) {
  std::string u = novoUsuario({});
  neg->newContaSave(contaDe(u));
  ed->mostrar();
  ed->clicarGrid(0, false);
  ed->mudarPagina(PaginaContas::configuracoesAvancadas);
  ed->btnTestarClick();
  EXPECT_EQ(dialogs.texts("information"), std::vector<std::string>{kMsgContaConectada});
  EXPECT_EQ(ed->pagina, PaginaContas::contasCadastradas);

  // A Gmail address that cannot log in: the generic box, the advice and Google's page.
  CLContas gmail = contaDe("fulano@gmail.com");
  gmail.senha = "errada";
  neg->newContaSave(gmail);
  neg->origem = origemPropria();
  ed->mostrar();
  ed->clicarGrid(0, false);
  dialogs.messages.clear();
  ed->btnTestarClick();
  EXPECT_EQ(mensagens(),
            (std::vector<std::string>{std::string("error: ") + kMsgContaFalhou,
                                      "information: " + avisoAplicativosMenosSeguros("Gmail")}));
  EXPECT_EQ(platform.opened, std::vector<std::string>{kPaginaGoogle});
}

TEST_F(AccountsWindowTest, GridTogglesActiveDeletesAfterTheQuestionAndGuardsEmptyPages) {
  ed->mudarPagina(PaginaContas::detalhes);
  EXPECT_EQ(dialogs.texts("error"), std::vector<std::string>{kMsgSemContas});
  EXPECT_EQ(ed->pagina, PaginaContas::contasCadastradas);

  neg->newContaSave(contaDe("a@exemplo.test"));
  neg->newContaSave(contaDe("b@exemplo.test"));
  ed->mostrar();
  EXPECT_STREQ(AccountsWindow::textoAtiva(ed->contas[0]), "Sim");
  ed->clicarGrid(0, true);
  EXPECT_STREQ(AccountsWindow::textoAtiva(ed->contas[0]), "Não");
  EXPECT_FALSE(neg->accounts()[0].ativa);
  EXPECT_FALSE(ed->contaAtiva());

  dialogs.answers = {kNao, kSim};
  ed->btnExcluirClick();
  EXPECT_EQ(ed->contas.size(), 2u);
  ed->teclaGrid(+1);
  EXPECT_EQ(ed->edtEmail, "b@exemplo.test");
  ed->btnExcluirClick();
  ASSERT_EQ(neg->accounts().size(), 1u);
  EXPECT_EQ(neg->accounts()[0].email, "a@exemplo.test");
}

TEST_F(AccountsWindowTest, FrameBlinksOnlyOnTheAdvancedPageWithAnEmptyField) {
  neg->newContaSave(contaDe("a@exemplo.test"));
  ed->mostrar();
  ed->mudarPagina(PaginaContas::configuracoesAvancadas);
  ed->tmPiscaTimer();
  EXPECT_FALSE(ed->molduraVisivel);  // every field filled
  ed->edtServidor.clear();
  ed->tmPiscaTimer();
  EXPECT_TRUE(ed->molduraVisivel);
  ed->tmPiscaTimer();
  EXPECT_FALSE(ed->molduraVisivel);
  ed->tmPiscaTimer();
  ed->pagina = PaginaContas::detalhes;
  ed->tmPiscaTimer();
  EXPECT_FALSE(ed->molduraVisivel);
}

TEST_F(AccountsWindowTest, DiscoveryAnswersFillTheFieldsOrShowTheError) {
  novaConta("ana@empresa.test", "segredo");
  ed->btnSugerirClick();
  EXPECT_EQ(launcher.iniciados,
            (std::vector<std::vector<std::string>>{{"/opt/emailtest", "--home", home.string()}}));
  EXPECT_EQ(readFileBytes((home / kArquivoPedido).string()),
            "1\nIMAP\nana@empresa.test\nsegredo\n");
  EXPECT_TRUE(ed->tmConfigAtivo());
  ed->tmConfigTimer();  // no answer yet
  EXPECT_TRUE(ed->tmConfigAtivo());

  writeFileAtomic((home / kArquivoResposta).string(),
                  "1\r\ntipoAuth=SASL\r\nTLS=TLS explícito\r\nversaoIP=IPV4\r\nModoSSL=Cliente\r\n"
                  "MetodoSSL=TLSv1_2\r\nPorta=1143\r\nServidor=mail.empresa.test\r\n"
                  "username=ana\r\n");
  ed->tmConfigTimer();
  EXPECT_FALSE(ed->tmConfigAtivo());
  EXPECT_EQ(readFileBytes((home / kArquivoPedido).string()), "2\n");
  EXPECT_FALSE(std::filesystem::exists(home / kArquivoResposta));
  EXPECT_EQ(dialogs.texts("information"), std::vector<std::string>{kMsgOba});
  std::optional<CLContas> s = neg->getConta("ana@empresa.test");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->ImapServidor, "mail.empresa.test");
  EXPECT_EQ(s->ImapPorta, "1143");
  EXPECT_EQ(s->ImapNomeUsuario, "ana");
  EXPECT_EQ(s->ImapTipoAutenticacao, "SASL");
  EXPECT_EQ(s->ImapUsarTLS, "TLS explícito");
  EXPECT_EQ(s->ImapModoSSL, "Cliente");
  EXPECT_EQ(s->ImapMetodoSSL, "TLSv1_2");

  for (auto [resposta, erro] :
       {std::pair{"0\r\nIMAP\r\nServidor não encontrado\r\n", "Servidor não encontrado"},
        std::pair{"0\r\n", kMsgRespostaInvalida}}) {
    dialogs.messages.clear();
    ed->btnSugerirClick();
    writeFileAtomic((home / kArquivoResposta).string(), resposta);
    ed->tmConfigTimer();
    EXPECT_EQ(dialogs.texts("error"), std::vector<std::string>{erro});
    EXPECT_FALSE(ed->tmConfigAtivo());
  }
}

TEST_F(AccountsWindowTest, AnAccountWithoutAnAddressIsNeverStored) {
  // The page changed by hand during a new entry saves what the fields hold.
  novaConta("", "segredo");
  ed->edtServidor = "imap.empresa.test";
  ed->mudarPagina(PaginaContas::configuracoesAvancadas);
  EXPECT_TRUE(neg->accounts().empty());
  novaConta("  ", "segredo");
  dialogs.messages.clear();
  ed->btnSalvarClick();
  EXPECT_EQ(dialogs.texts("error"), std::vector<std::string>{kMsgInformeEmail});
  CLContas semEndereco = contaDe("");
  EXPECT_FALSE(neg->newContaSave(semEndereco));
  EXPECT_TRUE(neg->accounts().empty());
}

TEST_F(AccountsWindowTest, ThePasswordIsWrittenOnlyForADiscoveryProgramThatStarted) {
  novaConta("ana@empresa.test", "segredo");
  launcher.inicia = false;
  ed->btnSugerirClick();
  EXPECT_EQ(dialogs.texts("error"), std::vector<std::string>{kMsgEmailTestNaoIniciou});
  EXPECT_FALSE(std::filesystem::exists(home / kArquivoPedido));
  EXPECT_FALSE(ed->tmConfigAtivo());
}

TEST_F(AccountsWindowTest, AnUnansweredRequestIsWithdrawnAfterItsWait) {
  novaConta("ana@empresa.test", "segredo");
  ed->btnSugerirClick();
  platform.clock += std::chrono::seconds(kEsperaDescobertaS - 1);
  ed->tmConfigTimer();
  EXPECT_TRUE(ed->tmConfigAtivo());
  EXPECT_EQ(readFileBytes((home / kArquivoPedido).string()),
            "1\nIMAP\nana@empresa.test\nsegredo\n");
  platform.clock += std::chrono::seconds(2);
  ed->tmConfigTimer();
  EXPECT_FALSE(ed->tmConfigAtivo());
  // The stop request takes the place of the one that held the password.
  EXPECT_EQ(readFileBytes((home / kArquivoPedido).string()), "2\n");
  EXPECT_EQ(dialogs.texts("error"), std::vector<std::string>{kMsgEmailTestNaoRespondeu});
}

TEST_F(AccountsWindowTest, AServerFoundOutsideTheDomainIsOfferedNotStored) {
  novaConta("ana@empresa.test", "segredo");
  ed->btnSugerirClick();
  writeFileAtomic((home / kArquivoResposta).string(),
                  "0\r\nIMAP\r\nO domínio empresa.test indica o servidor imap.outro.test\r\n"
                  "Servidor=imap.outro.test\r\nPorta=993\r\nTLS=TLS implícito\r\n");
  ed->tmConfigTimer();
  EXPECT_EQ(dialogs.texts("error"),
            std::vector<std::string>{"O domínio empresa.test indica o servidor imap.outro.test"});
  EXPECT_EQ(ed->edtServidor, "imap.outro.test");
  EXPECT_EQ(ed->edtPorta, "993");
  EXPECT_EQ(ed->cmbUsarTLS.texto(), "TLS implícito");
  EXPECT_EQ(ed->pagina, PaginaContas::configuracoesAvancadas);
  EXPECT_TRUE(neg->accounts().empty());
}

TEST_F(AccountsWindowTest, TheConnectionTestTellsOfAPasswordSentInClear) {
  DovecotPeer semTls(false);
  std::string u = "ana@empresa.test";
  semTls.criarCaixa(u);
  CLContas c = contaDe(u);
  c.ImapPorta = std::to_string(semTls.portaPlana());
  c.ImapUsarTLS = kTLSExplicito;
  neg->newContaSave(c);
  ed->mostrar();
  ed->clicarGrid(0, false);
  dialogs.messages.clear();
  ed->btnTestarClick();
  EXPECT_EQ(mensagens(),
            (std::vector<std::string>{
                "warning: Atenção: o servidor 127.0.0.1:" + std::to_string(semTls.portaPlana()) +
                    " não oferece TLS (STARTTLS); a senha de " + u +
                    " vai sem criptografia. Escolha \"TLS requerido\" ou \"TLS implícito\" para "
                    "exigir a criptografia.",
                std::string("information: ") + kMsgContaConectada}));
}

TEST_F(AccountsWindowTest, TheRequestFileIsNeverReadableByOthers) {
  // Every change of the folder is recorded: a file made readable and narrowed afterwards shows
  // as a change of its attributes once it has its name.
  int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_GE(::inotify_add_watch(fd, home.c_str(), IN_ATTRIB | IN_CREATE | IN_MOVED_TO), 0);
  const mode_t mascara = ::umask(0);
  emailTest->saveInputRequest("IMAP", "ana@empresa.test", "segredo");
  ::umask(mascara);
  std::vector<std::string> atributos;
  alignas(inotify_event) char buf[4096];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
    for (char* p = buf; p < buf + n;) {
      auto* e = reinterpret_cast<inotify_event*>(p);
      if ((e->mask & IN_ATTRIB) && e->len > 0) atributos.push_back(e->name);
      p += sizeof(inotify_event) + e->len;
    }
  ::close(fd);
  EXPECT_EQ(std::count(atributos.begin(), atributos.end(), std::string(kArquivoPedido)), 0);
  struct stat st {};
  ASSERT_EQ(::stat((home / kArquivoPedido).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(AccountsWindowTest, HelpBoxAndPasswordColumn) {
  ed->ajuda();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].altura, 350);
  EXPECT_EQ(dialogs.messages[0].texto.rfind("Contas de e-mail \\n\\nO Quorvel pode checar", 0), 0u);
  EXPECT_FALSE(ed->mostrarSenhas);
  ed->alternarMostrarSenhas();
  EXPECT_TRUE(ed->mostrarSenhas);
}

}  // namespace
}  // namespace quorvel
