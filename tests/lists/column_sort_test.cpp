// Sorting a list larger than one sort block: blocks merged in order, progress told meanwhile.
#include "lists/column_sort.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/text.h"
#include "support/grid_builder.h"

namespace quorvel {
namespace {

TEST(ColumnSort, ALargeListIsSortedAcrossBlocksWhileTheProgressBoxIsTold) {
  testing::EditorWithPorts w;
  TextGrid& g = w.g();
  const int linhas = 100'000;
  g.setColCount(2);
  g.setRowCount(linhas + 1);
  g.setCell(0, 0, "cidade");
  g.setCell(1, 0, "id");
  std::mt19937 rng(5);
  const char* cidades[] = {"São Paulo", "santos", "Belém", "belo horizonte", "Árvore", "Zé Doca"};
  for (int r = 1; r <= linhas; ++r) {
    g.setCell(0, r, std::string(cidades[rng() % 6]) + " " + std::to_string(rng() % 300));
    g.setCell(1, r, std::to_string(r));
  }
  // Steps of the second stage beyond its one per ten rows: the blocks and their merges.
  int passosEtapa2 = 0;
  w.p.onStep = [&](RecordingProgress& p) { passosEtapa2 += p.legend1 == "Etapa 2/3"; };

  SortStringGrid(w.e, g, 0, false);

  EXPECT_GE(passosEtapa2, linhas / 10 + 4);
  std::vector<bool> visto(linhas + 1, false);
  for (int r = 1; r <= linhas; ++r) {
    visto[std::stoi(g.cell(1, r))] = true;
    if (r > 1) {
      const int c = compareText(g.cell(0, r - 1), g.cell(0, r));
      ASSERT_LE(c, 0) << r;
      if (c == 0) {
        ASSERT_LE(compareText(g.rowText(r - 1), g.rowText(r)), 0) << r;
      }
    }
  }
  EXPECT_EQ(std::count(visto.begin() + 1, visto.end(), true), linhas);  // every row once
}

}  // namespace
}  // namespace quorvel
