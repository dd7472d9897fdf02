#include "common/text_grid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/grid_builder.h"

using quorvel::TextGrid;
using quorvel::testing::gridOf;
using quorvel::testing::Rows;
using quorvel::testing::rowsOf;

namespace {

TEST(TextGrid, NewGridHasOneColumnAndTwoEmptyRows) {
  TextGrid g;
  EXPECT_EQ(g.colCount(), 1);
  EXPECT_EQ(g.rowCount(), 2);
  EXPECT_EQ(g.dataRowCount(), 1);
  EXPECT_EQ(rowsOf(g), (Rows{{""}, {""}}));
}

TEST(TextGrid, CountsNeverDropBelowOneColumnAndTwoRows) {
  TextGrid g = gridOf({{"emails", "nome"}, {"a@b.com", "Ana"}, {"c@d.com", "Caio"}});
  g.setColCount(0);
  g.setRowCount(1);
  EXPECT_EQ(rowsOf(g), (Rows{{"emails"}, {"a@b.com"}}));
  g.setColCount(-5);
  g.setRowCount(-5);
  EXPECT_EQ(g.colCount(), 1);
  EXPECT_EQ(g.rowCount(), 2);

  // Growing adds empty cells and default widths.
  g.setColWidth(0, 300);
  g.setColCount(3);
  g.setRowCount(3);
  EXPECT_EQ(rowsOf(g), (Rows{{"emails", "", ""}, {"a@b.com", "", ""}, {"", "", ""}}));
  EXPECT_EQ(g.colWidth(0), 300);
  EXPECT_EQ(g.colWidth(2), TextGrid::kDefaultColWidth);
}

TEST(TextGrid, AssignRowClearsThenFillsFromColumnZero) {
  struct Case {
    std::vector<std::string> values;
    std::vector<std::string> row;
  };
  const std::vector<Case> cases = {
      {{"a@b.com", "", "Ana"}, {"a@b.com", " ", "Ana"}},  // empty value stored as one space
      {{"a", "b", "c", "d", "e"}, {"a", "b", "c"}},       // extra values dropped
      {{"x"}, {"x", "", ""}},                             // missing values cleared, not " "
      {{}, {"", "", ""}},
      {{" ", "  "}, {" ", "  ", ""}},
  };
  for (const auto& c : cases) {
    TextGrid g = gridOf({{"h1", "h2", "h3"}, {"velho1", "velho2", "velho3"}, {"p", "q", "r"}});
    g.assignRow(1, c.values);
    EXPECT_EQ(g.rowCells(1), c.row);
    EXPECT_EQ(g.rowCells(2), (std::vector<std::string>{"p", "q", "r"}));  // neighbours untouched
  }
}

TEST(TextGrid, DeleteRowShiftsUpAndKeepsTwoRows) {
  TextGrid g = gridOf({{"emails"}, {"a"}, {"b"}, {"c"}});
  g.deleteRow(2);
  EXPECT_EQ(rowsOf(g), (Rows{{"emails"}, {"a"}, {"c"}}));
  g.deleteRow(7);
  g.deleteRow(-1);
  EXPECT_EQ(g.rowCount(), 3);
  g.deleteRow(2);
  g.deleteRow(1);  // the only data row: an empty one takes its place
  EXPECT_EQ(rowsOf(g), (Rows{{"emails"}, {""}}));
}

TEST(TextGrid, DeleteColumnShiftsCellsAndWidthsLeft) {
  TextGrid g = gridOf({{"a", "b", "c"}, {"1", "2", "3"}});
  g.setColWidth(2, 150);
  g.deleteColumn(1);
  EXPECT_EQ(rowsOf(g), (Rows{{"a", "c"}, {"1", "3"}}));
  EXPECT_EQ(g.colWidth(1), 150);
  g.deleteColumn(0);
  g.deleteColumn(0);  // the last column is emptied, never removed
  EXPECT_EQ(rowsOf(g), (Rows{{""}, {""}}));
}

TEST(TextGrid, BlankColumnAndRowTextIgnoreSpacesAndControlCodes) {
  TextGrid g = gridOf({{" ", "nome"}, {"\t", ""}, {"\r\n", " "}});
  EXPECT_TRUE(g.columnBlank(0));
  EXPECT_FALSE(g.columnBlank(1));  // the header counts
  EXPECT_FALSE(g.rowHasText(1));
  EXPECT_FALSE(g.rowHasText(2));
  EXPECT_TRUE(g.rowHasText(0));
}

TEST(GridZerar, RemovesEveryCellKeepingTwoRows) {
  const Rows lista = {{"emails", "", "nome"}, {"a@b.com", "x", "Ana"}, {"c@d.com", "", "Caio"}};

  TextGrid limpa = gridOf(lista);
  quorvel::gridZerar(limpa, true);
  EXPECT_EQ(rowsOf(limpa), (Rows{{""}, {""}}));

  // The header stays, written back by the row rule: its empty cell becomes one space.
  TextGrid comColunas = gridOf(lista);
  comColunas.setColWidth(2, 222);
  quorvel::gridZerar(comColunas, false);
  EXPECT_EQ(rowsOf(comColunas), (Rows{{"emails", " ", "nome"}, {"", "", ""}}));
  EXPECT_EQ(comColunas.colWidth(2), 222);
}

TEST(CriarColunaSeNaoExistir, FindsIgnoringCaseOrAppendsAtTheRight) {
  TextGrid g = gridOf({{"emails", "Nome"}, {"a@b.com", "Ana"}});
  EXPECT_EQ(quorvel::criarColunaSeNaoExistir(g, "NOME", 80), 1);
  EXPECT_EQ(g.colCount(), 2);
  EXPECT_EQ(g.cell(1, 0), "Nome");  // found, not renamed

  EXPECT_EQ(quorvel::criarColunaSeNaoExistir(g, "Erro", 120), 2);
  EXPECT_EQ(rowsOf(g), (Rows{{"emails", "Nome", "Erro"}, {"a@b.com", "Ana", ""}}));
  EXPECT_EQ(g.colWidth(2), 120);
  EXPECT_EQ(quorvel::criarColunaSeNaoExistir(g, "erro", 50), 2);
  EXPECT_EQ(g.colWidth(2), 120);

  // A header that only differs by accent is another column.
  EXPECT_EQ(quorvel::criarColunaSeNaoExistir(g, "Nomé", 80), 3);
}

TEST(CriarColunaSeNaoExistir, TakesColumnZeroWhileItIsEntirelyBlank) {
  TextGrid nova;  // a fresh single-column grid
  EXPECT_EQ(quorvel::criarColunaSeNaoExistir(nova, "#nome", 90), 0);
  EXPECT_EQ(nova.colCount(), 1);
  EXPECT_EQ(nova.cell(0, 0), "#nome");
  EXPECT_EQ(nova.colWidth(0), 90);
  // Column 0 now has a name: the next one is appended.
  EXPECT_EQ(quorvel::criarColunaSeNaoExistir(nova, "#dominio", 90), 1);

  // Spaces left behind by gridZerar still count as blank.
  TextGrid zerada;
  quorvel::gridZerar(zerada, false);
  ASSERT_EQ(zerada.cell(0, 0), " ");
  EXPECT_EQ(quorvel::criarColunaSeNaoExistir(zerada, "emails", 100), 0);
  EXPECT_EQ(zerada.colCount(), 1);

  // A blank header over data is not a blank column.
  TextGrid comDados = gridOf({{""}, {"a@b.com"}});
  EXPECT_EQ(quorvel::criarColunaSeNaoExistir(comDados, "emails", 100), 1);
  EXPECT_EQ(comDados.cell(0, 1), "a@b.com");
}

TEST(ColunaSetValue, WritesIntoAnExistingRowOnly) {
  TextGrid g = gridOf({{"emails"}, {"a@b.com"}, {"c@d.com"}});
  quorvel::colunaSetValue(g, 2, "Caio", "#nome");
  EXPECT_EQ(rowsOf(g), (Rows{{"emails", "#nome"}, {"a@b.com", ""}, {"c@d.com", "Caio"}}));
  EXPECT_EQ(g.colWidth(1), 100);

  quorvel::colunaSetValue(g, 1, "", "#NOME");  // stored unchanged, empty included
  EXPECT_EQ(g.cell(1, 1), "");

  // A row that does not exist: nothing is written and no column is created.
  const Rows antes = rowsOf(g);
  quorvel::colunaSetValue(g, 3, "x", "#dominio");
  quorvel::colunaSetValue(g, -1, "x", "#dominio");
  EXPECT_EQ(rowsOf(g), antes);
}

TEST(PreencherListaColunas, HeaderElseColumnNumberAndFirstValue) {
  TextGrid g = gridOf({{"", " Nome ", "", "", "\t"}, {" a@b.com ", "Ana", "", " y ", "z"}});
  EXPECT_EQ(quorvel::preencherListaColunas(g),
            (std::vector<std::string>{"Coluna  (a@b.com)", "Nome", "Coluna 2", "Coluna 3 (y)",
                                      "Coluna 4 (z)"}));

  TextGrid vazia;
  EXPECT_EQ(quorvel::preencherListaColunas(vazia), (std::vector<std::string>{"Coluna "}));

  TextGrid larga;
  larga.setColCount(1002);
  larga.setCell(1001, 1, "w");
  const auto rotulos = quorvel::preencherListaColunas(larga);
  ASSERT_EQ(rotulos.size(), 1002u);
  EXPECT_EQ(rotulos[1000], "Coluna 1.000");
  EXPECT_EQ(rotulos[1001], "Coluna 1.001 (w)");
}

}  // namespace
