// "Desfazer" and "Refazer" over the list operations a user runs, and the edited flag that follows
// the list's history.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "lists/column_operations.h"
#include "lists/grid_operations.h"
#include "lists/header_row.h"
#include "lists/list_cleaning.h"
#include "lists/list_loading.h"
#include "lists/list_saving.h"
#include "lists/name_identification.h"
#include "support/grid_builder.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using namespace quorvel;
using quorvel::testing::EditorWithPorts;
using quorvel::testing::fill;
using quorvel::testing::Rows;
using quorvel::testing::rowsOf;

namespace {

const Rows kCrm = {{"Nome", "E-mail", "Cidade"},        {"Ana Souza", "ana@loja.com.br", "Recife"},
                   {"Bia", "BIA@Loja.com.br", ""},      {"", "", ""},
                   {"Caio", "caio@gmail.com", "Natal"}, {"Bia Lima", "bia@loja.com.br", "Olinda"},
                   {"Dani", "dani@x.com", "São Paulo"}};

class Undo : public ::testing::Test {
 public:
  Undo() {
    ed.e.programFolder = pasta.path().string();
    fs::create_directories(pasta.path() / "dados");
  }
  std::string escrever(const std::string& nome, const std::string& bytes) {
    const fs::path p = pasta.path() / "dados" / nome;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  quorvel::testing::TempFolder pasta;
  EditorWithPorts ed;
};

TEST_F(Undo, EveryOperationIsTakenBackWholeByOneUndoAndDoneAgainByOneRedo) {
  const std::vector<std::pair<const char*, std::function<void(Undo&)>>> operacoes = {
      {"Eliminar repetidos", [](Undo& t) { aplicarEliminarRepetidos(t.ed.e, 1); }},
      {"repeated rows by the column menu", [](Undo& t) { excluirRepetidos(t.ed.e, 1); }},
      {"exclusion list",
       [](Undo& t) {
         t.ed.d.values.push_back(t.escrever("fora.txt", "caio@gmail.com\r\nDANI@x.com\r\n"));
         exclusaoAvancada(t.ed.e, 1);
       }},
      {"replace in a column",
       [](Undo& t) { colunaSubstituir(t.ed.e, 1, "loja.com.br", "loja.com"); }},
      {"rows deleted (Shift+Del)",
       [](Undo& t) {
         t.ed.g().selection = {0, 2, 0, 4};
         deletarSelecionados(t.ed.e);
       }},
      {"cells cleared (Del)",
       [](Undo& t) {
         t.ed.g().selection = {0, 1, 2, 2};
         deletarConteudoSelecionado(t.ed.e);
       }},
      {"column deleted", [](Undo& t) { eliminarColuna(t.ed.e, 0); }},
      {"column inserted (F4)",
       [](Undo& t) {
         t.ed.d.values.push_back("Telefone");
         inserirColuna(t.ed.e);
       }},
      {"column renamed",
       [](Undo& t) {
         t.ed.d.values.push_back("Nome Completo");
         renomearColuna(t.ed.e, 0);
       }},
      {"column cleared",
       [](Undo& t) {
         t.ed.d.answers.push_back(kSim);  // "Deseja apagar os dados desta coluna?"
         limparColuna(t.ed.e, 2);
       }},
      {"column moved", [](Undo& t) { moverColuna(t.ed.e, 2, 0); }},
      {"rows with a blank value", [](Undo& t) { excluirLinhaSeColunaBranco(t.ed.e, 2); }},
      {"header click sort", [](Undo& t) { aoSoltarMouse(t.ed.e, 2, 0, MouseButton::esquerdo); }},
      {"pasted rows",
       [](Undo& t) { colarCheck(t.ed.e, "Eva;eva@x.com;Natal\r\nFlor;f@y.com\r\n"); }},
      {"file opened",
       [](Undo& t) {
         abrirArquivos(t.ed.e, {t.escrever("mais.csv", "Gil;gil@x.com;Rio\r\nHugo;h@x.com\r\n")});
       }},
      {"this row holds the column names",
       [](Undo& t) { setColunaPrimeiraLinha(t.ed.e, t.ed.g(), 2); }},
      {"a cell typed", [](Undo& t) { celulaEditada(t.ed.e, 2, 1, "Caruaru"); }},
      {"names identified", [](Undo& t) { identificarNomes(t.ed.e, 1, true); }},
      {"addresses generated", [](Undo& t) { gerarEmailPadrao(t.ed.e, 1, "contato", true); }},
      {"keep N per domain",
       [](Undo& t) {
         t.ed.g().setCell(0, 0, "emails");
         t.ed.g().setCell(1, 0, "nome");
         exclusaoSeletiva(t.ed.e, "1", "contato@", false);
       }},
      {"new list keeping the columns",
       [](Undo& t) {
         t.ed.d.answers.push_back(kNao);  // "Deseja salvar as alterações da lista?"
         escolherNovaLista(t.ed.e, NewListOption::manterColunas);
       }},
  };
  for (const auto& [nome, operacao] : operacoes) {
    SCOPED_TRACE(nome);
    fill(ed.g(), kCrm);
    ed.e.gEditou["0"] = "1";
    ed.e.gMoveuColuna = false;
    ed.g().moverCursor(1, 1);
    // Set-ups a case makes before its operation are part of its own steps only when they are
    // operations: a plain cell write counts as a step of its own.
    const int antesDoCaso = ed.e.historico(ed.g()).undoCount();
    const Rows antes = rowsOf(ed.g());
    operacao(*this);
    const Rows depois = rowsOf(ed.g());
    ASSERT_NE(depois, antes);
    const int passos = ed.e.historico(ed.g()).undoCount() - antesDoCaso;
    ASSERT_GE(passos, 1);
    ASSERT_TRUE(ed.e.desfazer());
    // Cases that wrote cells before their operation undo those separately.
    for (int p = 1; p < passos; ++p) ASSERT_TRUE(ed.e.desfazer());
    EXPECT_EQ(rowsOf(ed.g()), antes);
    for (int p = 0; p < passos; ++p) ASSERT_TRUE(ed.e.refazer());
    EXPECT_EQ(rowsOf(ed.g()), depois);
    EXPECT_FALSE(ed.e.refazer());
  }
}

TEST_F(Undo, UndoingBackToTheSavedListMakesItSavedAgain) {
  std::string arquivo =
      escrever("crm.csv", "Nome;E-mail\r\nAna;ana@x.com\r\nAna;ANA@x.com\r\nBia;bia@x.com\r\n");
  ed.d.values.push_back(arquivo);
  btnAbrirClick(ed.e);
  ASSERT_EQ(ed.e.status.saved, "Sim");
  EXPECT_TRUE(ed.e.podeDesfazer());     // undoing the opening empties the list again
  excluirLinhaSeColunaBranco(ed.e, 0);  // nothing to remove: no change, still saved
  EXPECT_EQ(ed.e.status.saved, "Sim");

  colunaSubstituir(ed.e, 1, "ANA", "ana");
  EXPECT_EQ(ed.e.status.saved, "Não");
  aplicarEliminarRepetidos(ed.e, 1);
  EXPECT_EQ(ed.e.status.saved, "Não");
  ed.e.desfazer();
  EXPECT_EQ(ed.e.status.saved, "Não");
  ed.e.desfazer();
  EXPECT_EQ(ed.e.status.saved, "Sim");
  ed.e.refazer();
  EXPECT_EQ(ed.e.status.saved, "Não");
  // Saved now: that state is the saved one from then on.
  salvar(ed.e);
  EXPECT_EQ(ed.e.status.saved, "Sim");
  ed.e.desfazer();
  EXPECT_EQ(ed.e.status.saved, "Não");
  ed.e.refazer();
  EXPECT_EQ(ed.e.status.saved, "Sim");
}

TEST_F(Undo, EachListHasItsOwnHistory) {
  fill(ed.e.gridMain, kCrm);
  fill(ed.e.gridValidos, {{"emails"}, {"a@x.com"}, {"b@x.com"}});
  colunaSubstituir(ed.e, 0, "Ana", "Anna");
  ed.e.setAbaAtiva(kAbaValidos);
  EXPECT_FALSE(ed.e.podeDesfazer());
  ed.g().selection = {0, 1, 0, 1};
  deletarSelecionados(ed.e);
  EXPECT_TRUE(ed.e.desfazer());
  EXPECT_EQ(rowsOf(ed.e.gridValidos), (Rows{{"emails"}, {"a@x.com"}, {"b@x.com"}}));
  EXPECT_EQ(ed.e.gridMain.cell(0, 1), "Anna Souza");
  ed.e.setAbaAtiva(kAbaPrincipal);
  EXPECT_TRUE(ed.e.desfazer());
  EXPECT_EQ(ed.e.gridMain.cell(0, 1), "Ana Souza");
}

TEST_F(Undo, TheLastTenOperationsOfAHundredThousandRowListCanBeUndone) {
  Rows grande = {{"nome", "email", "cidade"}};
  for (int i = 0; i < 100'000; ++i)
    grande.push_back({"Nome " + std::to_string(i % 5000),
                      "u" + std::to_string(i % 70'000) + "@x.com", i % 3 ? "Recife" : ""});
  fill(ed.g(), grande);
  std::vector<Rows> estados{rowsOf(ed.g())};
  const std::vector<std::function<void()>> operacoes = {
      [&] { aoSoltarMouse(ed.e, 1, 0, MouseButton::esquerdo); },
      [&] { excluirRepetidos(ed.e, 1); },
      [&] { colunaSubstituir(ed.e, 2, "Recife", "Olinda"); },
      [&] { excluirLinhaSeColunaBranco(ed.e, 2); },
      [&] { eliminarColuna(ed.e, 0); },
      [&] { aoSoltarMouse(ed.e, 1, 0, MouseButton::esquerdo); },
      [&] {
        ed.d.answers.push_back(kSim);
        limparColuna(ed.e, 1);
      },
      [&] {
        ed.g().selection = {0, 1, 0, 5000};
        deletarSelecionados(ed.e);
      },
      [&] { colunaSubstituir(ed.e, 0, "@x.com", "@y.com.br"); },
      [&] { aoSoltarMouse(ed.e, 0, 0, MouseButton::esquerdo); },
  };
  for (const auto& op : operacoes) {
    op();
    estados.push_back(rowsOf(ed.g()));
  }
  const GridJournal& h = ed.e.historico(ed.g());
  EXPECT_EQ(h.undoCount(), 10);
  EXPECT_LE(h.bytes(), GridJournal::kLimiteBytes);
  for (int k = 9; k >= 0; --k) {
    ASSERT_TRUE(ed.e.desfazer());
    ASSERT_EQ(rowsOf(ed.g()), estados[static_cast<size_t>(k)]) << k;
  }
}

TEST_F(Undo, UnsavedListsAreOfferedASaveBeforeTheyAreDiscarded) {
  const std::vector<int> todas = {kAbaPrincipal, kAbaValidos, kAbaInvalidos};
  // Nothing unsaved: no question.
  EXPECT_TRUE(salvarAntesDeDescartar(ed.e, todas));
  EXPECT_TRUE(ed.d.texts("question").empty());

  fill(ed.e.gridMain, kCrm);
  colunaSubstituir(ed.e, 0, "Ana", "Anna");
  fill(ed.e.gridInvalidos, {{"E-mail", "Erro"}, {"x@", "Erro de sintaxe"}});
  ed.e.setEditou(ed.e.gridInvalidos, true);
  // "Cancelar" keeps everything.
  ed.d.answers = {kEsc};
  EXPECT_FALSE(salvarAntesDeDescartar(ed.e, todas));
  EXPECT_EQ(ed.d.texts("question"),
            (std::vector<std::string>{"Deseja salvar as alterações da lista?"}));
  // "Não" for the first, "Sim" for the second: its tab is shown and saved through the window.
  ed.d.answers = {kNao, kSim};
  const std::string invalidos = (pasta.path() / "dados" / "invalidos.csv").string();
  ed.d.values = {invalidos};
  EXPECT_TRUE(salvarAntesDeDescartar(ed.e, todas));
  EXPECT_EQ(ed.e.abaAtiva(), kAbaInvalidos);
  EXPECT_TRUE(fs::exists(invalidos));
  EXPECT_EQ(ed.e.status.saved, "Sim");
  // "Sim" with the save window cancelled: nothing may be discarded.
  ed.d.answers = {kSim};
  ed.d.values = {""};
  EXPECT_FALSE(salvarAntesDeDescartar(ed.e, {kAbaPrincipal}));
  // "Nova lista" on an unsaved list asks first; "Cancelar" leaves it as it was.
  ed.e.setAbaAtiva(kAbaPrincipal);
  ed.d.answers = {kEsc};
  escolherNovaLista(ed.e, NewListOption::eliminarColunas);
  EXPECT_EQ(ed.e.gridMain.cell(0, 1), "Anna Souza");
}

}  // namespace
