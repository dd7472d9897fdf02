// The mail commands of quorvel-cli as a user runs them, against the test Dovecot and dnsmasq.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <thread>

#include "common/text.h"
#include "scan_fixture.h"
#include "support/cli_runner.h"
#include "support/dns_peer.h"
#include "support/hostile_imap_server.h"

namespace quorvel {
namespace {

using testing::DovecotPeer;
using testing::retorno;

class CliMailbox : public testing::MailboxServer {
 protected:
  std::filesystem::path pasta;
  std::unique_ptr<testing::DnsPeer> dns;
  std::string home;

  void SetUp() override {
    std::string tls = std::to_string(servidor().portaTls());
    dns = std::make_unique<testing::DnsPeer>(
        std::vector<std::string>{},
        std::vector<std::string>{
            "--srv-host=_imaps._tcp.empresa.exemplo.test,empresa.exemplo.test," + tls + ",0,0",
            "--host-record=empresa.exemplo.test,127.0.0.1"});
    ::setenv("QUORVEL_DNS_SERVER", dns->server().c_str(), 1);
    char modelo[] = "/tmp/quorvel-cli-mailbox-XXXXXX";
    pasta = ::mkdtemp(modelo);
    home = " --home " + pasta.string();
  }
  void TearDown() override {
    // A discovery program still reading its stop request goes first (it removes the file).
    const auto limite = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (std::filesystem::exists(pasta / "input.cfg") &&
           std::chrono::steady_clock::now() < limite)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::error_code ec;
    std::filesystem::remove_all(pasta, ec);
  }

  // Today as the program stores it (the CLI runs on the real clock).
  static std::string hoje() {
    std::time_t t = std::time(nullptr);
    std::tm l{};
    localtime_r(&t, &l);
    char b[16];
    std::strftime(b, sizeof b, "%Y-%m-%d", &l);
    return b;
  }

  std::string adicionar(const std::string& usuario) {
    return "accounts add --email " + usuario +
           " --password - --server 127.0.0.1 --tls \"Sem suporte a TLS\" --port " +
           std::to_string(servidor().portaPlana()) + home;
  }
};

TEST_F(CliMailbox, AccountsAreAddedListedTestedSwitchedAndRemoved) {
  std::string u = novoUsuario({});
  Result r = run(adicionar(u), std::string(DovecotPeer::kSenha) + "\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Conta " + u + " cadastrada: 127.0.0.1, porta " +
                       std::to_string(servidor().portaPlana()) + ", Sem suporte a TLS, Padrão\n");
  EXPECT_EQ(run(adicionar(u), "x\n").status, 1);  // already there

  EXPECT_EQ(run("accounts test " + u + home, "").out,
            "A conta foi conectada com sucesso e está pronta para uso!\n");
  EXPECT_EQ(run("accounts active " + u + " off" + home, "").status, 0);
  EXPECT_EQ(run("accounts list" + home, "").out, "Não\t" + u + "\t127.0.0.1\t" +
                                                     std::to_string(servidor().portaPlana()) +
                                                     "\tSem suporte a TLS\tPadrão\n");
  EXPECT_EQ(run("accounts remove " + u + home, "").status, 0);
  EXPECT_EQ(run("accounts list" + home, "").out, "");
  EXPECT_EQ(run("accounts remove " + u + home, "").status, 1);

  Result ruim =
      run("accounts add --email a@b.test --password x --server h --tls TLS" + home, "", true);
  EXPECT_EQ(ruim.status, 2);
  EXPECT_NE(ruim.out.find("--tls aceita"), std::string::npos);
}

TEST_F(CliMailbox, AccountWithoutServerIsConfiguredAutomatically) {
  // A provider the program knows: its table, no network.
  EXPECT_EQ(run("accounts add --email Ana@Gmail.com --password x" + home, "").status, 0);
  // Any other domain: the discovery program, through SRV records and a log-in.
  std::string u = "bia@empresa.exemplo.test";
  servidor().criarCaixa(u);
  Result r = run("accounts add --email " + u + " --password -" + home,
                 std::string(DovecotPeer::kSenha) + "\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(run("accounts list" + home, "").out,
            "Sim\tAna@Gmail.com\timap.gmail.com\t143\tTLS implícito\tPadrão\n"
            "Sim\t" +
                u + "\tempresa.exemplo.test\t" + std::to_string(servidor().portaTls()) +
                "\tTLS implícito\tPadrão\n");
  EXPECT_EQ(run("accounts test " + u + home, "").status, 0);

  Result falha = run("accounts add --email ze@ninguem.exemplo.test --password x" + home, "", true);
  EXPECT_EQ(falha.status, 1);
  EXPECT_NE(falha.out.find("Não foi possível descobrir as configurações"), std::string::npos);
}

TEST_F(CliMailbox, CheckPrintsTheLogAndTheNegativeBaseRejectsWhatItFound) {
  std::string u = novoUsuario({});
  servidor().semear(u, {retorno("usuario_inexistente.eml", u), retorno("remover.eml", u)});
  ASSERT_EQ(run(adicionar(u), std::string(DovecotPeer::kSenha) + "\n").status, 0);

  Result r = run("mailbox check" + home, "");
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> linhas = splitLines(r.out);
  ASSERT_EQ(linhas.size(), 6u) << r.out;
  EXPECT_EQ(linhas[0].substr(19), " - Iniciando conta " + u + "...");
  EXPECT_EQ(linhas[3].substr(22), "Pedido de remoção: Leitor.Antigo@Cliente.test");
  EXPECT_EQ(linhas[4].substr(22),
            "ADICIONADO: joao.silva@cliente.test - mailer-daemon@ - address rejected");
  EXPECT_EQ(linhas[5].substr(22), u + " CHECAGEM - Checagem concluída!");
  EXPECT_NE(run("mailbox check" + home, "").out.find("Não há mensagens recentes"),
            std::string::npos);
  EXPECT_EQ(run("mailbox check --force" + home, "").out.find("Não há mensagens recentes"),
            std::string::npos);

  EXPECT_EQ(run("negative add curto@x" + home, "").status, 2);
  EXPECT_EQ(run("negative add ' Sair@Loja.test'" + home, "").status, 0);
  EXPECT_EQ(run("negative add sair@loja.test" + home, "").status, 1);
  EXPECT_EQ(run("negative list --types 3" + home, "").out,
            "leitor.antigo@cliente.test\t" + hoje() + "\t" + u + "\tpedido de remoção\t3\n" +
                "sair@loja.test\t" + hoje() + "\t\tdescadastramento incluído manualmente\t3\n");
  EXPECT_EQ(run("negative list --types 1,9" + home, "").status, 2);

  Result v = run("check --disable testemx" + home,
                 "joao.silva@cliente.test\nleitor.antigo@cliente.test\nnovo@cliente.test\n");
  EXPECT_EQ(v.out,
            "joao.silva@cliente.test\t\tBase negativa: e-mail inexistente\n"
            "leitor.antigo@cliente.test\t\tBase negativa: e-mail indisponível para recebimento\n"
            "novo@cliente.test\tnovo@cliente.test\t\n");
}

TEST_F(CliMailbox, WrongPasswordIsReportedWithAdviceAndAFailingStatus) {
  std::string u = novoUsuario({});
  ASSERT_EQ(run(adicionar(u), "errada\n").status, 0);
  Result r = run("accounts test " + u + home, "");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Erro: Verifique se digitou o e-mail e a senha corretamente.\n");
  // In a run the failure is a log line; the run goes on and its status tells of the failure.
  Result c = run("mailbox check" + home, "", true);
  EXPECT_EQ(c.status, 1);
  EXPECT_NE(c.out.find(u + ": CHECAGEM - Falha ao conectar. Verifique as configurações da conta"),
            std::string::npos);
  EXPECT_NE(c.out.find("quorvel-cli: 1 conta não pôde ser lida"), std::string::npos);
}

TEST_F(CliMailbox, APasswordGivenInTheArgumentsIsWarnedAbout) {
  std::string u = novoUsuario({});
  Result r =
      run("accounts add --email " + u + " --password segredo --server 127.0.0.1 --tls " +
              "\"Sem suporte a TLS\" --port " + std::to_string(servidor().portaPlana()) + home,
          "", true);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("quorvel-cli: aviso: a senha dada em --password fica visível"),
            std::string::npos);
  EXPECT_EQ(run(adicionar(novoUsuario({})), "segredo\n", true).out.find("aviso"),
            std::string::npos);
}

// Ctrl+C while a server trickles a message: the account stops at once and the command ends as
// cancelled. The signal goes when the server has the command, not after a guessed delay.
TEST_F(CliMailbox, CtrlCCutsAWaitForATricklingServer) {
  testing::HostileImapServer gotejando([](const std::string& cmd) -> testing::Resposta {
    if (cmd.rfind("SELECT", 0) == 0) return {"* 1 EXISTS", "OK [READ-WRITE] done"};
    if (cmd == "FETCH 1 (UID)") return {"* 1 FETCH (UID 5)", "OK done"};
    if (cmd == "FETCH 1 BODY[]") {
      testing::Resposta r{"* 1 FETCH (BODY[] {600}", ")", "OK done"};
      r.literal = 600;
      r.gotejarMs = 300;
      return r;
    }
    return testing::HostileImapServer::padrao(cmd);
  });
  ASSERT_EQ(run("accounts add --email lenta@exemplo.test --password - --server 127.0.0.1 --tls "
                "\"Sem suporte a TLS\" --port " +
                    std::to_string(gotejando.porta()) + home,
                "x\n")
                .status,
            0);
  pid_t pid = ::fork();
  if (pid == 0) {
    const int nulo = ::open("/dev/null", O_WRONLY);
    ::dup2(nulo, STDOUT_FILENO);
    ::dup2(nulo, STDERR_FILENO);
    ::execl(QUORVEL_CLI, QUORVEL_CLI, "mailbox", "check", "--home", pasta.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ASSERT_TRUE(gotejando.esperarComando("FETCH 1 BODY[]"));
  const auto inicio = std::chrono::steady_clock::now();
  ::kill(pid, SIGINT);
  int status = 0;
  ::waitpid(pid, &status, 0);
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
  std::printf("[ figura ] Ctrl+C durante a espera pelo servidor: %.2f s até o fim do comando\n", s);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_LT(s, 10.0);  // the message alone would take 90 s
}

}  // namespace
}  // namespace quorvel
