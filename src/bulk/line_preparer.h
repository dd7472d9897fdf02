#pragma once
// Reading, decoding and preparing the lines of a bulk input file on a thread of its own, so that
// on a second core they overlap with the chain. The lines come in batches, in file order; a
// fixed set of batches goes round between the two threads, so memory stays constant and the
// strings keep their buffers from batch to batch. The chain and everything it touches stay on
// the caller's thread: the preparing thread only reads the file and works on its own lines.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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
  // Worked out here for the chain: the hashes of the address and of its domain, where the
  // domain starts, and the verdict of the stages that only read the filter lists.
  uint64_t hash = 0, hashDominio = 0;
  size_t inicioDominio = 0;  // past the end when the address has no "@"
  FilterStage etapa = FilterStage::nenhuma;
  std::string detalhe;
  const FilterStages* etapas = nullptr;  // who gave the verdict (null: none given)

  PreparedAddress endereco() const;
};

// The text a line stands for: its first address when it holds ";", TAB or ",", without double
// quotes, trimmed.
void prepareLine(std::string_view linha, std::string& extraido, std::string& texto);

class LinePreparer {
 public:
  static constexpr size_t kLinhasPorLote = 512;
  static constexpr size_t kLotes = 8;

  struct Batch {
    std::vector<PreparedLine> linhas{kLinhasPorLote};
    size_t n = 0;  // lines used, from the start
  };

  // Starts preparing the lines of an open reader, which belongs to the thread until the last
  // batch was handed out (or this object ends). With `etapas`, each line also gets the verdict
  // of those stages (they must outlive this object).
  explicit LinePreparer(LineReader& reader, const FilterStages* etapas = nullptr);
  // Stops the thread (a cancelled run leaves the file unread) and waits for it.
  ~LinePreparer();
  LinePreparer(const LinePreparer&) = delete;
  LinePreparer& operator=(const LinePreparer&) = delete;

  // The next batch, or null after the last line; the one handed out before goes back to the
  // thread to be filled again.
  Batch* proximo();
  // Why reading stopped before the end of the file, besides the reader's own read error; valid
  // once proximo() returned null.
  const std::string& falha() const { return falha_; }

 private:
  void trabalhar();

  LineReader& reader_;
  const FilterStages* etapas_;
  std::vector<std::unique_ptr<Batch>> lotes_;
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<Batch*> prontos_, livres_;
  Batch* emUso_ = nullptr;
  bool fim_ = false, parar_ = false;
  std::string falha_;
  std::thread t_;  // last: it starts once the rest exists
};

}  // namespace quorvel
