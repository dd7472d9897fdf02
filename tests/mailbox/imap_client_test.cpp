// The IMAP client against a real Dovecot: the three ways of TLS, log-in kinds, the commands the
// harvest uses, certificate checks and time-outs.
#include "mailbox/imap_client.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "mailbox_server.h"
#include "support/hostile_imap_server.h"

namespace quorvel {
namespace {

using testing::DovecotPeer;
using testing::HostileImapServer;
using testing::MailboxServer;
using testing::mensagem;
using testing::Resposta;

// The process's peak resident memory so far, in MB.
double picoMb() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

double segundosDesde(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// A client for a hostile peer on loopback, plain text, LOGIN.
ImapClient clienteHostil(const HostileImapServer& s) {
  ImapClient imap;
  imap.host = "127.0.0.1";
  imap.setPort(s.porta());
  imap.username = "conta@exemplo.test";
  imap.password = "segredo";
  imap.connectTimeoutS = 5;
  imap.readTimeoutS = 10;
  return imap;
}

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
  HostileImapServer mudo([](const std::string&) { return std::vector<std::string>{}; }, false);
  ImapClient imap = clienteHostil(mudo);
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
  HostileImapServer mudo([](const std::string&) { return std::vector<std::string>{}; }, false);
  ImapClient calado = clienteHostil(mudo);
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

TEST_F(ImapClientTest, RepliesPastTheCapAreNotReadAndMemoryStaysSmall) {
  HostileImapServer hostil([](const std::string& cmd) -> Resposta {
    if (cmd == "FETCH 1 BODY[]") {  // a message of a gigabyte, announced and sent at full speed
      Resposta r{"* 1 FETCH (BODY[] {1073741824}", ")", "OK done"};
      r.literal = uint64_t{1} << 30;
      return r;
    }
    if (cmd == "FETCH 1 (UID)") {  // untagged lines without end (libcurl stops those itself)
      Resposta r{"* 1 FETCH (FLAGS (\\Seen))"};
      r.semFim = true;
      return r;
    }
    if (cmd == "FETCH 2 (UID)") return {"* 2 FETCH (UID 7)", "OK done"};
    return HostileImapServer::padrao(cmd);
  });
  ImapClient imap = clienteHostil(hostil);
  imap.connect();
  ASSERT_EQ(imap.select("INBOX"), 3);
  const double antes = picoMb();
  try {
    imap.fetchMessage(1);
    ADD_FAILURE() << "leu uma mensagem de 1 GB";
  } catch (const RespostaGrande& e) {
    EXPECT_STREQ(e.what(), "a resposta do servidor passa de 50 MB; 1024 MB anunciados");
  }
  EXPECT_THROW(imap.fetchUid(1), ImapError);
  const double crescimento = picoMb() - antes;
  std::printf("[ figura ] memória a mais sob a resposta hostil: %.1f MB\n", crescimento);
  EXPECT_LT(crescimento, 120.0);
  // The connection that was cut is made again by the next command.
  EXPECT_EQ(imap.fetchUid(2), 7);
  imap.disconnect();
}

TEST_F(ImapClientTest, ATricklingReplyEndsAtTheCommandsDeadline) {
  // The message two bytes every 250 ms: never silent for a second, and it would take ten.
  HostileImapServer gotejando([](const std::string& cmd) -> Resposta {
    if (cmd != "FETCH 1 BODY[]") return HostileImapServer::padrao(cmd);
    Resposta r{"* 1 FETCH (BODY[] {80}", ")", "OK done"};
    r.literal = 80;
    r.gotejarMs = 250;
    return r;
  });
  ImapClient imap = clienteHostil(gotejando);
  imap.readTimeoutS = 1;
  imap.prazoComandoS = 2;
  imap.connect();
  imap.select("INBOX");
  const auto inicio = std::chrono::steady_clock::now();
  try {
    imap.fetchMessage(1);
    ADD_FAILURE() << "esperou a resposta inteira";
  } catch (const ImapError& e) {
    EXPECT_EQ(std::string(e.what()), "o servidor 127.0.0.1:" + std::to_string(gotejando.porta()) +
                                         " não completou a resposta em 2 s");
    EXPECT_TRUE(e.transporte());
  }
  const double s = segundosDesde(inicio);
  std::printf("[ figura ] comando gotejado encerrado em %.2f s (prazo de 2 s)\n", s);
  EXPECT_LT(s, 8.0);
}

TEST_F(ImapClientTest, ExplicitTlsWarnsBeforeThePasswordGoesInClear) {
  // A server without STARTTLS: the warning comes before the LOGIN command is sent.
  HostileImapServer semStartTls(HostileImapServer::padrao);
  ImapClient imap = clienteHostil(semStartTls);
  imap.setUseTLS(UsoTLS::explicito);
  std::vector<std::string> avisos;
  bool loginAntes = false;
  imap.aoAvisar = [&](const std::string& a) {
    avisos.push_back(a);
    loginAntes = semStartTls.recebeu("LOGIN");
  };
  imap.connect();
  EXPECT_EQ(avisos, std::vector<std::string>{
                        "Atenção: o servidor 127.0.0.1:" + std::to_string(semStartTls.porta()) +
                        " não oferece TLS (STARTTLS); a senha de conta@exemplo.test vai sem "
                        "criptografia. Escolha \"TLS requerido\" ou \"TLS implícito\" para exigir "
                        "a criptografia."});
  EXPECT_FALSE(loginAntes);
  EXPECT_TRUE(semStartTls.recebeu("LOGIN"));  // kept: the account's choice
  imap.disconnect();

  // SASL on a Dovecot without TLS warns too; a server that offers STARTTLS never does.
  DovecotPeer semTls(false);
  std::string usuario = novoUsuario({});
  semTls.criarCaixa(usuario);
  struct Caso {
    int porta;
    Autenticacao auth;
    size_t avisos;
  } casos[] = {{semTls.portaPlana(), Autenticacao::sasl, 1},
               {servidor().portaPlana(), Autenticacao::login, 0},
               {servidor().portaPlana(), Autenticacao::sasl, 0}};
  for (const auto& c : casos) {
    ImapClient outro = clienteDe(usuario);
    outro.setPort(c.porta);
    outro.setUseTLS(UsoTLS::explicito);
    outro.autenticacao = c.auth;
    avisos.clear();
    outro.aoAvisar = [&](const std::string& a) { avisos.push_back(a); };
    ASSERT_NO_THROW(outro.connect()) << c.porta;
    EXPECT_EQ(avisos.size(), c.avisos) << c.porta;
    EXPECT_EQ(outro.select("INBOX"), 0);
    outro.disconnect();
  }
}

TEST_F(ImapClientTest, NumbersPastSixtyFourBitsAreClearFailures) {
  HostileImapServer enorme([](const std::string& cmd) -> Resposta {
    if (cmd.rfind("SELECT", 0) == 0)
      return {"* 99999999999999999999 EXISTS", "OK [READ-WRITE] done"};
    if (cmd == "FETCH 1 (UID)") return {"* 1 FETCH (UID 99999999999999999999)", "OK done"};
    return HostileImapServer::padrao(cmd);
  });
  ImapClient imap = clienteHostil(enorme);
  imap.connect();
  try {
    imap.select("INBOX");
    ADD_FAILURE() << "aceitou o número";
  } catch (const ImapError& e) {
    EXPECT_STREQ(e.what(),
                 "o servidor informou um número de mensagens inválido (99999999999999999999) ao "
                 "selecionar a pasta INBOX");
  }
  EXPECT_EQ(imap.fetchUid(1), -1);  // unreadable: only the position tests are skipped
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
