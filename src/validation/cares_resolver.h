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

struct OpcoesResolver {
  // Per try (QUORVEL_DNS_TIMEOUT_MS overrides it); a domain waits at most
  // timeout × (2^tries − 1).
  int timeoutMs = 2000;
  int tentativas = 2;
  size_t maxEmVoo = 256;  // queries in flight at once; the rest wait their turn
  std::string servidor;   // "host:port"; empty: QUORVEL_DNS_SERVER, else the system's
};

class CaresResolver : public MxResolver {
 public:
  explicit CaresResolver(OpcoesResolver opcoes = {});
  ~CaresResolver() override;
  CaresResolver(const CaresResolver&) = delete;
  CaresResolver& operator=(const CaresResolver&) = delete;

  void iniciar(std::string_view dominio) override;
  std::optional<RespostaMx> tomar(std::string_view dominio) override;
  bool pendente(std::string_view dominio) const override;
  void processar(int timeoutMs) override;
  size_t emAndamento() const override { return emVoo_; }
  void esquecerRespostas() override;
  size_t maiorEmVoo() const { return maiorEmVoo_; }  // for the benchmark

  // Maps a c-ares status and reply to an answer (exposed for tests).
  static RespostaMx interpretar(int status, const unsigned char* abuf, int alen);

 private:
  struct Consulta;
  static void aoResponder(void* arg, int status, int timeouts, unsigned char* abuf, int alen);
  void lancar(const std::string& dominio);

  OpcoesResolver opcoes_;
  ares_channel canal_ = nullptr;
  std::unordered_map<std::string, std::optional<RespostaMx>> estado_;  // nullopt = in flight
  std::deque<std::string> fila_;                                       // waiting to be sent
  size_t emVoo_ = 0;
  size_t maiorEmVoo_ = 0;
};

}  // namespace quorvel
