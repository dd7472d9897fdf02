// quorvel-cli extract and bulk on real files, with the DNS peer on loopback.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/text.h"
#include "common/text_file.h"
#include "support/cli_runner.h"
#include "support/cli_workspace.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class CliBulk : public quorvel::testing::CliWorkspace {
 protected:
  // Lines of an output file after its byte-order mark.
  static std::vector<std::string> linhas(const std::string& caminho) {
    std::string b = quorvel::readFileBytes(caminho).value_or("<ausente>");
    EXPECT_EQ(b.substr(0, 3), "\xEF\xBB\xBF");
    return quorvel::splitLines(std::string_view(b).substr(3));
  }
};

TEST_F(CliBulk, ExtractFromStdinOrFile) {
  const std::string texto = "Contato: Ana <ana@loja.com.br>; vendas@loja.co\r\nEmail:sac@loja.ne";
  auto r = run("extract", texto);
  EXPECT_EQ(r.status, 0);
  // One address per line with LF, as terminal tools write.
  EXPECT_EQ(r.out, "ana@loja.com.br\nvendas@loja.com\nsac@loja.net\n");
  EXPECT_EQ(run("extract --first", texto).out, "ana@loja.com.br\n");
  EXPECT_EQ(run("extract " + arquivo("t.txt", texto), "").out, r.out);
  EXPECT_EQ(run("extract -", texto).out, r.out);
  EXPECT_EQ(run("extract --unique", "a@x.com b@x.com A@X.com a@x.com").out, "a@x.com\nb@x.com\n");
  // A pipe is read as a stream.
  EXPECT_EQ(runBash("QUORVEL extract <(printf 'x@y.com.br')").out, "x@y.com.br\n");
  EXPECT_EQ(run("extract", "sem endereços").out, "");
  auto falta = run("extract " + (pasta / "nao-existe.txt").string(), "", true);
  EXPECT_EQ(falta.status, 1);  // a file that cannot be read is a failure, not a usage error
  EXPECT_THAT(falta.out, HasSubstr("não foi possível abrir o arquivo"));
}

TEST_F(CliBulk, BulkWritesBothFilesAndTheCounters) {
  std::string a = arquivo("a.txt",
                          "Ana;ana@good.test;Recife\r\n"
                          "bia@nada.test\r\n"
                          "\"ANA@good.test\"\r\n"
                          "\r\n");
  std::string b = arquivo("b.csv", "nome,email\r\nCaio,caio@alias.test\r\nxx\r\n");
  auto r = run("bulk --home " + pasta.string() + " " + a + " " + b, "");
  ASSERT_EQ(r.status, 0) << r.out;
  auto saida = quorvel::splitLines(r.out);
  ASSERT_GE(saida.size(), 2u);
  EXPECT_THAT(saida[0], HasSubstr((pasta / "dados" / "big_validos ").string()));
  EXPECT_THAT(saida[1], HasSubstr((pasta / "dados" / "big_invalidos ").string()));
  EXPECT_THAT(linhas(saida[0]), ElementsAre("ana@good.test", "", "", "caio@alias.test"));
  EXPECT_THAT(linhas(saida[1]),
              ElementsAre("bia@nada.test\tTeste MX - nada.test", "ANA@good.test\tE-mail repetido",
                          "xx\tErro de sintaxe"));
  EXPECT_THAT(r.out, HasSubstr("lbProcessados\t5\n"));
  EXPECT_THAT(r.out, HasSubstr("lbRepetidos\t1\n"));
  EXPECT_THAT(r.out, HasSubstr("lbTotalOriginal\tindefinido\n"));
}

TEST_F(CliBulk, MissingFileIsReportedAndTheOthersRun) {
  std::string a = arquivo("a.txt", "ana@good.test\r\n");
  std::string falta = (pasta / "sumiu.txt").string();
  auto r =
      run("bulk --disable testemx,emailsinvalidos --home " + pasta.string() + " " + falta + " " + a,
          "", true);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.out, HasSubstr("Não foi possível abrir o arquivo: " + falta));
  EXPECT_THAT(r.out, HasSubstr("lbProcessados\t1\n"));
  EXPECT_EQ(run("bulk --home " + (pasta / "nada").string() + " " + a, "").status, 2);
}

}  // namespace
