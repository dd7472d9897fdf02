// What a grid tells its listeners: one precise notice per change, and the changes made inside an
// update told once it closes, in as few notices as describe them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/text_grid.h"
#include "support/grid_builder.h"

namespace quorvel {
namespace {

using Kind = GridNotice::Kind;
using testing::Rows;

struct Ouvinte {
  explicit Ouvinte(TextGrid& g)
      : sub(g.listen([this](const GridNotice& n) { notices.push_back(n); })) {}
  std::vector<Kind> kinds() const {
    std::vector<Kind> k;
    for (const auto& n : notices) k.push_back(n.kind);
    return k;
  }
  std::vector<GridNotice> notices;
  TextGrid::Subscription sub;
};

GridNotice aviso(Kind k, int first, int count) {
  GridNotice n;
  n.kind = k;
  n.first = first;
  n.count = count;
  return n;
}

TEST(GridNotices, EachSingleChangeIsToldAsItHappens) {
  TextGrid g = testing::gridOf({{"a", "b"}, {"1", "2"}, {"3", "4"}});
  Ouvinte o(g);
  g.setCell(1, 2, "x");
  g.appendRow({"5", "6"});
  g.insertColumn(1);
  g.deleteColumn(0);
  g.deleteRow(1);
  g.setColWidth(0, 99);
  g.moverCursor(0, 1);
  EXPECT_THAT(o.kinds(),
              ::testing::ElementsAre(Kind::cellsChanged, Kind::rowsInserted, Kind::columnsInserted,
                                     Kind::columnsRemoved, Kind::rowsRemoved, Kind::columnWidths,
                                     Kind::selectionChanged));
  EXPECT_EQ(o.notices[0].first, 2);
  EXPECT_EQ(o.notices[0].firstCol, 1);
  EXPECT_EQ(o.notices[1], aviso(Kind::rowsInserted, 3, 1));
  EXPECT_EQ(o.notices[2], aviso(Kind::columnsInserted, 1, 1));
  EXPECT_EQ(o.notices[4], aviso(Kind::rowsRemoved, 1, 1));
}

TEST(GridNotices, AnUpdateTellsAppendedRowsOnceWithTheirCells) {
  TextGrid g;
  Ouvinte o(g);
  {
    TextGrid::Update u(g);
    for (int i = 0; i < 1000; ++i) {
      g.addRow();
      g.setCell(0, g.rowCount() - 1, "linha");
    }
    EXPECT_TRUE(o.notices.empty());  // nothing before the update closes
  }
  ASSERT_EQ(o.notices.size(), 1u);
  EXPECT_EQ(o.notices[0], aviso(Kind::rowsInserted, 2, 1000));
}

TEST(GridNotices, ScatteredRemovalAndReorderCarryTheirMaps) {
  TextGrid g = testing::gridOf({{"h"}, {"a"}, {"b"}, {"c"}, {"d"}});
  Ouvinte o(g);
  g.removeRows({0, 0, 1, 0, 1});
  ASSERT_EQ(o.notices.size(), 1u);
  EXPECT_EQ(o.notices[0].kind, Kind::rowsRemoved);
  EXPECT_EQ(o.notices[0].first, 2);
  EXPECT_EQ(o.notices[0].count, 2);
  EXPECT_EQ(o.notices[0].flags, (std::vector<char>{0, 0, 1, 0, 1}));
  g.reorderRows({2, 1});
  ASSERT_EQ(o.notices.size(), 2u);
  EXPECT_EQ(o.notices[1].kind, Kind::rowsMoved);
  EXPECT_EQ(o.notices[1].order, (std::vector<int>{2, 1}));
  EXPECT_EQ(testing::rowsOf(g), (Rows{{"h"}, {"c"}, {"a"}}));
}

TEST(GridNotices, ManyMixedChangesInOneUpdateBecomeOneReset) {
  TextGrid g = testing::gridOf({{"h"}, {"a"}, {"b"}});
  Ouvinte o(g);
  {
    TextGrid::Update u(g);
    for (int i = 0; i < 40; ++i) {
      g.insertColumn(0);
      g.deleteRow(1);
    }
  }
  EXPECT_THAT(o.kinds(), ::testing::ElementsAre(Kind::reset));
}

TEST(GridNotices, ListenersAreOwnedByTheGridNotByItsCopies) {
  TextGrid g;
  int ouvidos = 0;
  auto sub = g.listen([&](const GridNotice&) { ++ouvidos; });
  TextGrid copia = g;
  copia.setCell(0, 1, "x");
  EXPECT_EQ(ouvidos, 0);
  g = testing::gridOf({{"novo"}, {"1"}});  // replaced wholesale: the listener hears a reset
  EXPECT_EQ(ouvidos, 1);
  sub.cancel();
  g.setCell(0, 1, "y");
  EXPECT_EQ(ouvidos, 1);
}

TEST(GridNotices, TwoListenersBothHearAndOneMayLeaveWhileHearing) {
  TextGrid g;
  int a = 0, b = 0;
  TextGrid::Subscription sa, sb;
  sa = g.listen([&](const GridNotice&) {
    ++a;
    sb.cancel();  // the status bar closes while the window is told
  });
  sb = g.listen([&](const GridNotice&) { ++b; });
  g.setCell(0, 1, "x");
  g.setCell(0, 1, "y");
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 0);
}

}  // namespace
}  // namespace quorvel
