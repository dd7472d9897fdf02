// The settings-discovery program, run as the accounts window runs it: SRV records from dnsmasq
// on loopback point at the test Dovecot; the answer comes back through output.cfg.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/text_file.h"
#include "mailbox/cl_email_test.h"
#include "mailbox_server.h"
#include "support/dns_peer.h"
#include "support/scripted_ports.h"

namespace quorvel {
namespace {

using testing::MailboxServer;

class EmailTestProgram : public MailboxServer {
 protected:
  std::unique_ptr<testing::DnsPeer> dns;
  std::filesystem::path home;
  ProcessLauncher launcher;
  NoEventPump pump;
  std::unique_ptr<CLEmailTest> exchange;

  void SetUp() override {
    std::string tls = std::to_string(servidor().portaTls());
    std::string plana = std::to_string(servidor().portaPlana());
    dns = std::make_unique<testing::DnsPeer>(
        std::vector<std::string>{},
        std::vector<std::string>{
            "--srv-host=_imaps._tcp.seguro.exemplo.test,caixa.exemplo.test," + tls + ",0,0",
            "--srv-host=_imap._tcp.starttls.exemplo.test,correio.exemplo.test," + plana + ",0,0",
            "--host-record=caixa.exemplo.test,127.0.0.1",
            "--host-record=correio.exemplo.test,127.0.0.1"});
    ::setenv("QUORVEL_DNS_SERVER", dns->server().c_str(), 1);
    char modelo[] = "/tmp/quorvel-emailtest-XXXXXX";
    home = ::mkdtemp(modelo);
    exchange =
        std::make_unique<CLEmailTest>(home.string(), launcher, pump, QUORVEL_EMAILTEST_PROGRAM);
    exchange->esperaMs = 0;
  }
  void TearDown() override {
    exchange->closeEmailTest();
    // The program removes the stop request when it reads it, then ends.
    for (int i = 0; i < 100 && std::filesystem::exists(home / kArquivoPedido); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(std::filesystem::exists(home / kArquivoPedido));
    std::filesystem::remove_all(home);
  }

  // One request through the files, as the window's timer polls for it.
  std::vector<std::string> perguntar(const std::string& email, const std::string& senha) {
    exchange->saveInputRequest("IMAP", email, senha);
    std::vector<std::string> r;
    for (int i = 0; i < 300 && !exchange->getOutputConfig(r); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return r;
  }
};

TEST_F(EmailTestProgram, FindsTheServerThroughSrvRecordsAndConfirmsByLoggingIn) {
  ASSERT_TRUE(exchange->execEmailTest());
  std::string a = "ana@seguro.exemplo.test";
  servidor().criarCaixa(a);
  EXPECT_EQ(perguntar(a, testing::DovecotPeer::kSenha),
            (std::vector<std::string>{"1", "tipoAuth=Padrão", "TLS=TLS implícito", "versaoIP=IPV4",
                                      "ModoSSL=Não definido", "MetodoSSL=SSLv23",
                                      "Porta=" + std::to_string(servidor().portaTls()),
                                      "Servidor=caixa.exemplo.test", "username=" + a}));
  // The same program answers a second request.
  std::string b = "bia@starttls.exemplo.test";
  servidor().criarCaixa(b);
  std::vector<std::string> r = perguntar(b, testing::DovecotPeer::kSenha);
  ASSERT_EQ(r.size(), 9u);
  EXPECT_EQ(r[2], "TLS=TLS explícito");
  EXPECT_EQ(r[6], "Porta=" + std::to_string(servidor().portaPlana()));
  EXPECT_EQ(r[7], "Servidor=correio.exemplo.test");
}

TEST_F(EmailTestProgram, ExplainsWhatFailed) {
  ASSERT_TRUE(exchange->execEmailTest());
  EXPECT_EQ(perguntar("ze@ninguem.exemplo.test", "x"),
            (std::vector<std::string>{"0", "IMAP",
                                      "Não foi possível descobrir as configurações de "
                                      "ze@ninguem.exemplo.test. Informe os dados fornecidos por "
                                      "seu provedor."}));
  EXPECT_EQ(perguntar("ana@seguro.exemplo.test", "errada"),
            (std::vector<std::string>{"0", "IMAP",
                                      "O servidor caixa.exemplo.test foi encontrado, mas não "
                                      "aceitou o e-mail e a senha informados."}));
}

}  // namespace
}  // namespace quorvel
