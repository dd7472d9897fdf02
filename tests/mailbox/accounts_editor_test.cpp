// The accounts window's model: two-step entry, provider configuration, saving and loading,
// the connection test, the grid, and the exchange with the discovery program.
#include "mailbox/accounts_editor.h"

#include <gtest/gtest.h>

#include "scan_fixture.h"

namespace quorvel {
namespace {

using testing::DovecotPeer;
using testing::ScanTest;

class RecordingLauncher : public ProgramLauncher {
 public:
  std::vector<std::vector<std::string>> iniciados;
  bool iniciar(const std::string& programa, const std::vector<std::string>& args) override {
    std::vector<std::string> v{programa};
    v.insert(v.end(), args.begin(), args.end());
    iniciados.push_back(v);
    return true;
  }
};

class AccountsEditorTest : public ScanTest {
 protected:
  RecordingLauncher launcher;
  std::unique_ptr<CLEmailTest> emailTest;
  std::unique_ptr<AccountsEditor> ed;

  void SetUp() override {
    ScanTest::SetUp();
    emailTest = std::make_unique<CLEmailTest>(home.string(), launcher, pump, "/opt/emailtest");
    emailTest->esperaMs = 0;
    ed = std::make_unique<AccountsEditor>(*neg, dialogs, pump, platform, *emailTest);
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

TEST_F(AccountsEditorTest, KnownProvidersAreConfiguredAndSavedAfterTheQuestion) {
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

TEST_F(AccountsEditorTest, UnknownDomainGoesToTheAdvancedPageAndIsStoredAsTyped) {
  novaConta("contato@empresa.test", "senha");
  ed->btnAvancarClick();
  EXPECT_EQ(mensagens(),
            (std::vector<std::string>{std::string("information: ") + kMsgConfigureDados}));
  EXPECT_EQ(ed->pagina, PaginaContas::configuracoesAvancadas);
  ASSERT_TRUE(neg->getConta("contato@empresa.test"));
  EXPECT_EQ(neg->getConta("contato@empresa.test")->ImapUsarTLS, "Sem suporte a TLS");
}

TEST_F(AccountsEditorTest, BolWithoutADotTakesTheLastRowAndAsksForTheServer) {
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

TEST_F(AccountsEditorTest, SayingNoWithoutPasswordStoresNothing) {
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

TEST_F(AccountsEditorTest, ClickingARowDuringANewEntryDropsItAndLaterSavesEditThatRow) {
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

TEST_F(AccountsEditorTest, ConnectionTestAgainstTheServer) {
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

TEST_F(AccountsEditorTest, GridTogglesActiveDeletesAfterTheQuestionAndGuardsEmptyPages) {
  ed->mudarPagina(PaginaContas::detalhes);
  EXPECT_EQ(dialogs.texts("error"), std::vector<std::string>{kMsgSemContas});
  EXPECT_EQ(ed->pagina, PaginaContas::contasCadastradas);

  neg->newContaSave(contaDe("a@exemplo.test"));
  neg->newContaSave(contaDe("b@exemplo.test"));
  ed->mostrar();
  EXPECT_STREQ(AccountsEditor::textoAtiva(ed->contas[0]), "Sim");
  ed->clicarGrid(0, true);
  EXPECT_STREQ(AccountsEditor::textoAtiva(ed->contas[0]), "Não");
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

TEST_F(AccountsEditorTest, FrameBlinksOnlyOnTheAdvancedPageWithAnEmptyField) {
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

TEST_F(AccountsEditorTest, DiscoveryAnswersFillTheFieldsOrShowTheError) {
  novaConta("ana@empresa.test", "segredo");
  ed->btnSugerirClick();
  EXPECT_EQ(launcher.iniciados,
            (std::vector<std::vector<std::string>>{{"/opt/emailtest", "--home", home.string()}}));
  EXPECT_EQ(readFileBytes((home / kArquivoPedido).string()),
            "1\nIMAP\nana@empresa.test\nsegredo\n");
  EXPECT_TRUE(ed->tmConfigAtivo);
  ed->tmConfigTimer();  // no answer yet
  EXPECT_TRUE(ed->tmConfigAtivo);

  writeFileAtomic((home / kArquivoResposta).string(),
                  "1\r\ntipoAuth=SASL\r\nTLS=TLS explícito\r\nversaoIP=IPV4\r\nModoSSL=Cliente\r\n"
                  "MetodoSSL=TLSv1_2\r\nPorta=1143\r\nServidor=mail.empresa.test\r\n"
                  "username=ana\r\n");
  ed->tmConfigTimer();
  EXPECT_FALSE(ed->tmConfigAtivo);
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
    EXPECT_FALSE(ed->tmConfigAtivo);
  }
}

TEST_F(AccountsEditorTest, HelpBoxAndPasswordColumn) {
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
