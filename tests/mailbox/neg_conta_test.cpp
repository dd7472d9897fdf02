// The account service: accounts in tbContas, the settings applied to a client, and the texts of
// a failed connection.
#include "mailbox/neg_conta.h"

#include <gtest/gtest.h>

#include "scan_fixture.h"
#include "support/hostile_imap_server.h"

namespace quorvel {
namespace {

using testing::DovecotPeer;
using testing::HostileImapServer;
using testing::Resposta;
using testing::ScanTest;

class NegContaTest : public ScanTest {};

TEST_F(NegContaTest, AccountsAreStoredFoundEditedAndListedInEmailOrder) {
  CLContas a = contaDe("zeca@exemplo.test");
  CLContas b = contaDe("ana@exemplo.test");
  ASSERT_TRUE(neg->newContaSave(a));
  ASSERT_TRUE(neg->newContaSave(b));
  a.senha = "outra";
  ASSERT_TRUE(neg->newContaSave(a));  // the same address again: a second row

  std::vector<AccountRow> contas = neg->accounts();
  ASSERT_EQ(contas.size(), 3u);
  EXPECT_EQ(contas[0].email, "ana@exemplo.test");
  EXPECT_EQ(contas[0].id, 2);
  EXPECT_TRUE(contas[0].ativa);  // new accounts are active
  EXPECT_EQ(neg->getConta("zeca@exemplo.test")->senha, DovecotPeer::kSenha);  // the first row

  neg->setActive(1, false);
  CLContas editada = contaDe("zeca@exemplo.test");
  editada.ImapServidor = "imap.exemplo.test";
  ASSERT_TRUE(neg->editConta(editada));
  EXPECT_EQ(neg->getConta("zeca@exemplo.test")->ImapServidor, "imap.exemplo.test");
  EXPECT_FALSE(neg->accounts()[1].ativa);  // editing keeps conta_ativa
  EXPECT_FALSE(neg->editConta(contaDe("nao.existe@exemplo.test")));
  EXPECT_FALSE(neg->getConta("ZECA@exemplo.test").has_value());  // exact comparison
  EXPECT_EQ(neg->getNextId(), 4);

  neg->removeAccount(1);
  EXPECT_EQ(neg->accounts().size(), 2u);
}

TEST_F(NegContaTest, FailedSaveShowsTheStoresTextAndAnswersFalse) {
  banco->db().exec("DROP TABLE tbContas");
  EXPECT_FALSE(neg->newContaSave(contaDe("ana@exemplo.test")));
  ASSERT_EQ(dialogs.texts("error").size(), 1u);
  EXPECT_NE(dialogs.texts("error")[0].find("no such table"), std::string::npos);
}

TEST_F(NegContaTest, AccountTextsBecomeClientSettings) {
  struct Caso {
    const char *porta, *tls, *auth, *ip, *modo, *metodo;
    int portaCliente;
    UsoTLS uso;
    Autenticacao a;
    VersaoIp v;
    ModoSSL m;
    MetodoSSL s;
  } casos[] = {
      {"143", "TLS implícito", "Padrão", "IPV4", "Não definido", "TLSv1", 993, UsoTLS::implicito,
       Autenticacao::login, VersaoIp::ipv4, ModoSSL::naoDefinido, MetodoSSL::tlsv1},
      {"993", "Sem suporte a TLS", "SASL", "IPV6", "Cliente", "TLSv1_2", 993, UsoTLS::nenhum,
       Autenticacao::sasl, VersaoIp::ipv6, ModoSSL::cliente, MetodoSSL::tlsv1_2},
      {"993", "TLS requerido", "outro", "ipv4", "Servidor", "SSLv23", 143, UsoTLS::requerido,
       Autenticacao::sasl, VersaoIp::qualquer, ModoSSL::servidor, MetodoSSL::sslv23},
      {"1993", "TLS explícito", "Padrão", "", "Cliente e Servidor", "TLSv1_3", 1993,
       UsoTLS::explicito, Autenticacao::login, VersaoIp::qualquer, ModoSSL::clienteServidor,
       MetodoSSL::padrao},
      {"993", "tls implícito", "Padrão", "IPV4", "x", "SSLv3", 993, UsoTLS::nenhum,
       Autenticacao::login, VersaoIp::ipv4, ModoSSL::naoDefinido, MetodoSSL::sslv3},
  };
  for (const auto& c : casos) {
    ImapClient imap;
    TlsHandler ssl;
    NegConta::configMailComponents(imap, ssl, "u", "p", "h", c.porta, c.auth, c.tls, c.ip, c.modo,
                                   c.metodo);
    SCOPED_TRACE(std::string(c.porta) + " " + c.tls);
    EXPECT_EQ(imap.port(), c.portaCliente);
    EXPECT_EQ(imap.useTLS(), c.uso);
    EXPECT_EQ(imap.autenticacao, c.a);
    EXPECT_EQ(ssl.versaoIp, c.v);
    EXPECT_EQ(ssl.modo, c.m);
    EXPECT_EQ(ssl.metodo, c.s);
    EXPECT_EQ(imap.ioHandler, &ssl);
  }
  ImapClient imap;
  TlsHandler ssl;
  EXPECT_THROW(NegConta::configMailComponents(imap, ssl, "u", "p", "h", "imap", "Padrão",
                                              "TLS implícito", "IPV4", "", ""),
               std::invalid_argument);
}

TEST_F(NegContaTest, LoginFailureTextsSilentAndNot) {
  std::string u = novoUsuario({});
  struct Caso {
    std::string usuario;
    bool silent;
    std::string texto;
    std::vector<std::string> abertos;
  } casos[] = {
      {u, true, "Erro: [AUTHENTICATIONFAILED] Authentication failed.", {}},
      {u, false, "Erro: Verifique se digitou o e-mail e a senha corretamente.", {}},
      {"joana@yahoo.com.br",
       false,
       "Erro: Para usar aplicativos de terceiros com sua cota do Yahoo, é necessário autorizar o "
       "acesso de \"aplicativos menos seguros\" em sua conta. Clique no botão \"OK\" para abrir a "
       "página onde essa configuração é feita, ou acesse https://login.yahoo.com/account/security",
       {kPaginaYahoo}},
  };
  for (const auto& c : casos) {
    CLContas conta = contaDe(c.usuario);
    conta.senha = "errada";
    ImapClient imap;
    TlsHandler ssl;
    NegConta::configMailComponents2(imap, ssl, conta);
    imap.origem = origemPropria();
    platform.opened.clear();
    EXPECT_EQ(neg->ImapConnect(imap, conta, c.silent), c.texto);
    EXPECT_EQ(platform.opened, c.abertos);
  }
}

TEST_F(NegContaTest, AlertRefusalGivesTheGmailAdviceWhateverTheProvider) {
  HostileImapServer alerta([](const std::string& cmd) -> Resposta {
    if (cmd.rfind("LOGIN", 0) == 0) return {"NO [ALERT] Please log in via your web browser"};
    return HostileImapServer::padrao(cmd);
  });
  CLContas conta = contaDe("ana@empresa.test");
  conta.ImapPorta = std::to_string(alerta.porta());
  ImapClient imap;
  TlsHandler ssl;
  NegConta::configMailComponents2(imap, ssl, conta);
  EXPECT_EQ(neg->ImapConnect(imap, conta, false),
            "Erro: Para usar aplicativos de terceiros com sua cota do Gmail, é necessário "
            "autorizar o acesso de \"aplicativos menos seguros\" em sua conta. Clique no botão "
            "\"OK\" para abrir a página onde essa configuração é feita, ou acesse "
            "https://myaccount.google.com/lesssecureapps");
  EXPECT_EQ(platform.opened, std::vector<std::string>{kPaginaGoogle});
  ImapClient outro;
  NegConta::configMailComponents2(outro, ssl, conta);
  EXPECT_EQ(neg->ImapConnect(outro, conta, true),
            "Erro: [ALERT] Please log in via your web browser");
}

TEST_F(NegContaTest, UntrustedCertificateFailsTheConnectionTest) {
  CLContas conta = contaDe(novoUsuario({}));
  conta.ImapUsarTLS = "TLS implícito";
  conta.ImapPorta = std::to_string(servidor().portaTls());
  EXPECT_EQ(neg->testarConexao(conta), "");
  std::string ca = ::getenv("QUORVEL_CA_FILE");
  ::setenv("QUORVEL_CA_FILE", "/etc/ssl/certs/ca-certificates.crt", 1);
  EXPECT_EQ(neg->testarConexao(conta), "Erro: certificado do servidor não é confiável");
  ::setenv("QUORVEL_CA_FILE", ca.c_str(), 1);
}

}  // namespace
}  // namespace quorvel
