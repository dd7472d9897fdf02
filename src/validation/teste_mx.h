#pragma once
// The MX stage: exemption list, the database cache, then the DNS; learnt domains are stored for
// good and queued for sharing.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/ports.h"
#include "store/database.h"
#include "store/sharing_flags.h"
#include "validation/duplicate_memory.h"
#include "validation/mx_resolver.h"
#include "validation/stage_hooks.h"

namespace quorvel {

class TesteMX : public MxStage {
 public:
  enum class Origem { semInternet, isento, cache, dns, falha };

  TesteMX(Database& banco, SharingFlags& colaboracao, MxResolver& resolver, EventPump& pump,
          const Platform& platform);
  void setCompartilhamento(DomainSharing* c) { compartilhamento_ = c ? c : &padrao_; }

  // 0 = no mail server, 1 = has one or exempt, 2 = no answer obtained.
  int siteTemMX(std::string_view dominio, MxContext& contexto) override {
    return siteTemMX(HashedText(dominio), contexto);
  }
  int siteTemMX(HashedText dominio, MxContext& contexto) override;
  void runStarts() override;
  void runEnds() override { guardarContagem(); }
  bool wantsReadAhead() const override { return antecipacao; }
  // Read-ahead of lookups (off: one query at a time, as the chain reaches each domain).
  bool antecipacao = true;
  void prefetch(HashedText dominio, MxContext& contexto) override;
  bool answerKnown(std::string_view dominio) const override {
    return answerKnown(HashedText(dominio));
  }
  bool answerKnown(HashedText dominio) const override;
  void prefetchEntry(uint64_t hashDominio) const override { memoria_->prefetch(hashDominio); }
  // The frequent domains are the store's: tbmxvalidos counts how often each was met.
  void dominiosFrequentes(size_t limite,
                          const std::function<void(std::string_view)>& dominio) override;

  // Distinct domains a run counts at most (beyond them new domains go uncounted), and keeps for
  // later runs at most (those met most often).
  static constexpr size_t kMaxContados = 500000;
  static constexpr size_t kMaxGuardados = 2000;

  // Where the last answer came from (the CLI reports it).
  Origem ultimaOrigem = Origem::cache;

 private:
  // The run's entry of a domain: 1 or 0 when the cache tables know it, -1 when they do not.
  uint8_t* consultarCache(HashedText dominio);
  // Counts one more address of a domain that has a mail server into its entry.
  void contar(uint8_t* entrada, std::string_view dominio, MxContext& contexto);
  // What the run counted goes to the store (tbmxvalidos.hits) and is forgotten.
  void guardarContagem();
  // The answers remembered in this run are dropped (and the run's warnings may come again); the
  // counts stay.
  void esquecerRespostas();
  MxAnswer perguntarDns(const std::string& dominio);
  void compartilhar(MxContext& contexto);
  // Stores a DNS answer in the cache tables, unless the store refused a write in this run.
  void guardar(MxContext& contexto, const std::string& dominio, bool tem);

  Database& banco_;
  SharingFlags& colaboracao_;
  MxResolver& resolver_;
  EventPump& pump_;
  const Platform& platform_;
  UnavailableDomainSharing padrao_;
  DomainSharing* compartilhamento_ = &padrao_;
  // Answers found in the database or the DNS during this run, and domains the DNS left
  // unanswered. An entry of the memory is the answer (kSemResposta while none is known: an
  // exempt domain is only counted) and the count of the addresses of the domain the run let
  // through for its mail server, so that counting costs no lookup of its own.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  static constexpr size_t kBytesEntrada = 1 + sizeof(uint32_t);
  static constexpr uint8_t kSemResposta = 0xFF;
  static std::unique_ptr<DuplicateMemory> novaMemoria() {
    return std::make_unique<DuplicateMemory>(kBytesEntrada);
  }
  std::unique_ptr<DuplicateMemory> memoria_ = novaMemoria();
  // The counted domains in the order they were first counted.
  std::vector<std::string> contados_;
  std::unordered_set<std::string, TextHash, std::equal_to<>> semResposta_;
  bool memoriaCompartilha_ = false;
  int antecipados_ = 0;
  bool cacheRecusado_ = false;
  // Consecutive domains the DNS left unanswered; at this many the user is told once.
  static constexpr int kSemRespostaParaAvisar = 5;
  int semRespostaSeguidas_ = 0;
  bool dnsAvisado_ = false;
};

}  // namespace quorvel
