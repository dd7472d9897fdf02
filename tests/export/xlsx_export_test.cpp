// "Salvar para Excel": a new workbook in dados/arquivos, read back with openpyxl.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "common/format.h"
#include "common/paths.h"
#include "export/cl_neg_office.h"
#include "export/export_fixture.h"
#include "export/xlsx_sheet.h"

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

using XlsxExport = ExportFixture;

std::string largura(const char* coluna, double caracteres) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "width\t%s\t%d\n", coluna,
                static_cast<int>(XlsxSheet::largura(caracteres)));
  return buf;
}

TEST_F(XlsxExport, WorkbookHoldsTheGridAsTextWithBordersBoldHeaderAndFittedColumns) {
  w.carregarGrid(gridOf({{"Nome", "E-mail", "CEP"},
                         {"Ana Silva", "ana.silva@empresa.com.br", "01310-100"},
                         {"Caio", "c@x.com", "00123"},
                         {"linha 1\r\nlinha 2", "<b>@x.com", ""}}),
                 false);
  w.btnSalvarExcelClick();

  ASSERT_EQ(d.messages.size(), 1u);
  EXPECT_EQ(d.messages[0].kind, "tip");
  EXPECT_EQ(d.messages[0].id, "19111121");
  EXPECT_EQ(d.messages[0].altura, 250);
  const std::string planilha =
      paths::join(w.pastaArquivos(), "planilha " + fileStamp(plat.clock) + ".xlsx");
  ASSERT_THAT(plat.opened, ElementsAre(planilha));
  EXPECT_EQ(p.operation, "Exportando para o Excel...");
  EXPECT_EQ(p.legend1, "Total de linhas: 4");
  EXPECT_EQ(p.legend2, "Processadas: 3");
  EXPECT_FALSE(p.visible);
  EXPECT_TRUE(w.gridVisivel);

  EXPECT_EQ(lerCom("read_xlsx.py", planilha),
            "sheets\t1\n"
            "row\tNome|E-mail|CEP\n"
            "row\tAna Silva|ana.silva@empresa.com.br|01310-100\n"
            "row\tCaio|c@x.com|00123\n"
            "row\tlinha 1 linha 2|<b>@x.com|\n"
            "types\tstr\n"
            "number_formats\t@\n"
            "borders\tthin/thin/thin/thin\n"
            "header_bold\t1,1,1\n"
            "header_fill\tsolid:FFF4F4F4,solid:FFF4F4F4,solid:FFF4F4F4\n"
            "body_bold\t0\n"
            "body_fill\t0\n" +
                largura("A", 15) + largura("B", 24) + largura("C", 9));
  // Nothing is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(w.pastaArquivos()), fs::directory_iterator()), 1);
}

TEST_F(XlsxExport, CancelKeepsTheRowsWrittenInAnUnformattedWorkbookAndOpensIt) {
  Rows linhas = {{"email", "nome"}};
  for (int i = 0; i < 500; ++i) linhas.push_back({"c" + std::to_string(i) + "@x.com", "Nome"});
  w.carregarGrid(gridOf(linhas), false);
  p.onStep = [](RecordingProgress& r) {
    if (r.position == 100) r.cancelRequested = true;
  };
  w.btnSalvarExcelClick();
  EXPECT_THAT(d.texts("error"), ElementsAre("O processamento foi interrompido"));
  ASSERT_EQ(plat.opened.size(), 1u);
  const std::string lido = lerCom("read_xlsx.py", plat.opened[0]);
  EXPECT_THAT(lido, HasSubstr("row\tc98@x.com|Nome\ntypes\t"));
  EXPECT_THAT(lido, Not(HasSubstr("c99@x.com")));
  EXPECT_THAT(lido, HasSubstr("borders\tthin/thin/thin/thin\n"));
  EXPECT_THAT(lido, HasSubstr("header_bold\t0,0\nheader_fill\tnone,none\n"));
  EXPECT_THAT(lido, Not(HasSubstr("width\t")));
}

TEST_F(XlsxExport, NeverWritesOverAnExistingFile) {
  w.carregarGrid(gridOf({{"email"}, {"a@x.com"}}), false);
  fs::create_directories(w.pastaArquivos());
  const std::string base = paths::join(w.pastaArquivos(), "planilha " + fileStamp(plat.clock));
  std::ofstream(base + ".xlsx") << "de outra exportação";
  w.btnSalvarExcelClick();
  EXPECT_THAT(plat.opened, ElementsAre(base + " (2).xlsx"));
  EXPECT_EQ(readFileBytes(base + ".xlsx").value_or(""), "de outra exportação");
  EXPECT_THAT(lerCom("read_xlsx.py", base + " (2).xlsx"), HasSubstr("row\ta@x.com\n"));
}

TEST_F(XlsxExport, AWorkbookThatCannotBeWrittenIsToldAndNothingOpens) {
  // dados/arquivos is a file: nothing can be created in it.
  fs::create_directories(home / "dados");
  home.write("dados/arquivos", "não é uma pasta");
  w.carregarGrid(gridOf({{"email"}, {"a@x.com"}}), false);
  w.btnSalvarExcelClick();
  EXPECT_TRUE(plat.opened.empty());
  ASSERT_EQ(d.texts("error").size(), 1u);
  EXPECT_THAT(d.texts("error")[0], StartsWith("Não foi possível gravar o arquivo "));
  EXPECT_FALSE(p.visible);
}

// The general-purpose flags of the zip entry `nome` (its local header): for a deflated entry,
// bits 1 and 2 tell the level it was packed at (both set: the fastest).
int flagsDaEntrada(const std::string& zip, const std::string& nome) {
  for (size_t i = zip.find("PK\x03\x04"); i != std::string::npos && i + 30 <= zip.size();
       i = zip.find("PK\x03\x04", i + 4)) {
    auto u16 = [&](size_t o) {
      return static_cast<unsigned char>(zip[i + o]) | static_cast<unsigned char>(zip[i + o + 1])
                                                          << 8;
    };
    if (zip.compare(i + 30, static_cast<size_t>(u16(26)), nome) == 0) return u16(6);
  }
  return -1;
}

TEST(XlsxSheetText, TheSheetIsPackedAtTheFastestLevel) {
  TempFolder pasta;
  const std::string caminho = (pasta / "t.xlsx").string();
  Rows linhas = {{"email"}};
  for (int i = 0; i < 1000; ++i) linhas.push_back({"c" + std::to_string(i) + "@x.com"});
  RecordingProgress p;
  ASSERT_EQ(writeWorkbook(gridOf(linhas), caminho, p).resultado, SheetOutcome::gravada);
  const int flags = flagsDaEntrada(readFileBytes(caminho).value_or(""), "xl/worksheets/sheet1.xml");
  ASSERT_GE(flags, 0);
  EXPECT_EQ(flags & 6, 6);
  EXPECT_THAT(lerCom("read_xlsx.py", caminho), HasSubstr("row\tc999@x.com\n"));
}

TEST(XlsxSheetText, CellsAreMadeFitForTheSheet) {
  TempFolder pasta;
  const std::string caminho = (pasta / "t.xlsx").string();
  TextGrid g = gridOf({{"texto"},
                       {"a\rb\nc\r\nd"},
                       {"caf\xE9"},  // Windows-1252
                       {std::string(40000, 'x')}});
  RecordingProgress p;
  SheetResult r = writeWorkbook(g, caminho, p);
  ASSERT_EQ(r.resultado, SheetOutcome::gravada) << r.erro;
  EXPECT_EQ(r.cortadas, 1);
  const std::string lido = lerCom("read_xlsx.py", caminho);
  EXPECT_THAT(lido, HasSubstr("row\ta b c d\nrow\tcafé\nrow\t"));
  // The long text is cut at the most a cell holds.
  EXPECT_NE(lido.find("\nrow\t" + std::string(32767, 'x') + "\n"), std::string::npos);
  EXPECT_EQ(lido.find(std::string(32768, 'x')), std::string::npos);
}

}  // namespace
}  // namespace quorvel::testing
