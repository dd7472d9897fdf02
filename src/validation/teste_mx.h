#pragma once
// The MX stage: exemption list, the database cache, then the DNS; learnt domains are stored for
// good and queued for sharing.

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

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
  int siteTemMX(std::string_view dominio, MxContext& contexto) override;
  void runStarts() override;
  bool wantsReadAhead() const override { return antecipacao; }
  // Read-ahead of lookups (off: one query at a time, as the chain reaches each domain).
  bool antecipacao = true;
  void prefetch(std::string_view dominio, MxContext& contexto) override;
  bool answerKnown(std::string_view dominio) const override;
  // The frequent domains are the store's: tbmxvalidos counts how often each was met.
  void dominiosFrequentes(size_t limite,
                          const std::function<void(std::string_view)>& dominio) override;
  void somarOcorrencias(const std::vector<std::pair<std::string, uint32_t>>& contagem) override;

  // Where the last answer came from (the CLI reports it).
  Origem ultimaOrigem = Origem::cache;

 private:
  // 1 or 0 when the cache tables know the domain, -1 when they do not.
  int consultarCache(std::string_view dominio);
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
  // Answers found in the database during this run, and domains the DNS left unanswered.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unique_ptr<DuplicateMemory> memoria_ = std::make_unique<DuplicateMemory>();  // → 0 / 1
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
