// "Aplicar sugestões": the corrected addresses move from "Inválidos" to "Válidos" with their
// contact's fields, the typed address kept, as one step undone from either list.
#include "lists/suggestion_operations.h"

#include <gtest/gtest.h>

#include "lists/column_operations.h"
#include "support/grid_builder.h"

using namespace quorvel;
using quorvel::testing::EditorWithPorts;
using quorvel::testing::fill;
using quorvel::testing::Rows;
using quorvel::testing::rowsOf;

namespace {

const Rows kPrincipal = {{"Nome", "E-mail", "Cidade"},
                         {"Ana", "ana@good.test", "Recife"},
                         {"Joana", "Joana@Gmial.com ", "Natal"},
                         {"Pedro", "pedro@hotmail.con", "Belém"},
                         {"Caio", "caio@semservidor.test", "Olinda"},
                         {"Rita", "rita@uol.com", "Salvador"}};
const Rows kValidos = {{"Nome", "E-mail", "Cidade"}, {"Ana", "ana@good.test", "Recife"}};
const Rows kInvalidos = {{"E-mail", "Erro", "Sugestão"},
                         {"joana@gmial.com", "Teste MX - gmial.com", "joana@gmail.com"},
                         {"pedro@hotmail.con", "Erro de sintaxe", "pedro@hotmail.com"},
                         {"caio@semservidor.test", "Teste MX - semservidor.test", ""},
                         {"rita@uol.com", "Teste MX - uol.com", "rita@uol.com.br"}};

class ApplySuggestions : public ::testing::Test {
 public:
  ApplySuggestions() {
    fill(ed.e.gridMain, kPrincipal);
    fill(ed.e.gridValidos, kValidos);
    fill(ed.e.gridInvalidos, kInvalidos);
    for (int aba : {kAbaValidos, kAbaInvalidos}) {
      ed.e.setArquivo(ed.e.grid(aba), "/tmp/lista" + std::to_string(aba) + ".csv");
      ed.e.setEditou(ed.e.grid(aba), false);
    }
    ed.e.setAbaAtiva(kAbaInvalidos);
  }
  void selecionar(int de, int ate, int colunas = 3) {
    ed.e.gridInvalidos.setSelection({0, de, colunas - 1, ate});
  }
  EditorWithPorts ed;
};

TEST_F(ApplySuggestions, EveryRowWithASuggestionMovesWithItsContactAndOneUndoRestoresBothLists) {
  // Only the cursor's cell: nothing is selected, every suggestion is applied.
  EXPECT_EQ(aplicarSugestoes(ed.e, SuggestionRows::selecionadasOuTodas), 3);
  EXPECT_EQ(rowsOf(ed.e.gridValidos),
            (Rows{{"Nome", "E-mail", "Cidade", "E-mail digitado"},
                  {"Ana", "ana@good.test", "Recife", ""},
                  {"Joana", "joana@gmail.com", "Natal", "joana@gmial.com"},
                  {"Pedro", "pedro@hotmail.com", "Belém", "pedro@hotmail.con"},
                  {"Rita", "rita@uol.com.br", "Salvador", "rita@uol.com"}}));
  EXPECT_EQ(rowsOf(ed.e.gridInvalidos),
            (Rows{{"E-mail", "Erro", "Sugestão"},
                  {"caio@semservidor.test", "Teste MX - semservidor.test", ""}}));
  EXPECT_EQ(ed.d.texts("information"),
            std::vector<std::string>{"3 endereços corrigidos foram movidos para a lista de "
                                     "válidos."});
  // Both lists are unsaved; the working list was only read.
  EXPECT_EQ(ed.e.editouDaAba(kAbaValidos), "1");
  EXPECT_EQ(ed.e.editouDaAba(kAbaInvalidos), "1");
  EXPECT_EQ(rowsOf(ed.e.gridMain), kPrincipal);

  // "Desfazer" from "Válidos" takes back both halves, and the lists are saved again.
  ed.e.setAbaAtiva(kAbaValidos);
  ASSERT_TRUE(ed.e.desfazer());
  EXPECT_EQ(rowsOf(ed.e.gridValidos), kValidos);
  EXPECT_EQ(rowsOf(ed.e.gridInvalidos), kInvalidos);
  EXPECT_EQ(ed.e.editouDaAba(kAbaInvalidos), "0");
  EXPECT_EQ(ed.e.status.saved, "Sim");
  EXPECT_FALSE(ed.e.podeDesfazer());

  // "Refazer" from "Inválidos" does both again.
  ed.e.setAbaAtiva(kAbaInvalidos);
  ASSERT_TRUE(ed.e.refazer());
  EXPECT_EQ(ed.e.gridValidos.rowCount(), 5);
  EXPECT_EQ(ed.e.gridInvalidos.rowCount(), 2);
  ASSERT_TRUE(ed.e.desfazer());
  EXPECT_EQ(rowsOf(ed.e.gridValidos), kValidos);
  EXPECT_EQ(rowsOf(ed.e.gridInvalidos), kInvalidos);
}

TEST_F(ApplySuggestions, TheChosenRowsAreTheSelectedOnes) {
  struct Caso {
    const char* nome;
    int aba;
    SuggestionRows quais;
    int de, ate, colunas;
    std::vector<std::string> movidos;
  };
  const std::vector<Caso> casos = {
      {"rows 2 to 3 selected, from the menu bar",
       kAbaInvalidos,
       SuggestionRows::selecionadasOuTodas,
       2,
       3,
       3,
       {"pedro@hotmail.com"}},
      {"one whole row selected",
       kAbaInvalidos,
       SuggestionRows::selecionadasOuTodas,
       4,
       4,
       3,
       {"rita@uol.com.br"}},
      {"the right-button menu over the cursor's cell",
       kAbaInvalidos,
       SuggestionRows::selecionadas,
       1,
       1,
       1,
       {"joana@gmail.com"}},
      {"the header row selected with the first row",
       kAbaInvalidos,
       SuggestionRows::selecionadas,
       0,
       1,
       3,
       {"joana@gmail.com"}},
      {"the menu bar while another list shows: every row",
       kAbaPrincipal,
       SuggestionRows::selecionadasOuTodas,
       2,
       3,
       3,
       {"joana@gmail.com", "pedro@hotmail.com", "rita@uol.com.br"}},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    ed.e.setAbaAtiva(c.aba);
    selecionar(c.de, c.ate, c.colunas);
    EXPECT_EQ(aplicarSugestoes(ed.e, c.quais), static_cast<int>(c.movidos.size()));
    std::vector<std::string> emValidos;
    for (int r = 2; r < ed.e.gridValidos.rowCount(); ++r)
      emValidos.push_back(ed.e.gridValidos.cell(1, r));
    EXPECT_EQ(emValidos, c.movidos);
    ed.e.setAbaAtiva(kAbaInvalidos);
    ASSERT_TRUE(ed.e.desfazer());
    EXPECT_EQ(rowsOf(ed.e.gridInvalidos), kInvalidos);
  }
}

TEST_F(ApplySuggestions, NothingToApplyIsSaidAndChangesNothing) {
  // A row without a suggestion, then lists without the column.
  selecionar(3, 3);
  EXPECT_EQ(aplicarSugestoes(ed.e, SuggestionRows::selecionadas), 0);
  fill(ed.e.gridInvalidos, {{"E-mail", "Erro"}, {"x@y.test", "Teste MX - y.test"}});
  EXPECT_EQ(aplicarSugestoes(ed.e, SuggestionRows::selecionadasOuTodas), 0);
  // The right-button menu of another list's rows chooses none of "Inválidos".
  fill(ed.e.gridInvalidos, kInvalidos);
  ed.e.setAbaAtiva(kAbaValidos);
  EXPECT_EQ(aplicarSugestoes(ed.e, SuggestionRows::selecionadas), 0);
  EXPECT_EQ(ed.d.texts("information"), std::vector<std::string>(3, kMsgSemSugestoes));
  EXPECT_EQ(rowsOf(ed.e.gridValidos), kValidos);
  EXPECT_FALSE(ed.e.podeDesfazer());
  EXPECT_EQ(ed.e.editouDaAba(kAbaValidos), "0");
}

TEST_F(ApplySuggestions, AContactNoLongerInPrincipalMovesAsItsAddressAlone) {
  fill(ed.e.gridMain, {{"emails"}, {"ana@good.test"}});
  // "Válidos" empty, as after a run where nothing passed.
  fill(ed.e.gridValidos, {{"emails"}, {""}});
  selecionar(1, 1);
  EXPECT_EQ(aplicarSugestoes(ed.e, SuggestionRows::selecionadas), 1);
  EXPECT_EQ(rowsOf(ed.e.gridValidos),
            (Rows{{"emails", "E-mail digitado"}, {"joana@gmail.com", "joana@gmial.com"}}));
}

TEST_F(ApplySuggestions, AHalfCannotBeUndoneAfterTheOtherListChanged) {
  ASSERT_EQ(aplicarSugestoes(ed.e, SuggestionRows::selecionadasOuTodas), 3);
  // A later edit of "Inválidos": undoing only "Válidos" would lose the three contacts.
  colunaSubstituir(ed.e, 0, "caio", "kaio");
  const Rows invalidosDepois = rowsOf(ed.e.gridInvalidos);
  ed.e.setAbaAtiva(kAbaValidos);
  EXPECT_FALSE(ed.e.desfazer());
  EXPECT_EQ(ed.d.texts("warning"),
            std::vector<std::string>{"Esta operação também alterou a lista \"Inválidos\", que "
                                     "mudou depois dela. Desfaça antes as alterações mais "
                                     "recentes daquela lista."});
  EXPECT_EQ(ed.e.gridValidos.rowCount(), 5);
  EXPECT_EQ(rowsOf(ed.e.gridInvalidos), invalidosDepois);
  // Once the later edit is undone, the move comes back whole.
  ed.e.setAbaAtiva(kAbaInvalidos);
  ASSERT_TRUE(ed.e.desfazer());
  ed.e.setAbaAtiva(kAbaValidos);
  ASSERT_TRUE(ed.e.desfazer());
  EXPECT_EQ(rowsOf(ed.e.gridValidos), kValidos);
  EXPECT_EQ(rowsOf(ed.e.gridInvalidos), kInvalidos);
}

}  // namespace
