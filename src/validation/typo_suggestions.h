#pragma once
// Suggestions for mistyped addresses. A rejected address gets a corrected one only when its
// domain cannot receive mail (no mail server, or a domain the syntax check refuses), exactly one
// candidate domain is a small slip away from it, that candidate has a mail server, and the
// corrected address passes every other stage. The local part is never touched.
//
// Candidates: the providers' list of the definitions (sys_provedores.filter) and the user's own
// frequent domains: those with a mail server met at least kMinimoOcorrencias times in the
// user's lists, counted run after run in the store and within the current run.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "validation/candidate_index.h"
#include "validation/filter_list.h"
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
  static constexpr size_t kMaxFrequentesDoBanco = 5000;
  // Frequent domains at most, those the run adds included.
  static constexpr size_t kMaxFrequentes = 10000;
  // Distinct domains a run counts at most (beyond them new domains go uncounted).
  static constexpr size_t kMaxContados = 500000;
  // A frequent domain's first label has at least this many characters: a slip away from a
  // two- or three-letter name is too many other names.
  static constexpr size_t kMenorRotulo = 4;

  // The providers' list; the candidates are built again when it is a different one.
  void usarProvedores(const FilterListPtr& lista);
  // A run starts: what the last run counted goes to the store, and the frequent domains are read
  // from it again.
  void runStarts(MxStage& mx, const SuggestionChecks& checks);
  // A run ended: what it counted goes to the store.
  void runEnds(MxStage& mx);
  // The MX test answered that the domain has a mail server.
  void ocorreu(std::string_view dominio, const SuggestionChecks& checks);
  // The corrected address for a rejected, normalised one, or empty.
  std::string sugerir(std::string_view email, RejectionStage onde, SuggestionChecks& checks);

  const CandidateIndex& candidatos() const { return indice_; }
  size_t frequentes() const { return frequentes_.size(); }

 private:
  // Makes a domain a candidate when it may be one; true when it became one.
  bool aprender(std::string_view dominio, const SuggestionChecks& checks);
  // The index holds the providers alone again.
  void indexarProvedores();
  bool slipDeProvedor(std::string_view dominio) const;

  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  FilterListPtr provedores_;
  std::vector<std::string> dominiosProvedores_;  // trimmed, lower-cased
  std::vector<std::string> frequentes_;
  CandidateIndex indice_;
  std::unordered_map<std::string, uint32_t, TextHash, std::equal_to<>> contagem_;
};

}  // namespace quorvel
