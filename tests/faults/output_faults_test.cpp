// Faults of the outputs: a disk that fills up, standard output that cannot be written or whose
// reader went away, a command killed or interrupted while it writes. What was written stays whole
// and the user is told where things stand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include "common/text.h"
#include "common/text_file.h"
#include "support/cli_runner.h"
#include "support/cli_workspace.h"
#include "support/small_disk.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

using OutputFaults = quorvel::testing::CliWorkspace;

TEST_F(OutputFaults, AFailedWriteToStandardOutputIsAnErrorAndAClosedPipeIsNot) {
  const std::string home = " --home " + pasta.string();
  std::string muitos;
  for (int i = 0; i < 50000; ++i) muitos += "a" + std::to_string(i) + "@x.com\n";
  const std::string entrada = arquivo("muitos.txt", muitos);
  auto cheio = runBash(
      "QUORVEL check --disable testemx,emailsinvalidos --file " + entrada + home + " > /dev/full",
      true);
  EXPECT_EQ(cheio.status, 1);
  EXPECT_THAT(cheio.out, HasSubstr("não foi possível gravar na saída padrão: não há espaço livre"));
  auto ex = runBash("QUORVEL extract " + entrada + " > /dev/full", true);
  EXPECT_EQ(ex.status, 1);
  auto head = runBash("QUORVEL check --disable testemx,emailsinvalidos --file " + entrada + home +
                          " | head -1; echo \"status=${PIPESTATUS[0]}\"",
                      true);
  EXPECT_EQ(head.out, "a0@x.com\ta0@x.com\t\nstatus=0\n");
}

TEST_F(OutputFaults, AFullDiskInBulkLeavesWholeLinesAndSaysWhereToResume) {
  quorvel::testing::SmallDisk disco(pasta / "saida", 1 << 20);
  if (!disco.ok()) GTEST_SKIP() << "a small file system cannot be mounted here";
  std::string linhas;
  for (int i = 0; i < 200000; ++i)
    linhas += (i % 7 ? "pessoa" + std::to_string(i) + "@empresa.com.br"
                     : "sem arroba " + std::to_string(i)) +
              "\r\n";
  const std::string entrada = arquivo("a.txt", linhas);
  auto r = run("bulk --disable testemx,emailsinvalidos --output-dir " + p("saida") + " --home " +
                   pasta.string() + " " + entrada,
               "", true);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.out, HasSubstr("não há espaço livre no disco"));
  std::smatch m;
  const std::string saida = r.out;
  ASSERT_TRUE(std::regex_search(saida, m, std::regex("as primeiras ([0-9.]+) linhas de a\\.txt")))
      << r.out;
  std::string numero = m[1];
  numero.erase(std::remove(numero.begin(), numero.end(), '.'), numero.end());
  const size_t gravadas = std::stoul(numero);
  EXPECT_THAT(r.out, HasSubstr("retome a partir da linha "));
  // The two files hold exactly the first lines of the input, whole, in their order.
  std::vector<std::string> val, inv;
  for (const auto& f : fs::directory_iterator(pasta / "saida")) {
    const std::string nome = f.path().filename().string();
    const std::string bytes = quorvel::readFileBytes(f.path().string()).value_or("");
    if (nome.rfind("big_", 0) != 0) continue;
    ASSERT_TRUE(bytes.size() <= 3 || bytes.substr(bytes.size() - 2) == "\r\n") << nome;
    auto ls = quorvel::splitLines(bytes.substr(std::min<size_t>(3, bytes.size())));
    (nome.rfind("big_validos", 0) == 0 ? val : inv) = ls;
  }
  EXPECT_EQ(val.size() + inv.size(), gravadas);
  size_t iv = 0, ii = 0;
  for (size_t i = 0; i < gravadas; ++i) {
    if (i % 7)
      ASSERT_EQ(val.at(iv++), "pessoa" + std::to_string(i) + "@empresa.com.br");
    else
      ASSERT_EQ(inv.at(ii++), "sem arroba " + std::to_string(i) + "\tErro de sintaxe");
  }
  // The counters say what the files hold.
  EXPECT_THAT(r.out, HasSubstr("lbProcessados\t" + [&] {
                std::string s = std::to_string(gravadas), g;
                for (size_t k = 0; k < s.size(); ++k) {
                  if (k && (s.size() - k) % 3 == 0) g += '.';
                  g += s[k];
                }
                return g;
              }() + "\n"));
}

// A command killed while it writes leaves no temporary file behind; one left by an earlier run
// that was killed between naming and renaming it is taken away by the next save.
TEST_F(OutputFaults, KilledSavesLeaveNoTemporaryFiles) {
  std::string grande = "email;nome\r\n";
  for (int i = 0; i < 300000; ++i)
    grande += "p" + std::to_string(i % 150000) + "@x.com.br;Nome " + std::to_string(i) + "\r\n";
  const std::string entrada = arquivo("grande.csv", grande);
  fs::create_directories(pasta / "saida");
  for (int atraso : {300, 700, 1100}) {
    pid_t pid = ::fork();
    if (pid == 0) {
      const std::string saida = p("saida/lista.csv");
      ::execl(QUORVEL_CLI, QUORVEL_CLI, "list", "dedupe", "--column", "1", entrada.c_str(),
              saida.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(atraso));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  arquivo("saida/lista.csv.tmp-999999999", "de uma execução morta");
  auto r = run("list dedupe --column 1 " + entrada + " " + p("saida/lista.csv"), "", true);
  EXPECT_EQ(r.status, 0) << r.out;
  for (const auto& f : fs::directory_iterator(pasta / "saida"))
    EXPECT_EQ(f.path().filename().string(), "lista.csv");
}

TEST_F(OutputFaults, CtrlCInAListCommandWritesNothing) {
  std::string grande = "email;nome\r\n";
  for (int i = 0; i < 400000; ++i)
    grande += "p" + std::to_string(i) + "@x.com.br;Nome " + std::to_string(i) + "\r\n";
  const std::string entrada = arquivo("grande.csv", grande);
  for (int atraso : {200, 600, 1200}) {
    pid_t pid = ::fork();
    if (pid == 0) {
      const std::string saida = p("cancelada.csv");
      ::execl(QUORVEL_CLI, QUORVEL_CLI, "list", "dedupe", "--column", "1", entrada.c_str(),
              saida.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(atraso));
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) continue;  // it had finished already
    EXPECT_TRUE(WIFEXITED(status)) << atraso;
    EXPECT_EQ(WEXITSTATUS(status), 130) << atraso;
    EXPECT_FALSE(fs::exists(p("cancelada.csv"))) << atraso;
  }
}

}  // namespace
