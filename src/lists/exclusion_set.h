#pragma once
// The lines of an exclusion file as a set compared ignoring case (pt-BR collation), kept over the
// file's own text: a table of places, not a string per line. A file of 200,000 addresses takes
// about three times its size, and a lookup touches one slot of the table and one line.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quorvel {

class ExclusionSet {
 public:
  // The lines of `texto` (split at CR LF, LF or CR; a final line break starts no line).
  explicit ExclusionSet(std::string texto);

  bool empty() const { return vazio_; }
  // The first line in the set's order: the smallest under the collation, of equal ones the
  // first in the file.
  std::string_view first() const { return primeira_; }
  // True when a line equals `valor` ignoring case.
  bool contains(std::string_view valor) const;
  const std::string& text() const { return texto_; }

 private:
  struct Slot {
    uint64_t hash;
    uint32_t inicio = UINT32_MAX;  // UINT32_MAX: an empty slot
    uint32_t tamanho = 0;
  };
  bool containsAscii(std::string_view minusculo) const;
  template <class F>
  void forEachLine(F f) const;

  std::string texto_;
  std::string minusculas_;    // the text with ASCII letters lower-cased, same places
  std::vector<Slot> tabela_;  // printable-ASCII lines, lower-cased, open addressing
  // Lines outside printable ASCII, by collation key: an ASCII value equal to one has its key.
  std::unordered_set<std::string> outrasChaves_;
  // The first bytes of those keys: most values are told apart by them, without a whole key.
  std::unordered_set<uint64_t> outrosInicios_;
  // Every line's key, made the first time a value outside printable ASCII is looked up.
  mutable std::unordered_set<std::string> todasChaves_;
  mutable bool todasFeitas_ = false;
  std::string_view primeira_;
  bool vazio_ = true;
};

}  // namespace quorvel
