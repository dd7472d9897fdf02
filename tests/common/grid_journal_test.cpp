#include "common/grid_journal.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "common/text_grid.h"
#include "support/grid_builder.h"

using quorvel::GridJournal;
using quorvel::TextGrid;
using quorvel::testing::fill;
using quorvel::testing::Rows;
using quorvel::testing::rowsOf;

namespace {

struct Snapshot {
  Rows rows;
  std::vector<int> widths;
  bool operator==(const Snapshot&) const = default;
};

Snapshot snap(const TextGrid& g) {
  Snapshot s{rowsOf(g), {}};
  for (int c = 0; c < g.colCount(); ++c) s.widths.push_back(g.colWidth(c));
  return s;
}

// A grid of `linhas` data rows under a journal, filled before the journal listens.
struct Journaled {
  explicit Journaled(const Rows& rows, size_t limite = GridJournal::kLimiteBytes, int passos = 100)
      : j(limite, passos) {
    fill(g, rows);
    g.setJournal(&j);
  }
  TextGrid g;
  GridJournal j;
  void step(const std::function<void(TextGrid&)>& f) {
    j.beginStep();
    f(g);
    j.endStep();
  }
};

const Rows kLista = {{"emails", "nome", "cidade"},
                     {"ana@x.com", "Ana", ""},
                     {"bia@y.com", "", "Recife"},
                     {"caio@z.com", "Caio", "Natal"},
                     {"", "", ""},
                     {"dani@w.com", "Dani", "Belém"}};

TEST(GridJournal, EachKindOfChangeIsUndoneAndRedoneExactly) {
  const std::vector<std::pair<const char*, std::function<void(TextGrid&)>>> casos = {
      {"cell", [](TextGrid& g) { g.setCell(1, 2, "Bia"); }},
      {"assigned row",
       [](TextGrid& g) {
         g.assignRow(3, {"x@y.com", "", "Z"});
       }},
      {"appended rows and their cells",
       [](TextGrid& g) {
         g.appendRow({"e@e.com"});
         g.addRow();
         g.setCell(2, g.rowCount() - 1, "Natal");
       }},
      {"row deleted", [](TextGrid& g) { g.deleteRow(2); }},
      {"scattered rows removed",
       [](TextGrid& g) {
         g.removeRows({0, 1, 0, 1, 1, 0});
       }},
      {"every data row removed",
       [](TextGrid& g) {
         g.removeRows({0, 1, 1, 1, 1, 1});
       }},
      {"rows reordered",
       [](TextGrid& g) {
         g.reorderRows({5, 3, 1, 4, 2});
       }},
      {"blanks filled after a sort",
       [](TextGrid& g) {
         g.reorderRows({5, 4, 3, 2, 1});
         g.fillBlanks(" ");
       }},
      {"rows cut", [](TextGrid& g) { g.setRowCount(3); }},
      {"rows added", [](TextGrid& g) { g.setRowCount(9); }},
      {"column deleted", [](TextGrid& g) { g.deleteColumn(1); }},
      {"column inserted and filled",
       [](TextGrid& g) {
         g.insertColumn(0);
         g.setCell(0, 0, "#nome");
         g.setCell(0, 1, "Ana");
       }},
      {"columns cut", [](TextGrid& g) { g.setColCount(1); }},
      {"columns added", [](TextGrid& g) { g.setColCount(5); }},
      {"column rewritten",
       [](TextGrid& g) {
         g.setColumnCells(2, {"c", "1", "2", "3", "4", "5"});
       }},
      {"row rewritten", [](TextGrid& g) { g.setRowCells(1, {"z@z.com"}); }},
      {"row inserted",
       [](TextGrid& g) {
         g.insertRow(2, {"i@i.com", "I", "J"});
       }},
      {"whole list replaced", [](TextGrid& g) { g = TextGrid(); }},
      {"last data row deleted from a two-row list",
       [](TextGrid& g) {
         g.setRowCount(2);
         g.deleteRow(1);
       }},
  };
  for (const auto& [nome, mudanca] : casos) {
    SCOPED_TRACE(nome);
    Journaled t(kLista);
    t.g.setColWidth(0, 90);
    t.g.setColWidth(1, 150);
    const Snapshot antes = snap(t.g);
    t.step(mudanca);
    const Snapshot depois = snap(t.g);
    ASSERT_NE(antes.rows, depois.rows);
    ASSERT_TRUE(t.j.undo(t.g));
    EXPECT_EQ(snap(t.g).rows, antes.rows);
    ASSERT_TRUE(t.j.redo(t.g));
    EXPECT_EQ(snap(t.g).rows, depois.rows);
    ASSERT_TRUE(t.j.undo(t.g));
    EXPECT_EQ(snap(t.g), antes);
    EXPECT_FALSE(t.j.canUndo());
  }
}

TEST(GridJournal, RandomStepsUndoToTheStartAndRedoToTheEnd) {
  std::mt19937 rng(20261211);
  for (int rodada = 0; rodada < 200; ++rodada) {
    Journaled t(kLista);
    std::vector<Snapshot> estados{snap(t.g)};
    std::string feito;  // what the round did, for the failure message
    const int passos = 1 + static_cast<int>(rng() % 8);
    for (int p = 0; p < passos; ++p) {
      const int antes = t.j.undoCount();
      t.step([&](TextGrid& g) {
        const int mudancas = 1 + static_cast<int>(rng() % 5);
        for (int m = 0; m < mudancas; ++m) {
          const int linhas = g.rowCount(), colunas = g.colCount();
          const int r = static_cast<int>(rng() % static_cast<unsigned>(linhas));
          const int c = static_cast<int>(rng() % static_cast<unsigned>(colunas));
          const unsigned tipo = rng() % 10;
          feito += std::to_string(tipo) + "(" + std::to_string(c) + "," + std::to_string(r) + ") ";
          switch (tipo) {
            case 0:
              g.setCell(c, r, "v" + std::to_string(rng() % 100));
              break;
            case 1:
              g.appendRow({"n" + std::to_string(m)});
              break;
            case 2:
              if (r > 0) g.deleteRow(r);
              break;
            case 3: {
              std::vector<char> flags(static_cast<size_t>(linhas), 0);
              for (size_t k = 1; k < flags.size(); ++k) flags[k] = rng() % 3 == 0;
              g.removeRows(flags);
              break;
            }
            case 4: {
              std::vector<int> ordem;
              for (int k = 1; k < linhas; ++k) ordem.push_back(k);
              std::shuffle(ordem.begin(), ordem.end(), rng);
              g.reorderRows(ordem);
              break;
            }
            case 5:
              g.insertColumn(c);
              g.setCell(c, 0, "nova");
              break;
            case 6:
              g.deleteColumn(c);
              break;
            case 7:
              g.setRowCount(static_cast<int>(rng() % 8));
              break;
            case 8:
              g.fillBlanks(" ");
              break;
            default:
              g.assignRow(r, {"a", "", "b"});
              break;
          }
        }
      });
      // A step that recorded nothing is no step.
      if (t.j.undoCount() > antes) estados.push_back(snap(t.g));
      feito += "| ";
    }
    const std::vector<Snapshot>& distintos = estados;
    for (int k = static_cast<int>(distintos.size()) - 2; k >= 0; --k) {
      ASSERT_TRUE(t.j.undo(t.g)) << feito;
      ASSERT_EQ(snap(t.g).rows, distintos[static_cast<size_t>(k)].rows)
          << feito << " desfeitos até " << k << " de " << distintos.size();
    }
    EXPECT_FALSE(t.j.canUndo());
    for (size_t k = 1; k < distintos.size(); ++k) {
      ASSERT_TRUE(t.j.redo(t.g)) << feito;
      ASSERT_EQ(snap(t.g).rows, distintos[k].rows)
          << feito << " refeitos até " << k << " de " << distintos.size();
    }
    EXPECT_FALSE(t.j.canRedo());
  }
}

TEST(GridJournal, ChangesOutsideAStepAreStepsOfTheirOwnAndANewChangeDropsTheRedo) {
  Journaled t(kLista);
  t.g.setCell(0, 1, "um");
  t.g.setCell(0, 1, "dois");
  EXPECT_EQ(t.j.undoCount(), 2);
  t.j.undo(t.g);
  EXPECT_EQ(t.g.cell(0, 1), "um");
  EXPECT_TRUE(t.j.canRedo());
  t.g.setCell(0, 2, "tres");
  EXPECT_FALSE(t.j.canRedo());
  // Writing a cell with the text it holds is no change.
  t.g.setCell(0, 2, "tres");
  EXPECT_EQ(t.j.undoCount(), 2);
}

TEST(GridJournal, TheSavedStateIsRecognisedWhicheverWayItIsReached) {
  Journaled t(kLista);
  t.step([](TextGrid& g) { g.setCell(0, 1, "x@x.com"); });
  t.j.marcarSalvo();
  EXPECT_EQ(t.j.estado(), t.j.estadoSalvo());
  t.step([](TextGrid& g) { g.deleteRow(2); });
  EXPECT_NE(t.j.estado(), t.j.estadoSalvo());
  t.j.undo(t.g);
  EXPECT_EQ(t.j.estado(), t.j.estadoSalvo());
  t.j.undo(t.g);
  EXPECT_NE(t.j.estado(), t.j.estadoSalvo());
  t.j.redo(t.g);
  EXPECT_EQ(t.j.estado(), t.j.estadoSalvo());
  // Saved inside a step, with changes after the save: the step's end is not the saved state.
  t.step([&](TextGrid& g) {
    g.setCell(0, 3, "y@y.com");
    t.j.marcarSalvo();
  });
  EXPECT_EQ(t.j.estado(), t.j.estadoSalvo());
  t.step([&](TextGrid& g) {
    g.setCell(0, 3, "z@z.com");
    t.j.marcarSalvo();
    g.setCell(0, 4, "w@w.com");
  });
  EXPECT_NE(t.j.estado(), t.j.estadoSalvo());
}

TEST(GridJournal, MemoryIsBoundedAndAStepTooLargeEmptiesTheHistory) {
  // Appending a million rows costs a count, not the rows.
  {
    Journaled t({{"emails"}, {""}});
    t.step([](TextGrid& g) {
      for (int i = 0; i < 1'000'000; ++i) g.appendRow({"endereco" + std::to_string(i) + "@x.com"});
    });
    EXPECT_LT(t.j.bytes(), 1024u);
    ASSERT_TRUE(t.j.undo(t.g));
    EXPECT_EQ(t.g.rowCount(), 2);
  }
  // A limit of 4 KB: old steps go first, at least the newest stays.
  {
    Journaled t(kLista, 4096, 100);
    for (int i = 0; i < 200; ++i)
      t.step(
          [&](TextGrid& g) { g.setCell(0, 1, std::string(40, static_cast<char>('a' + i % 26))); });
    EXPECT_LE(t.j.bytes(), 4096u);
    EXPECT_GE(t.j.undoCount(), 10);
    EXPECT_LT(t.j.undoCount(), 200);
    // A step larger than the limit cannot be undone, and nothing before it either: the column
    // it rewrites held 12 KB.
    t.j.pause();
    t.g.setColumnCells(1, std::vector<std::string>(6, std::string(2000, 'x')));
    t.j.resume();
    t.step([](TextGrid& g) { g.setColumnCells(1, std::vector<std::string>(6, "y")); });
    EXPECT_TRUE(t.j.ultimoPassoDescartado());
    EXPECT_FALSE(t.j.canUndo());
  }
  // At most `limitePassos` steps.
  {
    Journaled t(kLista, GridJournal::kLimiteBytes, 10);
    for (int i = 0; i < 30; ++i) t.step([&](TextGrid& g) { g.setCell(0, 1, std::to_string(i)); });
    EXPECT_EQ(t.j.undoCount(), 10);
  }
}

TEST(GridJournal, NothingIsRecordedWhilePausedAndClearForgetsEverything) {
  Journaled t(kLista);
  t.j.pause();
  t.g.setCell(0, 1, "x");
  t.j.resume();
  EXPECT_FALSE(t.j.canUndo());
  t.g.setCell(0, 1, "y");
  EXPECT_TRUE(t.j.canUndo());
  t.j.clear();
  EXPECT_FALSE(t.j.canUndo());
  EXPECT_EQ(t.j.bytes(), 0u);
}

}  // namespace
