#pragma once
// The chain of filters every address goes through: the duplicate memory, syntax, the four filter
// lists, the empirical filter, the MX test and the negative base, with the counters of what each
// stage removed. The validation window's run, the bulk run and the command line share it; the
// filter lists, the duplicate memory and the sharing queues are the validation window's, kept
// here for all of them.

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/notifier.h"
#include "common/ports.h"
#include "validation/counters.h"
#include "validation/duplicate_memory.h"
#include "validation/filter_list.h"
#include "validation/stage_hooks.h"
#include "validation/typo_suggestions.h"

namespace quorvel {

// One check box per stage; all ticked when the window is created, never saved.
struct StageOptions {
  bool ckbSintaxe = true;
  bool ckbRegras = true;
  bool ckbArmadilhas = true;
  bool ckbInternacional = true;
  bool ckbEmpirico = true;
  bool ckbNomesRaros = true;
  bool ckbTesteMX = true;
  bool ckbEmailsInvalidos = true;
  bool ckbNaoZerar = true;  // hidden: keeps the duplicate memory between runs
  // Suggestions for mistyped addresses (they need the MX test).
  bool sugestoes = true;
};

// The stages' names on the command line and their options.
bool* stageOptionByName(StageOptions& o, std::string_view nome);

// What the chain tells while it works (the views show the sharing note).
struct ChainNotice {
  enum class Kind {
    sharingNote,  // the sharing note showed or went
    warning,      // `aviso` changed
  };
  Kind kind = Kind::sharingNote;
  bool operator==(const ChainNotice&) const = default;
};

class ValidationChain;

// Where the stages that only read the filter lists (syntax to rare names) reject an address.
enum class FilterStage {
  nenhuma,
  sintaxe,
  regras,
  armadilhas,
  internacional,
  empirico,
  nomesRaros
};

// The check boxes and filter lists those stages read, taken from a chain at one moment: another
// thread can run them over addresses ahead of the chain (a loaded list never changes; a new one
// replaces it, and the old one lives on here).
class FilterStages {
 public:
  explicit FilterStages(const ValidationChain& chain);
  // Still what the chain reads now: a verdict of these stages is the chain's own.
  bool sameAs(const ValidationChain& chain) const;
  // The stage that rejects the normalised address, its detail in `erro` (as the chain's gErro).
  FilterStage rejeita(std::string_view email, bool empiricoCompleto, std::string& erro) const;

 private:
  StageOptions opcoes_;
  FilterListPtr regras_, traps_, paises_, nomesRaros_;
};

// A normalised address prepared ahead of its turn (the bulk run's preparing thread): its hash,
// its domain's, and, when `etapas` is set, the verdict of those stages computed there.
struct PreparedAddress {
  HashedText email;
  HashedText dominio;
  const FilterStages* etapas = nullptr;
  FilterStage etapa = FilterStage::nenhuma;
  std::string_view detalhe;
};

// The domain of a normalised address: the text after its first "@" (empty without one).
std::string_view dominioDe(std::string_view email);

class ValidationChain : private MxContext, private SuggestionChecks {
 public:
  explicit ValidationChain(Dialogs& dialogs);
  ValidationChain(const ValidationChain&) = delete;
  ValidationChain& operator=(const ValidationChain&) = delete;

  std::unique_ptr<DuplicateMemory> gProcessados;
  std::string gErro;
  FilterListPtr gRegras;  // absent until the definitions are loaded
  FilterListPtr gTraps, gFiltroPaises, gNomesRaros, gSitesIgnorados;
  FilterListPtr gProvedores;  // the candidates of the suggestions
  std::vector<std::string> gSyncValidos, gSyncInvalidos;
  StageOptions opcoes;
  Counters counters;
  bool notaSincronizando = false;  // "Sincronizando domínios no banco de dados online"
  // The last warning of the run going on (the DNS server does not answer, the MX answers cannot
  // be stored, the duplicate memory overflowed); cleared when a run starts. A window shows it as
  // a line and the run goes on: with `avisosNaJanela` no message box is opened for it.
  std::string aviso;
  bool avisosNaJanela = false;

  Notifier<ChainNotice> notices;

  // --- stages of other parts ------------------------------------------------------------
  void setMxStage(MxStage* mx) { mx_ = mx ? mx : &mxPadrao_; }
  void setNegativeBase(NegativeBase* b) { base_ = b ? b : &basePadrao_; }
  // What the MX stage sees of this chain (for asking it about a domain directly).
  MxContext& mxContext() { return *this; }

  // --- suggestions -----------------------------------------------------------------------
  // The corrected address for the address the chain rejected last, or empty.
  std::string sugestao;
  bool sugestoesLigadas() const { return opcoes.sugestoes && opcoes.ckbTesteMX; }
  // The suggestion of the last rejection for a result list, or null while suggestions are off.
  const std::string* sugestaoDaRejeicao() const { return sugestoesLigadas() ? &sugestao : nullptr; }
  const TypoSuggestions& sugestoes() const { return sugestoes_; }

  // --- the single-address chain ---------------------------------------------------------
  // The normalised address when valid; otherwise empty, with the reason in `erro` (empty too
  // when a failure inside the chain skipped the address).
  std::string validarEmail(std::string_view email, std::string& erro);
  // validarEmail for an address already normalised (lower case, trimmed), without the copy: the
  // view returned is `normalizado` itself when valid.
  std::string_view validarNormalizado(std::string_view normalizado, std::string& erro);
  // The same for an address prepared ahead: the same answer, with less work on this thread.
  std::string_view validarPreparado(const PreparedAddress& endereco, std::string& erro);

  // --- pieces of the grid run -----------------------------------------------------------
  // False (counted as repeated) when the address was seen before.
  bool primeiraOcorrencia(const std::string& email);
  // Stages 2 to 9 over a normalised address that is not repeated; false with the reason in
  // `motivo` when one rejects it. `empiricoCompleto` runs the empirical filter's second stage.
  // `pronto`: the address prepared ahead, whose hashes and verdict are used when still valid.
  bool passaPelasEtapas(std::string_view email, bool empiricoCompleto, std::string& motivo,
                        const PreparedAddress* pronto = nullptr);

  // --- reading ahead ----------------------------------------------------------------------
  // How far ahead a caller that prepares lines before their turn works: new domains are looked
  // up this many lines before the chain reaches them (a slow resolver then costs one wait for
  // many domains), and a duplicate-memory slot is prefetched this many lines before its use.
  static constexpr size_t kLinhasAdianteMx = 2048;
  static constexpr size_t kLinhasAdianteSlot = 3;
  // Starts bringing a normalised address's slot of the duplicate memory into the cache ahead of
  // its validation.
  void prefetchDuplicate(std::string_view normalizado);
  // For an address prepared ahead: its duplicate-memory slot, and what the MX stage and the
  // negative base keep of it.
  void prefetchLookups(const PreparedAddress& endereco);
  // Whether the MX stage runs and looks up domains ahead of the chain.
  bool mxReadAheadOn() const { return opcoes.ckbTesteMX && mx_->wantsReadAhead(); }
  // Starts the MX lookup of a normalised address that is still ahead of the chain, when it will
  // reach the MX stage.
  void readAheadMxOf(std::string_view normalizado);
  // For an address prepared ahead; true when the MX stage already has its domain's answer (or
  // is fetching it), which stays so for the rest of the run.
  bool readAheadMxOf(const PreparedAddress& endereco);
  // Tells the MX and negative-base stages that a run over many addresses begins or ends (the MX
  // stage keeps what the run met of each domain), and the suggestions that it begins.
  void stagesRunStarts();
  void stagesRunEnds();
  // The run that started will validate about `n` addresses (the stages prepare for as many).
  void stagesExpect(size_t n);

  void incLabelNumber(Counter c) { counters.incLabelNumber(c); }
  // A fresh duplicate memory: nothing counts as repeated any more.
  void esquecerProcessados() { gProcessados = std::make_unique<DuplicateMemory>(); }

 private:
  using Etapa = FilterStage;
  // Stages 2 to 7, which only read the filter lists: the first that rejects, with its detail
  // left in `erro` as the chain leaves it in gErro.
  Etapa etapaQueRejeita(std::string_view email, bool empiricoCompleto, std::string& erro) const;
  void rejeitar(Counter c);
  // Stages 2 to 9 with their counters and reason; where the address was rejected.
  RejectionStage rejeicao(std::string_view email, bool empiricoCompleto, std::string& motivo,
                          const PreparedAddress* pronto);
  // validarNormalizado, with the address's preparation when there is one.
  std::string_view validar(std::string_view e, const PreparedAddress* pronto, std::string& erro);
  // The suggestion for an address just rejected at `onde`, into `sugestao`.
  void anotarSugestao(std::string_view email, RejectionStage onde, bool empiricoCompleto);

  // SuggestionChecks: asked without counting anything.
  int respostaMx(std::string_view dominio) override;
  bool isento(std::string_view dominio) const override { return exempt(dominio); }
  bool aceitaria(std::string_view email) override;
  // The MX stage's view of this chain for those questions: answers from the store are not
  // counted on the panel.
  class MxSemContagem;

  // MxContext
  bool exempt(std::string_view dominio) const override;
  void answeredFromStore() override { counters.incLabelNumber(Counter::lbBases); }
  std::vector<std::string>& sharingQueue(bool validos) override {
    return validos ? gSyncValidos : gSyncInvalidos;
  }
  void sharingInProgress(bool ligado) override;
  void cacheRefused(const std::string& motivo) override;
  void dnsNotAnswering() override;
  bool countsOccurrences() const override { return opcoes.sugestoes; }
  void metOften(std::string_view dominio) override { sugestoes_.aprender(dominio, *this); }
  // A warning of the run: told to the windows, and in a message box unless they show it.
  void avisar(const std::string& texto);

  Dialogs& dialogs_;
  AlwaysHasMx mxPadrao_;
  EmptyNegativeBase basePadrao_;
  MxStage* mx_ = &mxPadrao_;
  NegativeBase* base_ = &basePadrao_;
  std::string normalizado_;  // reused buffer of the hot path
  TypoSuggestions sugestoes_;
  bool empiricoCompletoDaSugestao_ = false;
};

// The five filter lists of dados/config and the list of the chain each one loads into, in the
// order they load (the definitions window's rows follow it).
struct DefinitionFile {
  const char* arquivo;
  FilterListPtr ValidationChain::*lista;
};
inline constexpr std::array<DefinitionFile, 5> kArquivosDefinicao = {{
    {kRulesFile, &ValidationChain::gRegras},
    {kTrapsFile, &ValidationChain::gTraps},
    {kCountriesFile, &ValidationChain::gFiltroPaises},
    {kRareNamesFile, &ValidationChain::gNomesRaros},
    {kIgnoredSitesFile, &ValidationChain::gSitesIgnorados},
}};

// Loads one of them from a workspace into the chain; the list loaded.
const FilterList& carregarDefinicao(ValidationChain& chain, const std::string& home,
                                    const DefinitionFile& arquivo);
// Loads the five of a workspace into the chain.
void carregarDefinicoes(ValidationChain& chain, const std::string& home);
// The providers' list of the suggestions (it has no row in the definitions window).
void carregarProvedores(ValidationChain& chain, const std::string& home);

}  // namespace quorvel
