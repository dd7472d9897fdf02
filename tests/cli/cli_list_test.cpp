// quorvel-cli list ... and validate-list on real files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/text_file.h"
#include "support/cli_runner.h"
#include "support/cli_workspace.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

using CliList = quorvel::testing::CliWorkspace;

constexpr const char* kLista =
    "nome;email;cidade\r\n"
    "Ana Silva;ana@x.com;Recife\r\n"
    "\"Silva, Bia\";bia@y.com.br;Natal\r\n"
    "Ana S.;ana@x.com;\r\n"
    "Caio;caio@z.com;Olinda\r\n";

TEST_F(CliList, DedupeKeepsTheFullestRowAndQuotedFieldsStayWhole) {
  std::string in = arquivo("lista.csv", kLista);
  auto r = run("list dedupe --column 2 " + in + " " + p("saida.csv"), "");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(ler("saida.csv"),
            // Written back with the file's own ";", quoting only the cell that needs it.
            "\xEF\xBB\xBFnome;email;cidade\r\n"
            "Ana Silva;ana@x.com;Recife\r\n"
            "\"Silva, Bia\";bia@y.com.br;Natal\r\n"
            "Caio;caio@z.com;Olinda\r\n");
  EXPECT_EQ(ler("lista.csv"), kLista);  // the input is never modified
}

TEST_F(CliList, ExcludeNamesAndGenerate) {
  std::string in = arquivo("lista.csv", kLista);
  arquivo("excl.txt", "BIA@y.com.br\r\n");
  auto r = run("list exclude --column 2 --with " + p("excl.txt") + " " + in + " " + p("e.csv"), "");
  ASSERT_EQ(r.status, 0);
  EXPECT_THAT(ler("e.csv"), ::testing::Not(HasSubstr("bia@")));
  EXPECT_THAT(ler("e.csv"), HasSubstr("Caio;caio@z.com;Olinda\r\n"));

  arquivo("dados/config/sys_nomes.txt", "Caio\r\nAna\r\n");
  r = run("list names --home " + pasta.string() + " --column 2 " + in + " " + p("n.csv"), "");
  ASSERT_EQ(r.status, 0);
  EXPECT_THAT(ler("n.csv"), HasSubstr(";#nome\r\n"));
  EXPECT_THAT(ler("n.csv"), HasSubstr("Caio;caio@z.com;Olinda;Caio\r\n"));

  r = run("list generate --column 2 " + in + " " + p("g.csv"), "");
  ASSERT_EQ(r.status, 0);
  EXPECT_THAT(ler("g.csv"), HasSubstr(";contato@y.com.br;\r\n"));
  EXPECT_THAT(ler("g.csv"), HasSubstr(";z@z.com;\r\n"));
}

TEST_F(CliList, BadArgumentsAreClearErrorsAndWriteNothing) {
  std::string in = arquivo("lista.csv", kLista);
  struct Case {
    std::string args;
    const char* mensagem;
  };
  const Case cases[] = {
      {"list dedupe --column 4 " + in + " " + p("o.csv"),
       "a coluna 4 não existe (a lista tem 3 colunas)"},
      {"list dedupe --column 1 " + in + " " + in, "o arquivo de saída não pode ser o de entrada"},
      {"list dedupe --column 1 " + p("nada.csv") + " " + p("o.csv"),
       "não foi possível abrir o arquivo"},
      {"list dedupe --column 1 " + arquivo("vazio.csv", "\r\n \r\n") + " " + p("o.csv"),
       "está vazio"},
      {"list exclude --column 1 --with " + arquivo("x.dat", "a") + " " + in + " " + p("o.csv"),
       "precisam ser arquivos .txt ou .csv"},
  };
  for (const auto& c : cases) {
    auto r = run(c.args, "", true);
    EXPECT_NE(r.status, 0) << c.args;
    EXPECT_THAT(r.out, HasSubstr(c.mensagem)) << c.args;
  }
  EXPECT_FALSE(fs::exists(pasta / "o.csv"));
  EXPECT_EQ(ler("lista.csv"), kLista);
}

TEST_F(CliList, ValidateListWritesTheResultListsAndTheSuggestionsApart) {
  arquivo("dados/config/sys_provedores.filter", "good.test\n");
  std::string in = arquivo("lista.csv",
                           "nome,emails\r\nAna,ANA@good.test\r\nBia,bia@naoexiste.test\r\n"
                           "Caio,sem arroba\r\nDani,ana@good.test\r\nEdu,edu@goood.test\r\n");
  auto r = run("validate-list --home " + pasta.string() + " --counters " + in + " --valid " +
                   p("v.csv") + " --invalid " + p("i.csv") + " --suggestions " + p("s.csv"),
               "");
  ASSERT_EQ(r.status, 0);
  // Both lists with the input's separator.
  EXPECT_EQ(ler("v.csv"), "\xEF\xBB\xBFnome,emails\r\nAna,ana@good.test\r\n");
  EXPECT_EQ(ler("i.csv"),
            "\xEF\xBB\xBF"
            "E-mail,Erro,Sugestão\r\n"
            "bia@naoexiste.test,Teste MX - naoexiste.test,\r\n"
            "sem arroba,Erro de sintaxe,\r\n"
            "edu@goood.test,Teste MX - goood.test,edu@good.test\r\n");
  EXPECT_EQ(ler("s.csv"),
            "\xEF\xBB\xBF"
            "E-mail,Erro,Sugestão\r\n"
            "edu@goood.test,Teste MX - goood.test,edu@good.test\r\n");
  EXPECT_THAT(r.out, HasSubstr("lbRepetidos\t1\n"));

  // The suggestions' file is a third file: it may be neither of the other two.
  auto mesmo = run("validate-list --home " + pasta.string() + " " + in + " --valid " + p("v2.csv") +
                       " --invalid " + p("i2.csv") + " --suggestions " + p("v2.csv"),
                   "", true);
  EXPECT_EQ(mesmo.status, 2);
  EXPECT_THAT(mesmo.out, HasSubstr("precisam ser diferentes"));
  EXPECT_FALSE(fs::exists(pasta / "i2.csv"));
}

}  // namespace
