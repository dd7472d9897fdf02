// Odd inputs: a row of tens of thousands of fields, UTF-16 without a byte-order mark, a list with
// no e-mail column. Each gets the right result or a clear message, in a time that does not grow
// with the square of the input.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "common/text.h"
#include "support/cli_runner.h"
#include "support/cli_workspace.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

using InputFaults = quorvel::testing::CliWorkspace;

std::string utf16SemMarca(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

TEST_F(InputFaults, ARowOfFortyThousandFieldsIsValidatedInSeconds) {
  std::string cabecalho = "email", linha = "ana@x.com.br";
  for (int i = 0; i < 40000; ++i) {
    cabecalho += ";campo" + std::to_string(i);
    linha += ";v" + std::to_string(i);
  }
  const std::string entrada = arquivo("larga.csv", cabecalho + "\r\n" + linha + "\r\n");
  const auto inicio = std::chrono::steady_clock::now();
  auto r = run("validate-list --disable testemx,emailsinvalidos --home " + pasta.string() + " " +
                   entrada + " --valid " + p("v.csv") + " --invalid " + p("i.csv"),
               "", true);
  const double segundos =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_LT(segundos, 20.0);  // it took 38 s when the valid list grew a column per field
  EXPECT_THAT(ler("v.csv"), HasSubstr(";v39999\r\n"));
}

TEST_F(InputFaults, Utf16WithoutAMarkIsReadByEveryCommand) {
  const std::string texto = "email\r\nana@x.com.br\r\nbia@y.com.br\r\n";
  const std::string entrada = arquivo("utf16.txt", utf16SemMarca(texto));
  auto check =
      run("check --disable testemx,emailsinvalidos --home " + pasta.string() + " --file " + entrada,
          "");
  EXPECT_EQ(check.out,
            "email\t\tErro de sintaxe\nana@x.com.br\tana@x.com.br\t\n"
            "bia@y.com.br\tbia@y.com.br\t\n");
  EXPECT_EQ(run("extract " + entrada, "").out, "ana@x.com.br\nbia@y.com.br\n");
  auto lista = run("list dedupe --column email " + entrada + " " + p("d.csv"), "", true);
  ASSERT_EQ(lista.status, 0) << lista.out;
  EXPECT_EQ(ler("d.csv"),
            "\xEF\xBB\xBF"
            "email\r\nana@x.com.br\r\nbia@y.com.br\r\n");
}

// A file of 2 GB without a single line end (a sparse file: it costs no disk) is refused at 16 MB;
// the program's memory stays small instead of growing to several times the file.
TEST_F(InputFaults, AGigabyteLineIsAClearErrorInBoundedMemory) {
  const std::string entrada = arquivo("uma-linha.csv", "email\r\nana@x.com.br\r\nzz");
  fs::resize_file(entrada, uint64_t{2} << 30);
  pid_t pid = ::fork();
  if (pid == 0) {
    const int nulo = ::open("/dev/null", O_WRONLY);
    ::dup2(nulo, STDOUT_FILENO);
    const std::string erros = p("erros.txt");
    const int f = ::open(erros.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(f, STDERR_FILENO);
    const std::string saida = p("saida.csv");
    ::execl(QUORVEL_CLI, QUORVEL_CLI, "list", "dedupe", "--column", "1", entrada.c_str(),
            saida.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage uso{};
  ::wait4(pid, &status, 0, &uso);
  const double mb = static_cast<double>(uso.ru_maxrss) / 1024.0;
  std::printf("[ figura ] list dedupe sobre uma linha de 2 GB: pico de %.0f MB\n", mb);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_THAT(ler("erros.txt"), HasSubstr("a linha 3 passa de 16 MB"));
  EXPECT_FALSE(fs::exists(p("saida.csv")));
  EXPECT_LT(mb, 200.0);
}

TEST_F(InputFaults, ListNamesWritesNothingTheUserDidNotHave) {
  const std::string entrada = arquivo("l.csv", "email\r\nana.costa@x.com\r\n");
  auto r = run("list names --column 1 --home " + pasta.string() + " " + entrada + " " + p("n.csv"),
               "", true);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_FALSE(fs::exists(pasta / "dados" / "config" / "sys_nomes.txt"));
}

}  // namespace
