// The settings-discovery program, run as the accounts window runs it: SRV records from dnsmasq
// on loopback point at the test Dovecot; the answer comes back through output.cfg. The program
// tries servers inside the address's domain only.
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
            "--srv-host=_imaps._tcp.seguro.exemplo.test,seguro.exemplo.test," + tls + ",0,0",
            "--srv-host=_imap._tcp.starttls.exemplo.test,starttls.exemplo.test," + plana + ",0,0",
            "--srv-host=_imaps._tcp.fora.exemplo.test,caixa.exemplo.test," + tls + ",0,0",
            "--host-record=seguro.exemplo.test,127.0.0.1",
            "--host-record=starttls.exemplo.test,127.0.0.1",
            "--host-record=caixa.exemplo.test,127.0.0.1"});
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
    EXPECT_TRUE(ate([&] { return !std::filesystem::exists(home / kArquivoPedido); }));
    std::filesystem::remove_all(home);
  }

  // Polls for what the program does (a file it answers or removes), for as long as a loaded
  // machine may need.
  template <class Condicao>
  static bool ate(Condicao feito) {
    const auto limite = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!feito()) {
      if (std::chrono::steady_clock::now() > limite) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  // One request through the files, as the window's timer polls for it.
  std::vector<std::string> perguntar(const std::string& email, const std::string& senha) {
    exchange->saveInputRequest("IMAP", email, senha);
    std::vector<std::string> r;
    ate([&] { return exchange->getOutputConfig(r); });
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
                                      "Servidor=seguro.exemplo.test", "username=" + a}));
  // The same program answers a second request.
  std::string b = "bia@starttls.exemplo.test";
  servidor().criarCaixa(b);
  std::vector<std::string> r = perguntar(b, testing::DovecotPeer::kSenha);
  ASSERT_EQ(r.size(), 9u);
  EXPECT_EQ(r[2], "TLS=TLS explícito");
  EXPECT_EQ(r[6], "Porta=" + std::to_string(servidor().portaPlana()));
  EXPECT_EQ(r[7], "Servidor=starttls.exemplo.test");
}

TEST_F(EmailTestProgram, AServerOutsideTheDomainIsOfferedAndNeverGivenThePassword) {
  ASSERT_TRUE(exchange->execEmailTest());
  std::string a = "ana@fora.exemplo.test";
  servidor().criarCaixa(a);
  EXPECT_EQ(perguntar(a, testing::DovecotPeer::kSenha),
            (std::vector<std::string>{
                "0", "IMAP",
                "O domínio fora.exemplo.test indica o servidor caixa.exemplo.test, que não "
                "pertence a ele. Por segurança a senha não foi enviada a esse servidor. Se ele for "
                "mesmo o servidor da sua conta, confira os dados e teste a conta.",
                "Servidor=caixa.exemplo.test", "Porta=" + std::to_string(servidor().portaTls()),
                "TLS=TLS implícito"}));
}

TEST(ProcessLauncherTest, AProgramThatCannotRunIsNotStarted) {
  char modelo[] = "/tmp/quorvel-launcher-XXXXXX";
  const std::filesystem::path pasta = ::mkdtemp(modelo);
  const std::filesystem::path falso = pasta / "nao-e-programa";
  writeFileAtomic(falso.string(), "isto não é um programa\n", {0755, {}});
  ProcessLauncher launcher;
  EXPECT_FALSE(launcher.iniciar(falso.string(), {}));
  EXPECT_FALSE(launcher.iniciar((pasta / "ausente").string(), {}));
  EXPECT_TRUE(launcher.iniciar("/bin/true", {}));
  std::filesystem::remove_all(pasta);
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
                                      "O servidor seguro.exemplo.test foi encontrado, mas não "
                                      "aceitou o e-mail e a senha informados."}));
}

}  // namespace
}  // namespace quorvel
