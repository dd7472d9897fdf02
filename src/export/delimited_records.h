#pragma once
// The records of a delimited text, as "Abrir texto..." reads them: a record ends at a line break
// outside quotes; it is trimmed and split at the separator; a field that starts with a double
// quote runs to its closing quote, with a doubled quote read as one (the ";" text the export
// writes); a final empty field after a trailing separator is dropped.

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

class DelimitedRecords {
 public:
  DelimitedRecords(std::string_view texto, char separador) : t_(texto), sep_(separador) {}
  bool fim() const { return p_ >= t_.size(); }
  // The fields of the next record.
  std::vector<std::string> proximo();

 private:
  static bool quebra(char c) { return c == '\r' || c == '\n'; }
  // The closing quote of a quoted field whose text starts at `p`; npos when there is none.
  size_t fechamento(size_t p) const;
  void lerCitado(std::string& campo);
  bool restoEmBranco() const;
  void pularQuebra();

  std::string_view t_;
  char sep_;
  size_t p_ = 0;
};

}  // namespace quorvel
