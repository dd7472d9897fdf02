#pragma once
// Suggestions for mistyped addresses. A rejected address gets a corrected one only when its
// domain cannot receive mail (no mail server, or a domain the syntax check refuses), exactly one
// candidate domain is a small slip away from it, that candidate has a mail server, and the
// corrected address passes every other stage. The local part is never touched.
//
// Candidates: the providers' list of the definitions (sys_provedores.filter) and the user's own
// frequent domains: those with a mail server met at least kMinimoOcorrencias times in the
// user's lists, counted run after run in the store and within the current run (the MX stage
// counts them as it answers).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "validation/candidate_index.h"
#include "validation/filter_list.h"
#include "validation/hashed_text_table.h"
#include "validation/stage_hooks.h"

namespace quorvel {

// Where the chain rejected an address, as far as a suggestion is concerned.
enum class RejectionStage {
  none,      // accepted
  syntax,    // the syntax check
  beforeMx,  // a stage between the syntax check and the MX test (its domain was not asked)
  mx,        // the MX test: the domain has no mail server
  afterMx,   // the negative base: the domain has a mail server, or could not be asked
};

// What a suggestion asks of the chain; nothing asked here is counted on the panel.
class SuggestionChecks {
 public:
  virtual ~SuggestionChecks() = default;
  // The MX test's answer for a domain: 0 none, 1 has one (or exempt), 2 no answer.
  virtual int respostaMx(std::string_view dominio) = 0;
  virtual bool isento(std::string_view dominio) const = 0;
  // The address passes the syntax check and every stage but the MX test.
  virtual bool aceitaria(std::string_view email) = 0;
};

class TypoSuggestions {
 public:
  // The most frequent domains read from the store at a run's start.
  static constexpr size_t kMaxFrequentesDoBanco = 1000;
  // Frequent domains at most, those the run adds included.
  static constexpr size_t kMaxFrequentes = 2000;
  // A frequent domain's first label has at least this many characters: a slip away from a
  // two- or three-letter name is too many other names.
  static constexpr size_t kMenorRotulo = 4;

  // The providers' list; the candidates are built again when it is a different one.
  void usarProvedores(const FilterListPtr& lista);
  // A run starts: the frequent domains are read from the store again (the MX stage has kept
  // there what the last run counted).
  void runStarts(MxStage& mx, const SuggestionChecks& checks);
  // The MX test met the domain, with its mail server, often enough in this run: it becomes a
  // candidate when it may be one; true when it became one.
  bool aprender(std::string_view dominio, const SuggestionChecks& checks);
  // The corrected address for a rejected, normalised one, or empty.
  std::string sugerir(std::string_view email, RejectionStage onde, SuggestionChecks& checks);

  const CandidateIndex& candidatos() const { return indice_; }
  size_t frequentes() const { return frequentes_.size(); }

 private:
  // The index holds the providers alone again.
  void indexarProvedores();
  bool slipDeProvedor(std::string_view dominio) const;

  // The close candidate found for each typed domain (the same slips recur row after row):
  // the index's generation (bits 48 and up, changed when it is built again), the number of
  // candidates it held then (bits 24 to 47: those added since are checked one by one) and the
  // answer (bits 0 to 23: 0 none, kVarios several, else the candidate's position + 1).
  HashedTextTable achados_{kMaxAchados};
  uint64_t geracao_ = 0;
  static constexpr size_t kMaxAchados = 100000;
  static constexpr uint32_t kVarios = 0xFFFFFF;
  // The candidate a small slip away from the typed domain, or null.
  const std::string* candidatoUnico(std::string_view dominio);

  FilterListPtr provedores_;
  std::vector<std::string> dominiosProvedores_;  // trimmed, lower-cased
  std::vector<std::string> frequentes_;
  CandidateIndex indice_;
};

}  // namespace quorvel
