// The IMAP client against a real Dovecot: the three ways of TLS, log-in kinds, the commands the
// harvest uses, certificate checks and time-outs.
#include "mailbox/imap_client.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "mailbox_server.h"
#include "scripted_imap_server.h"

namespace quorvel {
namespace {

using testing::DovecotPeer;
using testing::MailboxServer;
using testing::mensagem;
using testing::ScriptedImapServer;

class ImapClientTest : public MailboxServer {};

TEST_F(ImapClientTest, ConnectsAndReadsMessagesWithEveryTlsChoiceAndLoginKind) {
  std::string usuario = novoUsuario({mensagem("a@x.test", "um"), mensagem("b@x.test", "dois")});
  struct Caso {
    UsoTLS tls;
    int porta;
    Autenticacao auth;
  } casos[] = {
      {UsoTLS::nenhum, servidor().portaPlana(), Autenticacao::login},
      {UsoTLS::explicito, servidor().portaPlana(), Autenticacao::login},
      {UsoTLS::requerido, servidor().portaPlana(), Autenticacao::sasl},
      {UsoTLS::implicito, servidor().portaTls(), Autenticacao::login},
      {UsoTLS::implicito, servidor().portaTls(), Autenticacao::sasl},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(static_cast<int>(c.tls) * 10 + static_cast<int>(c.auth));
    ImapClient imap;
    imap.host = "127.0.0.1";
    imap.setPort(c.porta);
    imap.setUseTLS(c.tls);
    imap.username = usuario;
    imap.password = "segredo";
    imap.autenticacao = c.auth;
    ASSERT_NO_THROW(imap.connect());
    EXPECT_EQ(imap.select("INBOX"), 2);
    EXPECT_EQ(imap.fetchUid(2), 2);
    std::string m = imap.fetchMessage(1);
    EXPECT_NE(m.find("Subject: um"), std::string::npos);
    imap.disconnect();
  }
}

TEST_F(ImapClientTest, TlsChoiceMovesOnlyTheStandardPorts) {
  struct Caso {
    int antes;
    UsoTLS uso;
    int depois;
  } casos[] = {{143, UsoTLS::implicito, 993}, {993, UsoTLS::explicito, 143},
               {993, UsoTLS::requerido, 143}, {143, UsoTLS::requerido, 143},
               {993, UsoTLS::nenhum, 993},    {2993, UsoTLS::implicito, 2993}};
  for (const auto& c : casos) {
    ImapClient imap;
    imap.setPort(c.antes);
    imap.setUseTLS(c.uso);
    EXPECT_EQ(imap.port(), c.depois) << c.antes;
  }
}

TEST_F(ImapClientTest, FetchMarksSeenStoreDeletesAndExpungeRemoves) {
  std::string usuario = novoUsuario({mensagem("a@x.test", "um"), mensagem("b@x.test", "dois")});
  ImapClient imap = clienteDe(usuario);
  imap.connect();
  ASSERT_EQ(imap.select("INBOX"), 2);
  imap.fetchMessage(2);
  imap.uidStoreDeleted(std::to_string(imap.fetchUid(1)));
  imap.expunge();
  EXPECT_EQ(imap.select("INBOX"), 1);
  imap.disconnect();
  EXPECT_EQ(servidor().quantidade(usuario), 1u);
  EXPECT_EQ(servidor().marcas(usuario), std::vector<std::string>{"S"});
}

TEST_F(ImapClientTest, WrongPasswordGivesTheServersReply) {
  std::string usuario = novoUsuario({});
  for (auto auth : {Autenticacao::login, Autenticacao::sasl}) {
    ImapClient imap = clienteDe(usuario);
    imap.autenticacao = auth;
    imap.password = "errada";
    imap.origem = origemPropria();
    try {
      imap.connect();
      ADD_FAILURE() << "conectou com a senha errada";
    } catch (const ImapError& e) {
      EXPECT_STREQ(e.what(), "[AUTHENTICATIONFAILED] Authentication failed.");
    }
    EXPECT_FALSE(imap.connected());
  }
}

TEST_F(ImapClientTest, UntrustedCertificateIsAFailureNeverAcceptedSilently) {
  std::string usuario = novoUsuario({});
  for (auto tls : {UsoTLS::implicito, UsoTLS::explicito}) {
    ImapClient imap = clienteDe(usuario);
    imap.setUseTLS(tls);
    imap.setPort(tls == UsoTLS::implicito ? servidor().portaTls() : servidor().portaPlana());
    imap.caFile = "/etc/ssl/certs/ca-certificates.crt";
    try {
      imap.connect();
      ADD_FAILURE() << "aceitou um certificado não confiável";
    } catch (const ImapError& e) {
      EXPECT_STREQ(e.what(), "certificado do servidor não é confiável");
    }
  }
}

TEST_F(ImapClientTest, ServerWithoutStartTlsFailsOnlyWhenTlsIsRequired) {
  DovecotPeer semTls(false);
  semTls.criarCaixa("joana");
  ImapClient imap;
  imap.host = "127.0.0.1";
  imap.setPort(semTls.portaPlana());
  imap.setUseTLS(UsoTLS::explicito);
  imap.username = "joana";
  imap.password = "segredo";
  EXPECT_NO_THROW(imap.connect());
  imap.disconnect();
  imap.setUseTLS(UsoTLS::requerido);
  try {
    imap.connect();
    ADD_FAILURE() << "conectou sem TLS";
  } catch (const ImapError& e) {
    EXPECT_EQ(std::string(e.what()), "o servidor 127.0.0.1:" + std::to_string(semTls.portaPlana()) +
                                         " não oferece TLS (STARTTLS)");
  }
}

TEST_F(ImapClientTest, SilentServerTimesOutInsteadOfHanging) {
  ScriptedImapServer mudo([](const std::string&) { return std::vector<std::string>{}; }, false);
  ImapClient imap;
  imap.host = "127.0.0.1";
  imap.setPort(mudo.porta());
  imap.username = "x";
  imap.password = "y";
  imap.connectTimeoutS = 1;
  imap.readTimeoutS = 1;
  auto inicio = std::chrono::steady_clock::now();
  try {
    imap.connect();
    ADD_FAILURE() << "conectou a um servidor mudo";
  } catch (const ImapError& e) {
    EXPECT_EQ(std::string(e.what()),
              "tempo esgotado aguardando o servidor 127.0.0.1:" + std::to_string(imap.port()));
  }
  EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(5));
}

TEST_F(ImapClientTest, WaitingHookRunsWhileTheServerIsAwaitedAndItsTimeIsNotSilence) {
  // A silent server: the hook keeps being called until the read limit ends the wait.
  ScriptedImapServer mudo([](const std::string&) { return std::vector<std::string>{}; }, false);
  ImapClient calado;
  calado.host = "127.0.0.1";
  calado.setPort(mudo.porta());
  calado.connectTimeoutS = calado.readTimeoutS = 1;
  int chamadas = 0;
  calado.aoEsperar = [&] { ++chamadas; };
  EXPECT_THROW(calado.connect(), ImapError);
  EXPECT_GE(chamadas, 2);

  // A hook that takes longer than the read limit (a dialog left open) does not cut a live
  // connection.
  std::string usuario = novoUsuario({mensagem("a@x.test", "um")});
  ImapClient imap = clienteDe(usuario);
  imap.readTimeoutS = 1;
  bool dormiu = false;
  imap.aoEsperar = [&] {
    if (dormiu) return;
    dormiu = true;
    ::usleep(1'500'000);
  };
  imap.connect();
  EXPECT_TRUE(dormiu);
  EXPECT_EQ(imap.select("INBOX"), 1);
  EXPECT_NE(imap.fetchMessage(1).find("Subject: um"), std::string::npos);
  imap.disconnect();
}

TEST_F(ImapClientTest, LineBreaksInCredentialsAreRefusedBeforeAnythingIsSent) {
  ImapClient imap = clienteDe("ninguem");
  imap.password = "x\r\nA9 DELETE INBOX";
  EXPECT_THROW(imap.connect(), ImapError);
  EXPECT_THROW(imap.uidStoreDeleted("1 +FLAGS (\\Seen)"), ImapError);
}

}  // namespace
}  // namespace quorvel
