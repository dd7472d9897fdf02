#pragma once
// Builds grids from rows of cells and reads them back, so a test can state a whole table.

#include <algorithm>
#include <string>
#include <vector>

#include "common/grid_journal.h"
#include "common/text_grid.h"
#include "lists/list_editor.h"
#include "support/scripted_ports.h"

namespace quorvel::testing {

using Rows = std::vector<std::vector<std::string>>;

// Rows[0] is the header; the column count is that of the widest row. The grid's undo history (an
// editor's list has one) starts again from the filled state: it is how a test sets a list up, not
// a change the user made.
inline void fill(TextGrid& g, const Rows& rows) {
  if (GridJournal* j = g.journal()) j->pause();
  size_t cols = 1;
  for (const auto& r : rows) cols = std::max(cols, r.size());
  g.setColCount(static_cast<int>(cols));
  g.setRowCount(static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < cols; ++c)
      g.setCell(static_cast<int>(c), static_cast<int>(r), c < rows[r].size() ? rows[r][c] : "");
  if (GridJournal* j = g.journal()) {
    j->resume();
    j->clear();
  }
}

inline TextGrid gridOf(const Rows& rows) {
  TextGrid g;
  fill(g, rows);
  return g;
}

inline Rows rowsOf(const TextGrid& g) {
  Rows out;
  for (int r = 0; r < g.rowCount(); ++r) out.push_back(g.rowCells(r));
  return out;
}

// An editor wired to scripted ports, as the list tests need it.
struct EditorWithPorts {
  EditorWithPorts() {
    e.dialogs = &d;
    e.progress = &p;
    e.platform = &plat;
  }
  TextGrid& g() { return *e.gGrid; }

  ListEditor e;
  ScriptedDialogs d;
  RecordingProgress p;
  FakePlatform plat;
};

}  // namespace quorvel::testing
