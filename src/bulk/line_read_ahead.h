#pragma once
// The lines of a bulk input file, prepared ahead of their validation on another thread (see
// LinePreparer): the duplicate memory's slot of each is on its way into the cache a few lines
// before its turn and, when the MX stage reads ahead, the lookups of new domains run while the
// chain works through the lines before them. Memory stays constant: a fixed ring of lines.

#include <string>
#include <vector>

#include "bulk/line_preparer.h"
#include "validation/validation_chain.h"

namespace quorvel {

class LineReadAhead {
 public:
  LineReadAhead(LineReader& reader, ValidationChain& chain);
  // The next line, or nullptr at the end of the file; valid until the next call.
  const PreparedLine* proxima();
  // Why the reading stopped before the end, besides the reader's read error (empty when none);
  // valid once proxima() returned nullptr.
  const std::string& falha() const { return preparador_.falha(); }

 private:
  static constexpr size_t kSlotAdiante = ValidationChain::kLinhasAdianteSlot;
  void encher();

  ValidationChain& v_;
  const bool anteciparMx_;
  // Hashes of domains whose MX answer the run already has, by their low bits: most lines skip
  // asking the MX stage again. Only the read-ahead reads it (a miss asks; a hit that is wrong
  // for lack of the whole text only leaves a lookup to the chain's own turn).
  static constexpr size_t kBitsConhecidos = 15;
  std::vector<uint64_t> conhecidos_;
  // The chain's filter stages as the run starts, run by the preparing thread.
  const FilterStages etapas_;
  std::vector<PreparedLine> anel_;
  size_t inicio_ = 0, prontas_ = 0;
  bool fimLeitura_ = false;
  LinePreparer preparador_;  // last: its thread starts when the rest exists
  LinePreparer::Batch* lote_ = nullptr;
  size_t posLote_ = 0;
};

}  // namespace quorvel
