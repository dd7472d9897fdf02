// The export window's ";" text, HTML table and listing, read back by real readers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/paths.h"
#include "export/export_fixture.h"
#include "lists/list_loading.h"
#include "support/small_disk.h"

namespace quorvel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

using ExportWriters = ExportFixture;

constexpr const char* kBom = "\xEF\xBB\xBF";

// Cells that break naive writers: the separator, quotes, a line break, markup.
const Rows kContatosDificeis = {
    {"nome", "email", "observação"},
    {"Silva; Ana", "ana@empresa.com.br", "disse \"oi\""},
    {"João", "joao@loja.com.br", "linha 1\r\nlinha 2"},
    {"<script>alert('x')</script>", "bia@x.com", "a & b > c <b>"},
};

TEST_F(ExportWriters, TextFileKeepsEveryCellThroughTheListLoader) {
  w.carregarGrid(gridOf(kContatosDificeis), false);
  const std::string alvo = arquivo("contatos.txt");
  ASSERT_EQ(w.saveToText(alvo, true), WriteOutcome::gravado);
  EXPECT_THAT(home.bytes("contatos.txt"),
              StartsWith(std::string(kBom) + "nome;email;observação\r\n\"Silva; Ana\";"));

  // The list editor's own file reader: one row per record, every cell whole.
  ScriptedDialogs dialogos;
  RecordingProgress progresso;
  ListEditor lista;
  lista.dialogs = &dialogos;
  lista.progress = &progresso;
  ASSERT_EQ(abrirCSVTurbo(lista, alvo), ReadResult::ok);
  Rows lidas = rowsOf(lista.gridMain);
  lidas.erase(lidas.begin(), lidas.begin() + 2);  // the empty list it was read into
  EXPECT_EQ(lidas, kContatosDificeis);
}

TEST_F(ExportWriters, SimpleListsAreWrittenWithoutQuotes) {
  w.carregarGrid(gridOf({{"nome", "email"}, {"Ana", "ana@x.com"}, {"", "b@x.com"}}), false);
  ASSERT_EQ(w.saveToText(arquivo("s.txt"), true), WriteOutcome::gravado);
  EXPECT_EQ(home.bytes("s.txt"), std::string(kBom) + "nome;email\r\nAna;ana@x.com\r\n;b@x.com\r\n");
}

TEST_F(ExportWriters, HtmlTableHoldsTheCellsAsTextNeverAsMarkup) {
  w.carregarGrid(gridOf(kContatosDificeis), false);
  const std::string alvo = arquivo("contatos.html");
  ASSERT_EQ(w.saveToHtml(alvo, true), WriteOutcome::gravado);
  const std::string bytes = home.bytes("contatos.html");
  EXPECT_THAT(bytes, StartsWith(std::string(kBom) +
                                "<html><head></head><body><table border=\"1\" cellspacing=\"2\" "
                                "cellpadding=\"5\">\r\n<tr><td>nome</td>"));
  EXPECT_THAT(bytes, HasSubstr("<td>&lt;script&gt;alert('x')&lt;/script&gt;</td>"));
  EXPECT_THAT(bytes, HasSubstr("<td>disse &quot;oi&quot;</td>"));
  EXPECT_THAT(bytes, ::testing::EndsWith("</tr>\r\n</table></body></html>\r\n"));

  EXPECT_EQ(lerCom("read_html.py", alvo),
            "tags\tbody,head,html,table,td,tr\n"
            "row\tnome|email|observação\n"
            "row\tSilva; Ana|ana@empresa.com.br|disse \"oi\"\n"
            "row\tJoão|joao@loja.com.br|linha 1\\r\\nlinha 2\n"
            "row\t<script>alert('x')</script>|bia@x.com|a & b > c <b>\n");
}

TEST_F(ExportWriters, ListingEndsEveryCellWithATabAndGoesToTheClipboard) {
  w.carregarGrid(gridOf({{"nome", "email"}, {"Ana", "ana@x.com"}}), false);
  std::vector<ExportNotice::Kind> avisos;
  auto inscricao = w.notices.listen([&](const ExportNotice& n) { avisos.push_back(n.kind); });
  ASSERT_EQ(w.btnExibirTextoClick(), WriteOutcome::gravado);
  EXPECT_EQ(plat.clipboard, "nome\temail\t\r\nAna\tana@x.com\t\r\n");
  EXPECT_EQ(w.listagem, plat.clipboard);
  EXPECT_THAT(avisos, ::testing::Contains(ExportNotice::Kind::listagem));
  EXPECT_THAT(d.texts("information"),
              ElementsAre("Os dados foram copiados para a área de transferência. Para colar, "
                          "pressione CTRL + V dentro de qualquer editor de texto."));
  EXPECT_EQ(p.operation, "Preparando dados...");
  EXPECT_EQ(p.legend1, "Total de registros: 1");
  EXPECT_EQ(p.legend3, "Copiados: 2");
}

// The common frame: the grid is hidden while a writer reads it; a cancel writes and shows
// nothing, and leaves an older file as it was.
TEST_F(ExportWriters, CancelWritesNothingAndShowsTheGridAgain) {
  Rows linhas = {{"email"}};
  for (int i = 0; i < 300; ++i) linhas.push_back({"c" + std::to_string(i) + "@x.com"});
  w.carregarGrid(gridOf(linhas), false);
  home.write("velho.txt", "antigo");
  for (int escritor = 0; escritor < 3; ++escritor) {
    SCOPED_TRACE(escritor);
    bool escondida = false;
    p.onStep = [&](RecordingProgress& r) {
      escondida = escondida || !w.gridVisivel;
      if (r.position == 150) r.cancelRequested = true;
    };
    plat.clipboard.clear();
    d.messages.clear();
    const WriteOutcome r = escritor == 0   ? w.saveToText(arquivo("velho.txt"), true)
                           : escritor == 1 ? w.saveToHtml(arquivo("velho.txt"), true)
                                           : w.getGridText();
    EXPECT_EQ(r, WriteOutcome::cancelado);
    EXPECT_TRUE(escondida);
    EXPECT_TRUE(w.gridVisivel);
    EXPECT_FALSE(p.visible);
    EXPECT_THAT(d.texts("information"), ElementsAre("Procedimento cancelado"));
    EXPECT_EQ(home.bytes("velho.txt"), "antigo");
    EXPECT_EQ(plat.clipboard, "");
    for (const auto& e : std::filesystem::directory_iterator(home.path()))
      EXPECT_EQ(e.path().filename(), "velho.txt");  // no temporary left beside it
  }
}

TEST_F(ExportWriters, FailedWriteIsToldAndLeavesTheOldFile) {
  w.carregarGrid(gridOf({{"email"}, {"a@x.com"}}), false);
  const std::string semPasta = arquivo("nao-existe/saida.txt");
  EXPECT_EQ(w.saveToText(semPasta, true), WriteOutcome::falhou);
  EXPECT_EQ(w.saveToHtml(semPasta, true), WriteOutcome::falhou);
  ASSERT_EQ(d.texts("error").size(), 2u);
  EXPECT_THAT(d.texts("error")[0],
              StartsWith("Não foi possível gravar o arquivo " + semPasta + ": "));
  EXPECT_GT(d.texts("error")[0].size(),
            ("Não foi possível gravar o arquivo " + semPasta + ": ").size());
  EXPECT_EQ(w.gArquivoTexto, "");
  EXPECT_EQ(w.gArquivoHtml, "");

  // A full disk: the file that was there stays whole.
  SmallDisk disco(home / "disco", 64 * 1024);
  if (!disco.ok()) GTEST_SKIP() << "sem permissão para montar um disco pequeno";
  std::ofstream(home / "disco" / "lista.txt") << "lista boa";
  disco.fill();
  Rows grande = {{"email"}};
  for (int i = 0; i < 20000; ++i) grande.push_back({"contato" + std::to_string(i) + "@x.com"});
  w.carregarGrid(gridOf(grande), false);
  EXPECT_EQ(w.saveToText((home / "disco" / "lista.txt").string(), true), WriteOutcome::falhou);
  EXPECT_EQ(home.bytes("disco/lista.txt"), "lista boa");
  EXPECT_THAT(d.texts("error").back(), HasSubstr("lista.txt: "));
}

// The last text file and the last HTML file are kept apart: after an HTML save, "Salvar em
// texto" writes to its own file, never over the HTML file.
TEST_F(ExportWriters, TextAndHtmlSavesRememberTheirOwnFiles) {
  w.carregarGrid(gridOf({{"email"}, {"a@x.com"}}), false);
  const std::string txt = arquivo("dados/arquivos/lista.txt");
  const std::string html = arquivo("dados/arquivos/lista.html");
  d.values = {txt};
  ASSERT_EQ(w.btnSalvarTextoClick(), WriteOutcome::gravado);
  d.values = {html};
  ASSERT_EQ(w.btnSalvarHtmlClick(), WriteOutcome::gravado);
  EXPECT_EQ(w.gArquivoTexto, txt);
  EXPECT_EQ(w.gArquivoHtml, html);
  // Each save through the window opens what it wrote: the folder for text, the page for HTML.
  EXPECT_THAT(plat.opened, ElementsAre(w.pastaArquivos(), html));

  w.gridDados.setCell(0, 1, "b@x.com");
  ASSERT_EQ(w.btnSalvarTextoClick(), WriteOutcome::gravado);  // no window, no question
  EXPECT_EQ(home.bytes("dados/arquivos/lista.txt"), std::string(kBom) + "email\r\nb@x.com\r\n");
  EXPECT_THAT(home.bytes("dados/arquivos/lista.html"), HasSubstr("<td>a@x.com</td>"));

  // "Salvar em HTML" asks again, offering its own last file.
  d.values = {html};
  d.answers = {kSim};
  ASSERT_EQ(w.btnSalvarHtmlClick(), WriteOutcome::gravado);
  EXPECT_EQ(d.sugestoes.back(), html);
  EXPECT_THAT(home.bytes("dados/arquivos/lista.html"), HasSubstr("<td>b@x.com</td>"));
}

TEST_F(ExportWriters, ChosenFileThatExistsIsReplacedOnlyAfterYes) {
  w.carregarGrid(gridOf({{"email"}, {"a@x.com"}}), false);
  const std::string alvo = arquivo("existe.txt");
  home.write("existe.txt", "antigo");
  d.values = {alvo};
  d.answers = {kNao};
  EXPECT_EQ(w.saveToText("", false), WriteOutcome::desistiu);
  EXPECT_EQ(home.bytes("existe.txt"), "antigo");
  EXPECT_EQ(w.gArquivoTexto, "");
  EXPECT_THAT(d.texts("question"), ElementsAre("O arquivo já existe. Deseja sobrepor?"));

  d.values = {""};  // the save window cancelled
  EXPECT_EQ(w.saveToHtml("", false), WriteOutcome::desistiu);

  d.values = {alvo};
  d.answers = {kSim};
  EXPECT_EQ(w.saveToText("", false), WriteOutcome::gravado);
  EXPECT_EQ(home.bytes("existe.txt"), std::string(kBom) + "email\r\na@x.com\r\n");
  EXPECT_TRUE(paths::isFolder(w.pastaArquivos()));
}

}  // namespace
}  // namespace quorvel::testing
