// quorvel-cli behaves like the tools its users know: Portuguese help and errors naming the bad
// word, "-" for standard input, columns by name, JSON lines, summaries, checked writes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/text.h"
#include "common/text_file.h"
#include "support/cli_runner.h"
#include "support/cli_workspace.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

using CliConventions = quorvel::testing::CliWorkspace;

// A spreadsheet's comma-separated export.
constexpr const char* kPlanilha =
    "Nome,Email,Cidade\r\n"
    "Ana Silva,ana@good.test,Recife\r\n"
    "\"Silva, Bia\",bia@nada.test,Natal\r\n"
    "Caio,caio@alias.test,SP\r\n";

TEST_F(CliConventions, VersionHelpAndUsageErrorsSpeakPortuguese) {
  auto v = run("--version", "");
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "quorvel-cli (Quorvel) build 651\n");
  auto h = run("check --help", "");
  EXPECT_EQ(h.status, 0);
  EXPECT_THAT(h.out, HasSubstr("Uso:"));
  EXPECT_THAT(h.out, HasSubstr("Opções"));
  EXPECT_THAT(h.out, Not(HasSubstr("Usage")));
  struct Caso {
    std::string args, mensagem;
  };
  const Caso casos[] = {
      {"frobnicar", "quorvel-cli: comando desconhecido: frobnicar (veja quorvel-cli --help)\n"},
      {"check --frob a@b.com", "quorvel-cli: argumento inesperado: --frob"},
      {"list dedupe a.csv b.csv", "quorvel-cli: falta o argumento obrigatório --column\n"},
      {"", "quorvel-cli: falta o comando"},
      {"check --disable nada a@b.com", "quorvel-cli: etapa desconhecida: nada"},
  };
  for (const auto& c : casos) {
    auto r = run(c.args + " --home " + pasta.string(), "", true);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_THAT(r.out, StartsWith(c.mensagem)) << c.args;
  }
  // A missing workspace is the same error for every command.
  for (const char* cmd : {"check a@b.com", "db stats", "bulk x.txt", "list names --column 1 a b",
                          "validate-list a --valid b --invalid c"}) {
    auto r = run(std::string(cmd) + " --home " + (pasta / "nada").string(), "", true);
    EXPECT_EQ(r.status, 2) << cmd;
    EXPECT_THAT(r.out, HasSubstr("quorvel-cli: a pasta de trabalho não existe: ")) << cmd;
  }
}

TEST_F(CliConventions, CheckReadsFilesStandardInputAndSpreadsheetLines) {
  const std::string home = " --home " + pasta.string();
  const std::string planilha = arquivo("planilha.csv", kPlanilha);
  auto r = run("check --disable testemx,emailsinvalidos --file " + planilha + home, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "Nome,Email,Cidade\t\tNenhum e-mail encontrado\n"
            "Ana Silva,ana@good.test,Recife\tana@good.test\t\n"
            "\"Silva, Bia\",bia@nada.test,Natal\tbia@nada.test\t\n"
            "Caio,caio@alias.test,SP\tcaio@alias.test\t\n");
  EXPECT_EQ(run("check --disable testemx,emailsinvalidos --file -" + home, kPlanilha).out, r.out);
  // A file's name given as an address is an address.
  auto a = run("check --disable testemx,emailsinvalidos " + planilha + home, "");
  EXPECT_EQ(a.out, planilha + "\t\tErro de sintaxe\n");

  auto j = run("check --json --counters a@good.test 'Ana <b@nada.test>' x" + home, "");
  EXPECT_EQ(j.status, 0);
  auto linhas = quorvel::splitLines(j.out);
  ASSERT_EQ(linhas.size(), 4u);
  EXPECT_EQ(linhas[0],
            R"({"input":"a@good.test","address":"a@good.test","valid":true,"reason":""})");
  EXPECT_EQ(
      linhas[1],
      R"({"input":"Ana <b@nada.test>","address":"","valid":false,"reason":"Erro de sintaxe"})");
  EXPECT_THAT(linhas[3], HasSubstr(R"("lbTotalOriginal":null,"lbProcessados":3,)"));
}

TEST_F(CliConventions, ListCommandsTakeAColumnByNameStandardInputAndSaySoOnStderr) {
  const std::string planilha = arquivo("planilha.csv", kPlanilha);
  auto r = run("list generate --column email - " + p("g.csv"), kPlanilha, true);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_THAT(r.out,
              HasSubstr("quorvel-cli: 3 linhas lidas, 15 linhas gravadas, 12 acrescentadas\n"));
  EXPECT_THAT(r.out, HasSubstr("quorvel-cli: gravado: " + p("g.csv")));
  EXPECT_THAT(ler("g.csv"), HasSubstr(",contato@good.test,"));
  auto e = run("list dedupe --column telefone " + planilha + " " + p("d.csv"), "", true);
  EXPECT_EQ(e.status, 2);
  EXPECT_THAT(e.out, HasSubstr("não há coluna chamada \"telefone\" (as colunas são: Nome, Email, "
                               "Cidade)"));
  EXPECT_FALSE(fs::exists(p("d.csv")));
}

TEST_F(CliConventions, ValidateListTakesDisableRefusesOneFileForBothAndNeedsAnEmailColumn) {
  const std::string home = " --home " + pasta.string();
  const std::string planilha = arquivo("planilha.csv", kPlanilha);
  auto r = run("validate-list --disable testemx" + home + " " + planilha + " --valid " +
                   p("v.csv") + " --invalid " + p("i.csv"),
               "", true);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_THAT(r.out, HasSubstr("quorvel-cli: 3 linhas lidas, 3 válidas, 0 inválidas\n"));
  EXPECT_THAT(ler("v.csv"), HasSubstr("bia@nada.test"));  // the MX test was off

  auto mesmo = run("validate-list" + home + " " + planilha + " --valid " + p("x.csv") +
                       " --invalid " + p("x.csv"),
                   "", true);
  EXPECT_EQ(mesmo.status, 2);
  EXPECT_THAT(mesmo.out, HasSubstr("precisam ser diferentes"));
  EXPECT_FALSE(fs::exists(p("x.csv")));

  const std::string semEmail = arquivo("sem.csv", "nome;cidade\r\nAna;Recife\r\n");
  auto s = run("validate-list" + home + " " + semEmail + " --valid " + p("v2.csv") + " --invalid " +
                   p("i2.csv"),
               "", true);
  EXPECT_NE(s.status, 0);
  EXPECT_THAT(s.out, HasSubstr("a coluna de e-mails não foi identificada; nada foi gravado"));
  EXPECT_FALSE(fs::exists(p("v2.csv")));
  EXPECT_FALSE(fs::exists(p("i2.csv")));
}

TEST_F(CliConventions, BulkWritesWhereAskedAndNothingWhenNoFileCanBeRead) {
  const std::string home = " --home " + pasta.string();
  fs::create_directories(pasta / "saida");
  auto r = run("bulk --disable testemx,emailsinvalidos --output-dir " + p("saida") + home + " " +
                   arquivo("a.csv", kPlanilha),
               "");
  ASSERT_EQ(r.status, 0);
  EXPECT_THAT(r.out, StartsWith(p("saida") + "/big_validos "));
  auto n = run("bulk" + home + " " + p("sumiu1.txt") + " " + p("sumiu2.txt"), "", true);
  EXPECT_EQ(n.status, 1);
  EXPECT_THAT(n.out, HasSubstr("Não foi possível abrir o arquivo: " + p("sumiu1.txt")));
  EXPECT_THAT(n.out, HasSubstr("Não foi possível abrir o arquivo: " + p("sumiu2.txt")));
  int saidas = 0;
  for (const auto& f : fs::directory_iterator(pasta / "dados"))
    saidas += f.path().filename().string().rfind("big_", 0) == 0;
  EXPECT_EQ(saidas, 0);
}

TEST_F(CliConventions, TheMxCacheAndTheNegativeBaseCanBeInspectedAndCorrected) {
  const std::string home = " --home " + pasta.string();
  ASSERT_EQ(run("mx good.test naoexiste.test" + home, "").status, 0);
  auto l = run("db mx list" + home, "");
  EXPECT_THAT(l.out, StartsWith("good.test\t20"));
  EXPECT_THAT(l.out, HasSubstr("\tseu\n"));
  EXPECT_THAT(run("db mx list --invalid" + home, "").out, StartsWith("naoexiste.test\t"));
  auto f = run("db mx forget NaoExiste.test outro.test" + home, "", true);
  EXPECT_EQ(f.status, 1);
  EXPECT_THAT(f.out, HasSubstr("naoexiste.test\n"));
  EXPECT_THAT(f.out, HasSubstr("quorvel-cli: domínio que não estava guardado: outro.test"));
  EXPECT_EQ(run("db mx list --invalid" + home, "").out, "");
  auto n = run("negative remove ninguem@x.com" + home, "", true);
  EXPECT_EQ(n.status, 1);
  EXPECT_THAT(n.out, HasSubstr("endereço que não estava na base negativa: ninguem@x.com"));
}

}  // namespace
