// quorvel-cli export on real files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/export_fixture.h"
#include "support/cli_runner.h"
#include "support/cli_workspace.h"

namespace quorvel::testing {
namespace {

using ::testing::HasSubstr;
using CliExport = CliWorkspace;

constexpr const char* kArquivoLista =
    "nome;email;cidade\r\n"
    "\"Silva; Ana\";ana@x.com;Recife\r\n"
    "Bia;;Natal\r\n"
    "Ana S.;ANA@x.com;Olinda\r\n"
    "Caio;caio@z.com;<b>Recife</b>\r\n";

TEST_F(CliExport, TextWithColumnsRepeatsAndBlanks) {
  const std::string in = arquivo("lista.csv", kArquivoLista);
  auto r = run("export --format txt --columns email,1 --dedupe-by 2 --drop-blank email " + in +
                   " " + p("saida.txt"),
               "", true);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(ler("saida.txt"),
            "\xEF\xBB\xBF"
            "email;nome\r\n"
            "ana@x.com;\"Silva; Ana\"\r\n"
            "caio@z.com;Caio\r\n");
  EXPECT_THAT(r.out, HasSubstr("quorvel-cli: 4 linhas lidas, 2 linhas gravadas\n"));
  EXPECT_THAT(r.out, HasSubstr("quorvel-cli: gravado: " + p("saida.txt")));
  EXPECT_EQ(ler("lista.csv"), kArquivoLista);
}

TEST_F(CliExport, HtmlAndSpreadsheet) {
  const std::string in = arquivo("lista.csv", kArquivoLista);
  ASSERT_EQ(run("export --format html " + in + " " + p("l.html"), "").status, 0);
  EXPECT_THAT(lerCom("read_html.py", p("l.html")),
              HasSubstr("tags\tbody,head,html,table,td,tr\nrow\tnome|email|cidade\n"));
  EXPECT_THAT(ler("l.html"), HasSubstr("<td>&lt;b&gt;Recife&lt;/b&gt;</td>"));

  ASSERT_EQ(run("export --format xlsx --columns cidade " + in + " " + p("l.xlsx"), "").status, 0);
  EXPECT_THAT(lerCom("read_xlsx.py", p("l.xlsx")),
              HasSubstr("row\tcidade\nrow\tRecife\nrow\tNatal\nrow\tOlinda\nrow\t<b>Recife</b>\n"));
  for (const auto& e : std::filesystem::directory_iterator(pasta))
    EXPECT_THAT(e.path().filename().string(), ::testing::Not(HasSubstr(".tmp-")));
}

TEST_F(CliExport, BadArgumentsAndFailedWritesAreClearErrors) {
  const std::string in = arquivo("lista.csv", kArquivoLista);
  arquivo("velho.txt", "antigo");
  struct Caso {
    std::string args;
    int status;
    const char* mensagem;
  };
  const std::vector<Caso> casos = {
      {"--format pdf " + in + " " + p("velho.txt"), 2, "formato desconhecido: pdf"},
      {"--format txt --columns telefone " + in + " " + p("velho.txt"), 2,
       "não há coluna chamada \"telefone\""},
      {"--format txt --dedupe-by 9 " + in + " " + p("velho.txt"), 2, "a coluna 9 não existe"},
      {"--format txt " + in + " " + in, 2, "o arquivo de saída não pode ser o de entrada"},
      {"--format txt " + in, 2, "falta o argumento obrigatório OUT"},
      {"--format txt " + in + " " + p("sem/pasta.txt"), 1, "Não foi possível gravar o arquivo"},
      {"--format xlsx " + in + " " + p("sem/pasta.xlsx"), 1, "não foi possível gravar o arquivo"},
  };
  for (const auto& c : casos) {
    auto r = run("export " + c.args, "", true);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
    EXPECT_THAT(r.out, HasSubstr(c.mensagem)) << c.args;
  }
  EXPECT_EQ(ler("velho.txt"), "antigo");
  EXPECT_FALSE(std::filesystem::exists(p("sem")));
}

}  // namespace
}  // namespace quorvel::testing
