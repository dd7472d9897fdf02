#pragma once
// MX lookups through c-ares on the calling thread, with the system resolver configuration or,
// when QUORVEL_DNS_SERVER=host:port is set, that server.

#include <ares.h>

#include <deque>
#include <memory>
#include <string>
#include <unordered_map>

#include "validation/mx_resolver.h"

namespace quorvel {

struct ResolverOptions {
  // Per try (QUORVEL_DNS_TIMEOUT_MS overrides it); a domain waits at most
  // timeout × (2^tries − 1).
  int timeoutMs = 2000;
  int tries = 2;
  size_t maxInFlight = 256;  // queries in flight at once; the rest wait their turn
  std::string server;        // "host:port"; empty: QUORVEL_DNS_SERVER, else the system's
};

class CaresResolver : public MxResolver {
 public:
  explicit CaresResolver(ResolverOptions opcoes = {});
  ~CaresResolver() override;
  CaresResolver(const CaresResolver&) = delete;
  CaresResolver& operator=(const CaresResolver&) = delete;

  void start(std::string_view dominio) override;
  std::optional<MxAnswer> take(std::string_view dominio) override;
  bool pending(std::string_view dominio) const override;
  void process(int timeoutMs) override;
  size_t inFlight() const override { return emVoo_; }
  void forgetAnswers() override;
  size_t maxSeenInFlight() const { return maiorEmVoo_; }  // for the benchmark

  // Maps a c-ares status and reply to an answer (exposed for tests).
  static MxAnswer interpretar(int status, const unsigned char* abuf, int alen);

 private:
  struct Query;
  static void aoResponder(void* arg, int status, int timeouts, unsigned char* abuf, int alen);
  void lancar(const std::string& dominio);

  ResolverOptions opcoes_;
  ares_channel canal_ = nullptr;
  std::unordered_map<std::string, std::optional<MxAnswer>> estado_;  // nullopt = in flight
  std::deque<std::string> fila_;                                     // waiting to be sent
  size_t emVoo_ = 0;
  size_t maiorEmVoo_ = 0;
};

}  // namespace quorvel
