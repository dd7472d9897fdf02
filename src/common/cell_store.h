#pragma once
// The cells of a list, kept compactly: every text lies in a few large blocks owned by the store,
// and each cell is one 8-byte slot that points at its text. A list of a million rows costs its
// text and 8 bytes a cell, not a string object (often with a heap block of its own) per cell and
// a vector per row: a third of the memory, and no million allocations to make and free.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// A cell's text as the list holds it. The view stays valid while the list lives, across edits of
// cells and appended rows (a text, once stored, never moves or changes); only a change of the
// list's shape (rows removed or reordered, columns inserted or deleted) may move the texts. Where
// a std::string is needed it converts to one.
class CellText : public std::string_view {
 public:
  constexpr CellText() = default;
  constexpr CellText(std::string_view v) : std::string_view(v) {}
  constexpr CellText(const char* s) : std::string_view(s) {}
  operator std::string() const { return std::string(data(), size()); }
};

std::string operator+(const std::string& a, CellText b);
std::string operator+(std::string&& a, CellText b);
std::string operator+(const char* a, CellText b);
std::string operator+(CellText a, const std::string& b);
std::string operator+(CellText a, const char* b);
std::string operator+(CellText a, CellText b);

// Texts copied into large blocks, never moved until the arena is let go.
class TextArena {
 public:
  TextArena() = default;
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;
  TextArena(TextArena&&) noexcept = default;
  TextArena& operator=(TextArena&&) noexcept = default;

  // A copy of `s` in the arena, as a slot (the empty text is slot 0 and takes no room).
  uint64_t add(std::string_view s);
  // The bytes the arena holds (the blocks, used or not).
  size_t capacity() const { return capacidade_; }
  // The bytes the texts take.
  size_t used() const { return usado_; }

  static CellText text(uint64_t slot);
  static size_t length(uint64_t slot);

 private:
  char* room(size_t n);

  std::vector<std::unique_ptr<char[]>> blocos_;
  char* livre_ = nullptr;
  size_t resta_ = 0;
  size_t proximoBloco_ = 256;
  size_t capacidade_ = 0, usado_ = 0;
};

// A table of cells, `cols()` wide, rows one after another.
class CellStore {
 public:
  explicit CellStore(int cols = 1, int rows = 0);
  CellStore(const CellStore& o);  // the copy keeps only the texts in use, in row order
  CellStore& operator=(const CellStore& o);
  CellStore(CellStore&&) noexcept = default;
  CellStore& operator=(CellStore&&) noexcept = default;

  int cols() const { return cols_; }
  int rows() const { return static_cast<int>(slots_.size() / static_cast<size_t>(cols_)); }
  CellText cell(int col, int row) const { return TextArena::text(slots_[at(col, row)]); }
  void set(int col, int row, std::string_view value);
  // Gives every empty data cell (rows from `firstRow`) the same text, stored once. Returns the
  // cells filled as (column, row).
  std::vector<std::pair<int, int>> fillEmpty(std::string_view value, int firstRow);
  std::vector<std::string> rowStrings(int row) const;
  // The bytes the store holds: its slots and its text blocks.
  size_t bytes() const;

  void reserveRows(int n) { slots_.reserve(static_cast<size_t>(n) * static_cast<size_t>(cols_)); }
  // New rows are empty; rows cut off are let go.
  void resizeRows(int n);
  // Appends a row of `cells` (those beyond the width are dropped, missing ones are empty).
  void appendRow(const std::vector<std::string>& cells);
  void appendRowFrom(const CellStore& o, int row);
  void insertRow(int row, const std::vector<std::string>& cells);
  void eraseRow(int row);
  // Takes out every row whose flag is set (flags indexed by row); with `removed`, the rows taken
  // out are appended to it (same width) in their order.
  void removeRows(const std::vector<char>& flags, CellStore* removed);
  // Puts `rows` back: afterwards row r is the next of them exactly when `flags[r]` is set.
  void insertRows(const std::vector<char>& flags, const CellStore& rows);
  // Row 0 stays; new row i + 1 is old row `order[i]` (rows may be left out or repeated).
  void reorder(const std::vector<int>& order);
  // New columns are empty; columns cut off are let go.
  void setCols(int n);
  void insertColumn(int col);
  void eraseColumn(int col);
  // Let go of the texts no cell shows any more when they take more room than the rest.
  void compactIfWasteful();

 private:
  size_t at(int col, int row) const {
    return static_cast<size_t>(row) * static_cast<size_t>(cols_) + static_cast<size_t>(col);
  }
  void drop(uint64_t slot) { lixo_ += TextArena::length(slot); }
  void compact();

  int cols_ = 1;
  std::vector<uint64_t> slots_;
  TextArena arena_;
  size_t lixo_ = 0;  // bytes of texts no cell shows
};

}  // namespace quorvel
