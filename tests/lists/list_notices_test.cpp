// The list operations tell a view what they changed once per operation, never row by row, and
// the editor tells its own state apart.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "lists/column_operations.h"
#include "lists/column_sort.h"
#include "lists/grid_operations.h"
#include "lists/list_cleaning.h"
#include "lists/list_loading.h"
#include "lists/name_identification.h"
#include "support/grid_builder.h"

namespace quorvel {
namespace {

using Kind = GridNotice::Kind;
using ::testing::ElementsAreArray;

struct Caso {
  const char* nome;
  std::function<void(testing::EditorWithPorts&)> operacao;
  std::vector<Kind> esperado;
};

TEST(ListNotices, EveryBulkOperationSendsOneNoticePerKindOfChange) {
  const Caso casos[] = {
      // Sorting writes the row assignment rule's spaces into empty cells.
      {"sort",
       [](auto& ed) { SortStringGrid(ed.e, ed.g(), 0, false); },
       {Kind::rowsMoved, Kind::cellsChanged}},
      {"dedupe",
       [](auto& ed) { excluirRepetidos(ed.e, 0); },
       {Kind::rowsMoved, Kind::cellsChanged, Kind::rowsRemoved}},
      {"column replace",
       [](auto& ed) { colunaSubstituir(ed.e, 0, "@", "#"); },
       {Kind::cellsChanged}},
      {"names",
       [](auto& ed) { identificarNomes(ed.e, 0, false); },
       {Kind::columnsInserted, Kind::cellsChanged, Kind::columnWidths}},
      {"generate",
       [](auto& ed) { gerarEmailPadrao(ed.e, 0, "contato", false); },
       {Kind::rowsInserted}},
      {"paste",
       [](auto& ed) { colarCheck(ed.e, "x@y.com\r\nz@w.com\r\n"); },
       {Kind::rowsInserted, Kind::selectionChanged}},
      {"blank rows",
       [](auto& ed) { excluirLinhaSeColunaBranco(ed.e, 1); },
       {Kind::rowsRemoved, Kind::selectionChanged}},
  };
  for (const auto& c : casos) {
    testing::EditorWithPorts ed;
    testing::fill(ed.g(), {{"emails", "cidade"},
                           {"b@x.com", "Recife"},
                           {"a@x.com", ""},
                           {"b@x.com", "Natal"},
                           {"c@z.com.br", "Olinda"}});
    for (int i = 0; i < 2000; ++i) ed.g().appendRow({"n" + std::to_string(i) + "@x.com", "SP"});
    std::vector<Kind> avisos;
    int avisosDoEditor = 0;
    auto sub = ed.g().listen([&](const GridNotice& n) { avisos.push_back(n.kind); });
    auto subEditor = ed.e.notices.listen([&](const EditorNotice&) { ++avisosDoEditor; });
    ed.d.answers = {kSim, kSim};
    c.operacao(ed);
    EXPECT_THAT(avisos, ElementsAreArray(c.esperado)) << c.nome;
    EXPECT_LE(avisosDoEditor, 4) << c.nome;
  }
}

TEST(ListNotices, TheEditorTellsTabAndStatusChangesToEveryListener) {
  testing::EditorWithPorts ed;
  int janela = 0, barra = 0;
  auto a = ed.e.notices.listen([&](const EditorNotice&) { ++janela; });
  auto b = ed.e.notices.listen([&](const EditorNotice&) { ++barra; });
  ed.e.setAbaAtiva(kAbaValidos);
  EXPECT_EQ(ed.e.gGrid, &ed.e.gridValidos);
  EXPECT_EQ(janela, 1);
  EXPECT_EQ(barra, 1);
}

}  // namespace
}  // namespace quorvel
