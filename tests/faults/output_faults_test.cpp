// Faults of the outputs: a disk that fills up, standard output that cannot be written or whose
// reader went away, a command killed or interrupted while it writes. What was written stays whole
// and the user is told where things stand. A command is interrupted at a point it reports (it
// stops itself there), never after a guessed delay.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <vector>

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

// quorvel-cli started with QUORVEL_STOP_AT: it stops itself when it reaches that point, so a
// test can signal or kill it exactly there instead of after a guessed delay.
class ProgramaParado {
 public:
  ProgramaParado(const std::string& ponto, std::vector<std::string> args) {
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setenv("QUORVEL_STOP_AT", ponto.c_str(), 1);
      const int nulo = ::open("/dev/null", O_WRONLY);
      ::dup2(nulo, STDOUT_FILENO);
      ::dup2(nulo, STDERR_FILENO);
      std::vector<char*> argv{const_cast<char*>(QUORVEL_CLI)};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(QUORVEL_CLI, argv.data());
      ::_exit(127);
    }
    ::waitpid(pid_, &status_, WUNTRACED);
  }
  // It reached the point (false: it ended first).
  bool parou() const { return WIFSTOPPED(status_); }
  void sinal(int s) const { ::kill(pid_, s); }
  // Lets it go on to its end (past the same point again, if it comes back to it); its status.
  int terminar() {
    while (WIFSTOPPED(status_)) {
      ::kill(pid_, SIGCONT);
      ::waitpid(pid_, &status_, WUNTRACED);
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
};

std::string listaGrande(int linhas, int repetir) {
  std::string s = "email;nome\r\n";
  for (int i = 0; i < linhas; ++i)
    s += "p" + std::to_string(i % repetir) + "@x.com.br;Nome " + std::to_string(i) + "\r\n";
  return s;
}

// A command killed while it writes leaves no temporary file behind; one killed between naming
// its new file and putting it in place leaves one, which the next save takes away.
TEST_F(OutputFaults, KilledSavesLeaveNoTemporaryFiles) {
  const std::string entrada = arquivo("grande.csv", listaGrande(100000, 50000));
  fs::create_directories(pasta / "saida");
  const std::string saida = p("saida/lista.csv");
  auto dedupe = [&] {
    return std::vector<std::string>{"list", "dedupe", "--column", "1", entrada, saida};
  };
  ProgramaParado montando("Preparando dados...", dedupe());
  ASSERT_TRUE(montando.parou());
  montando.sinal(SIGKILL);
  EXPECT_EQ(montando.terminar(), 128 + SIGKILL);
  EXPECT_TRUE(fs::is_empty(pasta / "saida"));

  ProgramaParado trocando("file-rename:lista.csv", dedupe());
  ASSERT_TRUE(trocando.parou());
  trocando.sinal(SIGKILL);
  EXPECT_EQ(trocando.terminar(), 128 + SIGKILL);
  std::vector<std::string> deixados;
  for (const auto& f : fs::directory_iterator(pasta / "saida"))
    deixados.push_back(f.path().filename().string());
  ASSERT_EQ(deixados.size(), 1u);
  EXPECT_EQ(deixados[0].rfind("lista.csv.tmp-", 0), 0u) << deixados[0];

  auto r = run("list dedupe --column 1 " + entrada + " " + saida, "", true);
  EXPECT_EQ(r.status, 0) << r.out;
  for (const auto& f : fs::directory_iterator(pasta / "saida"))
    EXPECT_EQ(f.path().filename().string(), "lista.csv");
}

// Ctrl+C in every phase of a list command, in turn: the status is 130 and nothing is written.
TEST_F(OutputFaults, CtrlCInAListCommandWritesNothing) {
  const std::string entrada = arquivo("grande.csv", listaGrande(200000, 200000));
  const std::string saida = p("cancelada.csv");
  for (const char* fase :
       {"file-read:grande.csv", "Carregando dados...", "Identificando repetidos...",
        "Preparando dados...", "file-rename:cancelada.csv"}) {
    SCOPED_TRACE(fase);
    ProgramaParado lista(fase, {"list", "dedupe", "--column", "1", entrada, saida});
    ASSERT_TRUE(lista.parou());
    lista.sinal(SIGINT);
    EXPECT_EQ(lista.terminar(), 130);
    EXPECT_FALSE(fs::exists(saida));
    for (const auto& f : fs::directory_iterator(pasta))
      EXPECT_EQ(f.path().filename().string().find("cancelada"), std::string::npos);
  }
}

}  // namespace
