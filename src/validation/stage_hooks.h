#pragma once
// What the chain asks of other parts of the program: the MX test, the negative base and the
// sharing question. Until those parts are connected, the defaults let every address pass and
// answer that sharing is not allowed.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "validation/hashed_text.h"

namespace quorvel {

// What the MX stage reads and writes of the chain that asks it.
class MxContext {
 public:
  virtual ~MxContext() = default;
  // The domain is exempt from the test (local_sitesignorados.filter).
  virtual bool exempt(std::string_view dominio) const = 0;
  // The answer came from the store's cache: one more address decided by the bases.
  virtual void answeredFromStore() = 0;
  // The learnt domains waiting to be shared (gSyncValidos or gSyncInvalidos).
  virtual std::vector<std::string>& sharingQueue(bool validos) = 0;
  // The note "Sincronizando domínios no banco de dados online" comes and goes.
  virtual void sharingInProgress(bool ligado) = 0;
  // Told once per run: the store refused to keep the answers (why), or the DNS server stopped
  // answering.
  virtual void cacheRefused(const std::string& motivo) = 0;
  virtual void dnsNotAnswering() = 0;
  // Whether the stage counts, per domain, the addresses it lets through for having a mail
  // server (the suggestions' frequent domains); questions about a domain alone are not counted.
  virtual bool countsOccurrences() const { return false; }
  // A domain with a mail server was met often enough in this run to be a frequent one.
  virtual void metOften(std::string_view dominio) {}
};

// MX answers: 0 = no mail server, 1 = has one, 2 = no answer obtained.
class MxStage {
 public:
  virtual ~MxStage() = default;
  virtual int siteTemMX(std::string_view dominio, MxContext& contexto) = 0;
  // The same for a domain whose hash is known already.
  virtual int siteTemMX(HashedText dominio, MxContext& contexto) {
    return siteTemMX(dominio.texto, contexto);
  }
  // A run (grid or bulk) starts: answers remembered from the database are dropped.
  virtual void runStarts() {}
  // A run ended: what it counted of each domain is kept for later runs.
  virtual void runEnds() {}
  // Whether lookups of domains further down the list may be started ahead of time.
  virtual bool wantsReadAhead() const { return false; }
  // A domain the chain will ask about soon; its lookup may start now.
  virtual void prefetch(HashedText dominio, MxContext& contexto) {}
  // True when this run already has the domain's answer (or is fetching it): nothing to start.
  virtual bool answerKnown(std::string_view dominio) const { return true; }
  virtual bool answerKnown(HashedText dominio) const { return answerKnown(dominio.texto); }
  // Starts bringing what the run keeps of a domain into the cache ahead of its lookup.
  virtual void prefetchEntry(uint64_t hashDominio) const {}
  // The domains with a mail server that earlier runs met often in the user's lists, most often
  // met first, up to `limite`.
  virtual void dominiosFrequentes(size_t limite,
                                  const std::function<void(std::string_view)>& dominio) {}
};

// Negative base: the error type of a known invalid address, 0 when it is not known.
class NegativeBase {
 public:
  virtual ~NegativeBase() = default;
  virtual int temEmailInvalido(std::string_view email) = 0;
  // The same for an address whose hash is known already.
  virtual int temEmailInvalido(HashedText email) { return temEmailInvalido(email.texto); }
  virtual void runStarts() {}
  // The run that starts will ask about some `n` addresses (a bulk run's estimate).
  virtual void expectLookups(size_t n) {}
  // The address will be asked about shortly (after the cheaper stages).
  virtual void prefetchLookup(std::string_view email) {}
  virtual void prefetchLookup(uint64_t hashEmail) {}
};

// Whether the web service allows sharing now. May throw when the service cannot be reached.
class SharingPermission {
 public:
  virtual ~SharingPermission() = default;
  virtual bool podeSincronizar() = 0;
};

// Sending learnt domains to the web service; true when the service accepted the text (domains
// separated by line breaks).
class DomainSharing {
 public:
  virtual ~DomainSharing() = default;
  virtual bool sincronizarSitesValidos(const std::string& texto) = 0;
  virtual bool sincronizarSitesInValidos(const std::string& texto) = 0;
};

class AlwaysHasMx : public MxStage {
 public:
  int siteTemMX(std::string_view, MxContext&) override { return 1; }
};
class EmptyNegativeBase : public NegativeBase {
 public:
  int temEmailInvalido(std::string_view) override { return 0; }
};
class NoSharingPermission : public SharingPermission {
 public:
  bool podeSincronizar() override { return false; }
};
// Until the exchange with the service exists, every send fails and the queues keep their domains.
class UnavailableDomainSharing : public DomainSharing {
 public:
  bool sincronizarSitesValidos(const std::string&) override { return false; }
  bool sincronizarSitesInValidos(const std::string&) override { return false; }
};

}  // namespace quorvel
