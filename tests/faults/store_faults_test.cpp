// Faults of the store: a damaged page, a cache that refuses writes, a disk without room, a
// program killed in the middle of a run. The user gets the right result or a clear message and a
// non-zero status; never an address passed as valid because the store could not answer.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>

#include "common/text.h"
#include "store/database.h"
#include "support/cli_runner.h"
#include "support/cli_workspace.h"
#include "support/mx_fixture.h"
#include "support/small_disk.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

using StoreFaults = quorvel::testing::CliWorkspace;

constexpr int kDominios = 20000;

std::string enderecos(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "a@nx" + std::to_string(i) + ".test\n";
  return s;
}

// The workspace's database with `kDominios` domains known to have no mail server.
void semearCache(const fs::path& home) {
  quorvel::SharingFlags flags;
  quorvel::Database db(home.string(), flags);
  db.esperaAberturaMs = 0;
  db.abrirBD();
  std::string lista;
  for (int i = 0; i < kDominios; ++i) lista += "nx" + std::to_string(i) + ".test\n";
  db.inserirMXMass(quorvel::kTbMxInvalidos, lista, true);
}

// A few kilobytes of junk in the middle of the file, as a bad sector or a torn copy leaves.
void danificar(const fs::path& arquivo) {
  const auto tamanho = fs::file_size(arquivo);
  std::fstream f(arquivo, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(tamanho / 2));
  std::string lixo(16384, '\x5A');
  f.write(lixo.data(), static_cast<std::streamsize>(lixo.size()));
}

TEST_F(StoreFaults, ADamagedPageStopsTheRunInsteadOfPassingAddresses) {
  semearCache(pasta);
  const fs::path bd = pasta / "dados" / "config" / "quorvel.bd";
  danificar(bd);
  const std::string home = " --home " + pasta.string();
  const std::string entrada = arquivo("enderecos.txt", enderecos(kDominios));

  auto check = run("check --file " + entrada + home, "", true);
  EXPECT_EQ(check.status, 1);
  EXPECT_THAT(check.out, HasSubstr("quorvel-cli: O banco de dados está danificado"));
  // Every line printed before the stop carries the cache's answer: none passed silently.
  for (const auto& linha : quorvel::splitLines(check.out)) {
    if (linha.rfind("a@nx", 0) == 0) {
      EXPECT_THAT(linha, HasSubstr("\tTeste MX - nx")) << linha;
    }
  }

  auto bulk = run("bulk" + home + " " + entrada, "", true);
  EXPECT_EQ(bulk.status, 1);
  EXPECT_THAT(bulk.out, HasSubstr("O banco de dados está danificado"));
  EXPECT_THAT(bulk.out, HasSubstr("A validação foi interrompida na linha "));
  for (const auto& f : fs::directory_iterator(pasta / "dados")) {
    if (f.path().filename().string().rfind("big_validos", 0) == 0) {
      EXPECT_THAT(ler("dados/" + f.path().filename().string()), Not(HasSubstr("@nx")));
    }
  }

  auto stats = run("db stats" + home, "", true);
  EXPECT_NE(stats.status, 0);
  EXPECT_THAT(stats.out, HasSubstr("O banco de dados está danificado"));
  EXPECT_THAT(stats.out, Not(HasSubstr("malformed")));
  EXPECT_THAT(stats.out, Not(HasSubstr("encrypted")));
}

TEST_F(StoreFaults, AFullDiskKeepsTheAnswersForTheRunAndSaysSoOnce) {
  semearCache(pasta);  // the file exists before its disk fills
  const fs::path config = pasta / "dados" / "config";
  const std::string copia = (pasta / "quorvel.bd").string();
  fs::copy_file(config / "quorvel.bd", copia);
  fs::remove_all(config);
  quorvel::testing::SmallDisk disco(config, 4 << 20);
  if (!disco.ok()) GTEST_SKIP() << "a small file system cannot be mounted here";
  fs::copy_file(copia, config / "quorvel.bd");
  // Room for opening the file, not for the answers of 300 new domains.
  {
    std::ofstream f(config / "enchimento", std::ios::binary);
    const auto livre = fs::space(config).available;
    const std::string bloco(4096, 'x');
    for (uintmax_t n = 0; n + 192 * 1024 < livre; n += bloco.size()) f << bloco;
  }
  std::string novos;
  for (int i = 0; i < 300; ++i) novos += "b@novo" + std::to_string(i) + ".test\n";
  const auto inicio = std::chrono::steady_clock::now();
  auto r = run("check --home " + pasta.string(), novos, true);
  const auto segundos =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
  EXPECT_EQ(r.status, 0) << r.out;
  int rejeitados = 0, avisos = 0;
  for (const auto& l : quorvel::splitLines(r.out)) {
    rejeitados += l.find("\tTeste MX - novo") != std::string::npos;
    avisos += l.find("não puderam ser guardadas no banco de dados") != std::string::npos;
  }
  EXPECT_EQ(rejeitados, 300);  // the DNS answered: none passes
  EXPECT_EQ(avisos, 1);
  EXPECT_LT(segundos, 30.0);
}

TEST(StoreFaultsInProcess, ALockedCacheCostsOneWaitNotOnePerDomain) {
  std::vector<std::string> hosts;
  quorvel::testing::MxFixture m(hosts);
  m.database->setEsperaBloqueio(300);
  quorvel::SqliteDb outro;
  outro.open(m.database->caminho(), false);
  outro.exec(std::string("PRAGMA key = '") + quorvel::Database::kSenha + "';");
  outro.exec("BEGIN IMMEDIATE;");  // another program holds the file for writing
  const auto inicio = std::chrono::steady_clock::now();
  std::string erro;
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(m.f.v.chain.validarEmail("a@semmx" + std::to_string(i) + ".test", erro), "");
  const auto segundos =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
  EXPECT_EQ(erro, "Teste MX - semmx9.test");
  EXPECT_LT(segundos, 10 * 0.3);  // one refused write waited; the others did not try
  EXPECT_EQ(m.f.dialogs.texts("warning").size(), 1u);
  EXPECT_THAT(m.f.dialogs.texts("warning")[0], HasSubstr("bloqueado por outro programa"));
  outro.exec("ROLLBACK;");
}

// Several programs started at once over a new workspace: each opens the store, none finds it
// "damaged" because another was creating it.
TEST_F(StoreFaults, ProgramsStartedAtOnceOverANewWorkspaceAllOpenTheStore) {
  for (int rodada = 0; rodada < 5; ++rodada) {
    const fs::path home = pasta / ("novo" + std::to_string(rodada));
    fs::create_directories(home);
    std::vector<pid_t> filhos;
    for (int i = 0; i < 4; ++i) {
      pid_t pid = ::fork();
      if (pid == 0) {
        const std::string h = home.string();
        const int nulo = ::open("/dev/null", O_WRONLY);
        ::dup2(nulo, STDOUT_FILENO);
        ::execl(QUORVEL_CLI, QUORVEL_CLI, "check", "--home", h.c_str(), "a@good.test",
                static_cast<char*>(nullptr));
        ::_exit(127);
      }
      filhos.push_back(pid);
    }
    for (pid_t pid : filhos) {
      int status = 0;
      ::waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << rodada;
    }
  }
}

// Killed at any moment, the store opens afterwards and keeps every answer it committed. The
// program writes its answers into a pipe the test stops reading: once the test has taken a
// given amount of them, the program cannot finish, and the kill lands in the middle of the run.
TEST_F(StoreFaults, KilledMidRunTheStoreOpensAndKeepsWhatItCommitted) {
  std::string muitos;
  for (int i = 0; i < 6000; ++i) muitos += "c@morto" + std::to_string(i) + ".test\n";
  const std::string entrada = arquivo("muitos.txt", muitos);
  for (size_t lidos : {size_t{1}, size_t{1} << 16}) {
    int canal[2];
    ASSERT_EQ(::pipe(canal), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
      const std::string home = pasta.string();
      ::dup2(canal[1], STDOUT_FILENO);
      ::close(canal[0]);
      ::close(canal[1]);
      ::execl(QUORVEL_CLI, QUORVEL_CLI, "check", "--home", home.c_str(), "--file", entrada.c_str(),
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(canal[1]);
    std::string recebido;
    char buf[4096];
    while (recebido.size() < lidos) {
      ssize_t n = ::read(canal[0], buf, std::min(sizeof buf, lidos - recebido.size()));
      if (n <= 0) break;
      recebido.append(buf, static_cast<size_t>(n));
    }
    ASSERT_EQ(recebido.size(), lidos);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(canal[0]);
    EXPECT_TRUE(WIFSIGNALED(status));  // it was still running
    auto stats = run("db stats --home " + pasta.string(), "", true);
    ASSERT_EQ(stats.status, 0) << stats.out;
    EXPECT_THAT(stats.out, HasSubstr("tbmxinvalidos\t"));
  }
  // What was stored is used: with the DNS gone, the stored domains are still rejected.
  auto guardados = run("db mx list --invalid --home " + pasta.string(), "");
  const size_t n = quorvel::splitLines(guardados.out).size();
  EXPECT_GT(n, 0u);
  ::setenv("QUORVEL_DNS_SERVER", "127.0.0.1:9", 1);
  auto depois = run("check --home " + pasta.string() + " --file " + entrada, "");
  size_t rejeitados = 0;
  for (const auto& l : quorvel::splitLines(depois.out))
    rejeitados += l.find("\tTeste MX - morto") != std::string::npos;
  EXPECT_EQ(rejeitados, n);
}

}  // namespace
