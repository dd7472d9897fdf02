#include "lists/list_editor.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/grid_builder.h"

using quorvel::ListEditor;
using quorvel::TextGrid;
using quorvel::testing::fill;
using quorvel::testing::Rows;
using quorvel::testing::rowsOf;

namespace {

TEST(ListEditor, StartsWithThreeEmptyGridsAndPrincipalCurrent) {
  ListEditor e;
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {""}}));
  EXPECT_EQ(rowsOf(e.gridValidos), (Rows{{""}, {""}}));
  EXPECT_EQ(rowsOf(e.gridInvalidos), (Rows{{""}, {""}}));
  EXPECT_EQ(e.gGrid, &e.gridMain);
  EXPECT_EQ(e.abaAtiva(), quorvel::kAbaPrincipal);
  EXPECT_TRUE(e.abrirListaHabilitado);
  EXPECT_EQ(e.status.items, "1");  // an empty list shows one item
  EXPECT_EQ(e.status.saved, "Não");
  EXPECT_EQ(e.status.file, "Arquivo: ");
}

TEST(ListEditor, NovaListaClearsTheTabPathAndLeavesTheListUnsaved) {
  ListEditor e;
  fill(e.gridValidos, {{"emails", "nome"}, {"a@b.com", "Ana"}, {"c@d.com", "Caio"}});
  e.gArquivos = {{"0", "/dados/listas/principal.csv"}, {"1", "/dados/listas/validos.csv"}};
  e.gEditou = {{"0", "0"}, {"1", "1"}};
  int avisos = 0;
  auto aviso = e.notices.listen([&](const quorvel::EditorNotice&) { ++avisos; });

  e.novaLista(e.gridValidos, false);
  EXPECT_EQ(rowsOf(e.gridValidos), (Rows{{"emails", "nome"}, {"", ""}}));
  EXPECT_EQ(e.arquivoDaAba(1), "");
  EXPECT_EQ(e.editouDaAba(1), "1");
  EXPECT_EQ(e.arquivoDaAba(0), "/dados/listas/principal.csv");  // other tabs keep theirs
  EXPECT_EQ(e.status.file, "Arquivo: ");
  EXPECT_EQ(e.status.saved, "Não");
  EXPECT_GE(avisos, 1);

  e.novaLista(e.gridValidos, true);
  EXPECT_EQ(rowsOf(e.gridValidos), (Rows{{""}, {""}}));
}

TEST(ListEditor, ActiveTabDecidesTheCurrentGridAndTheOpenButtons) {
  ListEditor e;
  int avisos = 0;
  auto aviso = e.notices.listen([&](const quorvel::EditorNotice&) { ++avisos; });
  fill(e.gridValidos, {{"emails"}, {"a@b.com"}, {"c@d.com"}});

  e.setAbaAtiva(quorvel::kAbaValidos);
  EXPECT_EQ(e.gGrid, &e.gridValidos);
  EXPECT_FALSE(e.abrirListaHabilitado);
  EXPECT_EQ(e.status.items, "2");  // the status line follows the tab

  e.setAbaAtiva(quorvel::kAbaInvalidos);
  EXPECT_EQ(e.gGrid, &e.gridInvalidos);
  EXPECT_FALSE(e.abrirListaHabilitado);

  e.setAbaAtiva(quorvel::kAbaPrincipal);
  EXPECT_EQ(e.gGrid, &e.gridMain);
  EXPECT_TRUE(e.abrirListaHabilitado);
  EXPECT_EQ(avisos, 3);

  // The current grid is still the same object after it is emptied.
  e.setAbaAtiva(quorvel::kAbaValidos);
  e.novaLista(*e.gGrid, true);
  EXPECT_EQ(e.gGrid, &e.gridValidos);
}

TEST(ListEditor, ShowStatusSaysSavedOnlyWithAPathAndFlagZero) {
  struct Case {
    std::optional<std::string> arquivo;
    std::optional<std::string> editou;
    std::string estaSalvo;
  };
  const std::vector<Case> cases = {
      {std::nullopt, std::nullopt, "Não"},          {"", "0", "Não"},
      {"/dados/listas/a.csv", "0", "Sim"},          {"/dados/listas/a.csv", "1", "Não"},
      {"/dados/listas/a.csv", std::nullopt, "Não"},  // flag never written
  };
  for (const auto& c : cases) {
    ListEditor e;
    if (c.arquivo) e.gArquivos["2"] = *c.arquivo;
    if (c.editou) e.gEditou["2"] = *c.editou;
    e.showStatus(e.gridInvalidos);
    EXPECT_EQ(e.status.saved, c.estaSalvo)
        << c.arquivo.value_or("<sem>") << " / " << c.editou.value_or("<sem>");
    EXPECT_EQ(e.status.file, "Arquivo: " + c.arquivo.value_or(""));
  }

  ListEditor e;
  e.gridMain.setRowCount(1235);
  e.gridMain.cursorRow = 1001;
  e.showStatus(e.gridMain);
  EXPECT_EQ(e.status.items, "1.234");
  EXPECT_EQ(e.status.position, "1.001");
}

TEST(ListEditor, AutoSizeGridFitsTheWidestCellWithinLimits) {
  ListEditor e;
  auto texto = [](int n) { return std::string(static_cast<size_t>(n), 'x'); };
  // 7 pixels per byte.
  const auto largura = [](const std::string& s) { return static_cast<int>(s.size()) * 7; };
  fill(e.gridMain, {
                       // header row
                       {"a", texto(9), "c", texto(40), texto(57), "f", texto(100)},
                       {texto(8), "", "", "", texto(58), "", ""},
                   });
  e.AutoSizeGrid(e.gridMain, largura);
  const std::vector<int> esperadas = {
      70,   // 56 < 60: 60 + 10
      73,   // 63 + 10
      200,  // column 2 is widened to 200
      290,  // column 3: 280 + 10, already wider than 200
      410,  // 406 (a data cell) + 10 capped at 410
      70,   // only columns 2 and 3 are widened
      410,  // 700 capped
  };
  for (int c = 0; c < e.gridMain.colCount(); ++c)
    EXPECT_EQ(e.gridMain.colWidth(c), esperadas[c]) << "column " << c;
}

}  // namespace
