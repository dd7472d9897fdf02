// The utilities page: rows dropped on a blank or repeated value, a replacement in one column,
// their progress texts and their cancel.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/export_fixture.h"

namespace quorvel::testing {
namespace {

using ::testing::ElementsAre;

using ExportUtilities = ExportFixture;

const Rows kContatos = {{"email", "nome"},    {"a@x.com", "Ana"}, {"  ", "Bia"},
                        {"A@X.com ", "Caio"}, {"", "Duda"},       {"b@x.com", "Eva"}};

TEST_F(ExportUtilities, DropsRowsWhoseColumnIsBlank) {
  w.carregarGrid(gridOf(kContatos), false);
  w.btnUtilitariosClick();
  w.cmbColuna = "Email";
  ASSERT_TRUE(w.btnExcluirVaziosClick());
  EXPECT_EQ(
      rowsOf(w.gridDados),
      (Rows{{"email", "nome"}, {"a@x.com", "Ana"}, {"A@X.com ", "Caio"}, {"b@x.com", "Eva"}}));
  EXPECT_EQ(p.operation, "Atualizando tabela de dados..");
  EXPECT_EQ(p.legend1, "Total de linhas: 5");
  EXPECT_EQ(p.legend3, "Lista final: 3");
  EXPECT_EQ(p.completed, "Fim da operação");
  EXPECT_EQ(w.lbQuantidade, "qtd.:3");
}

TEST_F(ExportUtilities, DropsRepeatsKeepingTheFirstIgnoringCase) {
  w.carregarGrid(gridOf(kContatos), false);
  std::string operacao;
  p.onStep = [&](RecordingProgress& r) { operacao = r.operation; };
  ASSERT_TRUE(w.utilDeletarColunaRepetida(w.gridDados, "email"));
  // "A@X.com " repeats "a@x.com"; the first blank stays and the second goes.
  EXPECT_EQ(rowsOf(w.gridDados),
            (Rows{{"email", "nome"}, {"a@x.com", "Ana"}, {"  ", "Bia"}, {"b@x.com", "Eva"}}));
  EXPECT_EQ(operacao, "Eliminando repetidos pela coluna email");
  EXPECT_EQ(p.legend3, "Repetidos: 2");
}

TEST_F(ExportUtilities, ReplacesInOneColumnIgnoringCaseAndTrims) {
  w.carregarGrid(
      gridOf(
          {{"email", "nome"}, {" ana@GMAIL.com ", "gmail"}, {"  ", "x"}, {"bia@hotmail.com", "y"}}),
      false);
  w.cmbColuna = "email";
  w.edtSubstituir = "gmail";
  w.edtPor = "empresa";
  ASSERT_TRUE(w.btnSubstituirClick());
  EXPECT_EQ(
      rowsOf(w.gridDados),
      (Rows{
          {"email", "nome"}, {"ana@empresa.com", "gmail"}, {"  ", "x"}, {"bia@hotmail.com", "y"}}));
  EXPECT_EQ(p.operation, "Substituindo valores na coluna email...");
  EXPECT_EQ(p.legend2, "Processadas: 4");
  EXPECT_EQ(p.completed, "Fim da operação");

  // An empty "Substituir" replaces nothing but still trims.
  w.gridDados.setCell(0, 3, "  z@x.com ");
  w.edtSubstituir.clear();
  ASSERT_TRUE(w.btnSubstituirClick());
  EXPECT_EQ(w.gridDados.cell(0, 3), "z@x.com");
}

TEST_F(ExportUtilities, AColumnThatIsNotAHeaderChangesNothing) {
  w.carregarGrid(gridOf(kContatos), false);
  w.cmbColuna = "telefone";
  EXPECT_FALSE(w.btnExcluirVaziosClick());
  EXPECT_FALSE(w.btnExcluirRepetidosClick());
  EXPECT_FALSE(w.btnSubstituirClick());
  EXPECT_EQ(rowsOf(w.gridDados), kContatos);
  EXPECT_THAT(d.texts("error"),
              ElementsAre(::testing::_, ::testing::_,
                          "Houve uma inconsistência no processamento. Você precisa definir a "
                          "coluna que servirá de base para essa operação"));
}

TEST_F(ExportUtilities, CancelLeavesTheGridOrKeepsTheRowsReplaced) {
  Rows linhas = {{"email"}};
  for (int i = 0; i < 400; ++i) linhas.push_back({i % 2 ? "" : "Gmail" + std::to_string(i)});
  w.carregarGrid(gridOf(linhas), false);
  const Rows antes = rowsOf(w.gridDados);
  p.onStep = [](RecordingProgress& r) {
    if (r.position == 200) r.cancelRequested = true;
  };
  EXPECT_FALSE(w.utilDeletarColunaVazia(w.gridDados, "email"));
  EXPECT_FALSE(w.utilDeletarColunaRepetida(w.gridDados, "email"));
  EXPECT_EQ(rowsOf(w.gridDados), antes);
  EXPECT_FALSE(p.visible);

  EXPECT_FALSE(w.utilSubstituirColuna(w.gridDados, "email", "gmail", "x"));
  // Row r holds "Gmail" + (r - 1) on odd rows; the cancel came at row 200.
  EXPECT_EQ(w.gridDados.cell(0, 199), "x198");
  EXPECT_EQ(w.gridDados.cell(0, 201), "Gmail200");
}

}  // namespace
}  // namespace quorvel::testing
