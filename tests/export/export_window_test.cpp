// The export window's model: filling its grid, the column helpers, the pop-up menu and the header
// sort, the widths, the column deletion page and the status bar.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/export_fixture.h"
#include "mailbox/negative_base_grid.h"
#include "store/database.h"
#include "store/sharing_flags.h"

namespace quorvel::testing {
namespace {

using ::testing::ElementsAre;

using ExportWindowModel = ExportFixture;

const Rows kLista = {{"email", "nome", "cidade", "uf"},
                     {"a@x.com", "Ana", "Recife", "PE"},
                     {"b@x.com", "Bia", "Natal", "RN"},
                     {"c@x.com", "Caio", "Olinda", "PE"}};

TEST_F(ExportWindowModel, CopiesTheWholeListOrOnlyTheSelectedBlock) {
  TextGrid lista = gridOf(kLista);
  lista.moverCursor(1, 2);  // one cell selected: the whole list goes
  ASSERT_FALSE(selecaoDeVariasCelulas(lista));
  w.carregarGrid(lista, selecaoDeVariasCelulas(lista));
  EXPECT_EQ(rowsOf(w.gridDados), kLista);

  // A block that does not start at the first column or row: placed from column 0, under the
  // headers of its own columns.
  lista.setSelection({1, 2, 2, 3});
  ASSERT_TRUE(selecaoDeVariasCelulas(lista));
  w.carregarGrid(lista, true);
  EXPECT_EQ(rowsOf(w.gridDados), (Rows{{"nome", "cidade"}, {"Bia", "Natal"}, {"Caio", "Olinda"}}));
  EXPECT_EQ(w.lbQuantidade, "qtd.:2");
  EXPECT_EQ(w.lbPosicao, "pos.: 1:1");

  // The window works on its own copy.
  w.gridDados.setCell(0, 1, "mudou");
  EXPECT_EQ(lista.cell(1, 2), "Bia");
}

TEST_F(ExportWindowModel, ExportingFromTheListShowsTheTipThenTakesTheSelectedBlock) {
  TextGrid lista = gridOf(kLista);
  lista.setSelection({0, 1, 1, 1});
  w.exportarDaLista(lista);
  ASSERT_EQ(d.messages.size(), 1u);
  EXPECT_EQ(d.messages[0].kind, "tip");
  EXPECT_EQ(d.messages[0].id, kDicaExportarId);
  EXPECT_EQ(d.messages[0].altura, kDicaExportarAltura);
  EXPECT_EQ(rowsOf(w.gridDados), (Rows{{"email", "nome"}, {"a@x.com", "Ana"}}));
}

TEST_F(ExportWindowModel, ShowsTheNegativeBaseWithItsColumnTitles) {
  SharingFlags flags;
  Database banco(home.str(), flags);
  NegativeBaseGrid base(banco);
  base.linhas = {{"a@x.com", "2026-01-02", "eu@loja.com.br", "user unknown", "1"},
                 {"b@y.com", "2026-01-03", "", "descadastramento", "3"}};
  w.exibirDataset(base);
  EXPECT_EQ(rowsOf(w.gridDados),
            (Rows{{"E-mail", "Cadastro", "Conta", "Retorno", "Tipo erro"},
                  {"a@x.com", "2026-01-02", "eu@loja.com.br", "user unknown", "1"},
                  {"b@y.com", "2026-01-03", "", "descadastramento", "3"}}));
}

TEST_F(ExportWindowModel, ColumnHelpers) {
  w.carregarGrid(gridOf({{" Email ", "Nome"}, {"a@x.com", "Ana"}}), false);
  EXPECT_EQ(w.temColuna("email"), 0);
  EXPECT_EQ(w.temColuna("  NOME"), 1);
  EXPECT_EQ(w.temColuna("cidade"), -1);

  w.inserirValor("Cidade", "Recife", 1);  // a new column at the right
  w.inserirValor("nome", "Bia", 2);       // the last row: one row is appended
  w.inserirValor("email", "z@x.com", 7);  // far below: the grid grows to reach it
  EXPECT_EQ(w.gridDados.cell(2, 0), "Cidade");
  EXPECT_EQ(w.gridDados.cell(2, 1), "Recife");
  EXPECT_EQ(w.gridDados.cell(1, 2), "Bia");
  EXPECT_EQ(w.gridDados.cell(0, 7), "z@x.com");

  // Column 0 without a header: the last column is named instead of a new one appended.
  w.carregarGrid(gridOf({{"", ""}, {"x", "y"}}), false);
  EXPECT_EQ(w.inserirColuna("nova"), 1);
  EXPECT_EQ(w.gridDados.colCount(), 2);
}

TEST_F(ExportWindowModel, HeaderClicksSortAndAlternateWhileTheHeaderStays) {
  w.carregarGrid(gridOf({{"nome", "n"}, {"bia", "2"}, {"Ana", "1"}, {"caio", ""}}), false);
  EXPECT_FALSE(w.gridMouseUp(0, 0, MouseButton::esquerdo));
  EXPECT_TRUE(w.gOrdem);
  EXPECT_EQ(rowsOf(w.gridDados), (Rows{{"nome", "n"}, {"caio", ""}, {"bia", "2"}, {"Ana", "1"}}));
  w.gridMouseUp(0, 0, MouseButton::esquerdo);
  EXPECT_FALSE(w.gOrdem);
  // Every row keeps its own cells exactly (an empty one stays empty).
  EXPECT_EQ(rowsOf(w.gridDados), (Rows{{"nome", "n"}, {"Ana", "1"}, {"bia", "2"}, {"caio", ""}}));

  // A release on a data cell only moves gCol; the right button on a title asks for the menu.
  EXPECT_FALSE(w.gridMouseUp(1, 2, MouseButton::esquerdo));
  EXPECT_EQ(w.gCol, 1);
  EXPECT_EQ(w.gridDados.cell(0, 1), "Ana");
  EXPECT_TRUE(w.gridMouseUp(1, 0, MouseButton::direito));
  w.ordenarEstaColuna();  // "Ordenar esta coluna" on column 1
  EXPECT_EQ(w.gridDados.cell(1, 1), "2");
}

TEST_F(ExportWindowModel, SortValueWithPercentLeavesItsRowAsItWas) {
  w.carregarGrid(gridOf({{"v", "resto"}, {"b%c", "x\r\ny"}, {"a%", "%"}}), false);
  w.SortStringGrid(w.gridDados, 0, false);
  EXPECT_EQ(rowsOf(w.gridDados), (Rows{{"v", "resto"}, {"a%", "%"}, {"b%c", "x\r\ny"}}));
}

TEST_F(ExportWindowModel, AutoSizeFitsWidthsAndDropsOneTrailingBlankRowPerColumn) {
  w.larguraTexto = [](const std::string& s) { return static_cast<int>(s.size()) * 10; };
  // Two columns, three trailing blank rows: two of them go.
  w.carregarGrid(gridOf({{"a", std::string(60, 'x')}, {"b", "y"}, {"", " "}, {" ", ""}, {"", ""}}),
                 false);
  EXPECT_EQ(w.gridDados.colWidth(0), 60);   // at least 50, plus 10
  EXPECT_EQ(w.gridDados.colWidth(1), 410);  // at most 400, plus 10
  EXPECT_EQ(w.gridDados.rowCount(), 3);
}

TEST_F(ExportWindowModel, CopyColumnGoesToTheClipboardTrimmed) {
  w.carregarGrid(gridOf(kLista), false);
  w.gridMouseUp(1, 3, MouseButton::direito);
  w.copiarColuna(w.gCol);
  EXPECT_EQ(plat.clipboard, "nome\r\nAna\r\nBia\r\nCaio");
  EXPECT_THAT(d.texts("information"), ElementsAre("Dados da coluna nome copiados"));
}

TEST_F(ExportWindowModel, ColumnDeletionPageDeletesTheTickedColumns) {
  w.carregarGrid(gridOf({{"email", "x", "nome", "x"}, {"a@x.com", "1", "Ana", "2"}}), false);
  w.btnExcluirColunasClick();
  EXPECT_EQ(w.pagina, ExportPage::excluirColunas);
  ASSERT_EQ(w.clbColunas.size(), 4u);
  EXPECT_EQ(w.clbColunas[2].nome, "nome");

  w.clbColunas[0].marcada = true;
  w.cancelarExclusaoColunas();
  EXPECT_EQ(w.pagina, ExportPage::dados);
  EXPECT_EQ(w.gridDados.colCount(), 4);

  // Two columns share a name: the one ticked goes, not the first of that name.
  w.btnExcluirColunasClick();
  w.clbColunas[0].marcada = true;
  w.clbColunas[3].marcada = true;
  w.excluirColunasSelecionadas();
  EXPECT_EQ(w.pagina, ExportPage::dados);
  EXPECT_EQ(rowsOf(w.gridDados), (Rows{{"x", "nome"}, {"1", "Ana"}}));

  w.btnExcluirColunasClick();
  w.selecionarTodasColunas();
  EXPECT_TRUE(w.clbColunas[0].marcada && w.clbColunas[1].marcada);
  w.excluirColunasSelecionadas();
  EXPECT_EQ(rowsOf(w.gridDados), (Rows{{""}, {""}}));
}

TEST_F(ExportWindowModel, PagesAndStatusAreToldToTheView) {
  w.carregarGrid(gridOf(kLista), false);
  int avisos = 0;
  auto inscricao = w.notices.listen([&](const ExportNotice&) { ++avisos; });
  w.gridMouseUp(2, 0, MouseButton::direito);
  w.utilitariosDaColuna();
  EXPECT_EQ(w.pagina, ExportPage::utilitarios);
  EXPECT_EQ(w.cmbColuna, "cidade");
  EXPECT_THAT(w.cmbColunaItens, ElementsAre("email", "nome", "cidade", "uf"));
  w.btnVoltarClick();
  EXPECT_EQ(w.pagina, ExportPage::dados);
  EXPECT_EQ(avisos, 2);

  w.gridDados.moverCursor(3, 2);
  w.atualizarStatus();
  EXPECT_EQ(w.lbPosicao, "pos.: 2:4");
  EXPECT_EQ(avisos, 3);
  w.atualizarStatus();  // nothing changed: nothing told
  EXPECT_EQ(avisos, 3);
}

TEST_F(ExportWindowModel, OpensDelimitedTextFiles) {
  struct Caso {
    std::string bytes;
    Rows esperado;
  };
  const std::vector<Caso> casos = {
      // ";" unless the first data line holds a tab; the header is trimmed, a trailing
      // separator gives no field.
      {"\xEF\xBB\xBF nome ; email \r\nAna;a@x.com;\r\nBia;b@x.com\r\n",
       {{"nome", "email"}, {"Ana", "a@x.com"}, {"Bia", "b@x.com"}}},
      {"nome\temail\nAna\ta@x.com\n", {{"nome", "email"}, {"Ana", "a@x.com"}}},
      // The ";" text this window writes reads back whole.
      {"nome;obs\r\n\"Silva; Ana\";\"disse \"\"oi\"\"\r\nde novo\"\r\n",
       {{"nome", "obs"}, {"Silva; Ana", "disse \"oi\"\r\nde novo"}}},
      // A line wider than the header widens the grid.
      {"a\r\n1;2;3\r\n", {{"a", "", ""}, {"1", "2", "3"}}},
      // Windows-1252 without a byte-order mark; a header without data lines.
      {"cidade\r\nS\xE3o Paulo\r\n", {{"cidade"}, {"São Paulo"}}},
      {"só cabeçalho", {{"só cabeçalho"}, {""}}},
  };
  for (const auto& c : casos) {
    home.write("t.txt", c.bytes);
    ASSERT_TRUE(w.abrirTexto(arquivo("t.txt"))) << c.bytes;
    EXPECT_EQ(rowsOf(w.gridDados), c.esperado) << c.bytes;
  }

  // "Abrir texto..." starts on dados/arquivos; a spreadsheet or a missing file changes nothing.
  home.write("p.xlsx", std::string("PK\x03\x04", 4) + "zip");
  d.values = {arquivo("p.xlsx"), arquivo("nada.txt"), ""};
  w.btnAbrirTextoClick();
  w.btnAbrirTextoClick();
  w.btnAbrirTextoClick();
  EXPECT_EQ(d.messages[0].texto, w.pastaArquivos() + "/");
  EXPECT_EQ(d.texts("error").size(), 2u);
  EXPECT_EQ(d.texts("error")[1], "Não foi possível abrir o arquivo " + arquivo("nada.txt"));
  EXPECT_EQ(rowsOf(w.gridDados), (Rows{{"só cabeçalho"}, {""}}));
}

}  // namespace
}  // namespace quorvel::testing
