#pragma once
// The lines of a bulk input file, read and prepared ahead of their validation: the duplicate
// memory's slot of each is on its way into the cache a few lines before its turn and, when the
// MX stage reads ahead, the lookups of new domains run while the chain works through the lines
// before them. Memory stays constant: a fixed ring of lines.

#include <cstdint>
#include <string>
#include <vector>

#include "common/line_reader.h"
#include "validation/validation_chain.h"

namespace quorvel {

struct PreparedLine {
  std::string texto;        // what is validated and written: the first address of a line of
                            // fields, without double quotes, trimmed, in the case it was read
  std::string normalizado;  // the same in lower case, for the chain
  bool falhou = false;      // the preparation failed (the line is counted as an error)
  int64_t fimBytes = 0;     // bytes of the file up to the end of this line
};

// The text a line stands for: its first address when it holds ";", TAB or ",", without double
// quotes, trimmed.
void prepareLine(std::string_view linha, std::string& extraido, std::string& texto);

class LineReadAhead {
 public:
  LineReadAhead(LineReader& reader, ValidationChain& chain);
  // The next line, or nullptr at the end of the file; valid until the next call.
  const PreparedLine* proxima();

 private:
  static constexpr size_t kSlotAdiante = 3;  // lines between the slot's prefetch and its use
  void encher();

  LineReader& reader_;
  ValidationChain& v_;
  const bool anteciparMx_;
  std::vector<PreparedLine> anel_;
  size_t inicio_ = 0, prontas_ = 0;
  bool fimLeitura_ = false;
  std::string extraido_;
};

}  // namespace quorvel
