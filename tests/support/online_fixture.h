#pragma once
// The program's objects in a fresh program folder, talking to a real quorvel-service on
// loopback with an account of their own (what the online tests share).

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include "support/dns_peer.h"
#include "support/program_fixture.h"
#include "support/service_peer.h"

namespace quorvel::testing {

inline constexpr const char* kEmailDaConta = "ana@loja.com.br";

struct OnlineFixture : ProgramFixture {
  // The MX stage asks this resolver (every name under .test but good.test has no mail server).
  DnsPeer dns;
  ServicePeer servico;
  std::string chave;
  std::vector<int> esperas;  // the pauses the definitions window asked for

  explicit OnlineFixture(std::vector<std::string> extras = {}) : servico(false, std::move(extras)) {
    // The service dates in UTC and the program in local time: one clock for both.
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    platform.clock = std::chrono::system_clock::now();
    chave = servico.adicionarUsuario(kEmailDaConta);
    app->online.setBaseUrl(servico.url());
    app->online.consentimento.guardarConta(kEmailDaConta, chave);
    app->dns.server = dns.server();
    app->dns.timeoutMs = 1000;
    platform.online = true;
    app->abrirBD();
    app->definicoes.esperar = [this](int ms) { esperas.push_back(ms); };
  }

  DefinitionsWindow& definicoes() { return app->definicoes; }
  // The definitions window shown, its sequence ticked to the end.
  void mostrarDefinicoes() {
    definicoes().mostrar();
    rodarSequencia();
  }
  void rodarSequencia() {
    for (int i = 0; i < 100 && definicoes().timerAtivo(); ++i) definicoes().tmCheckTimer();
  }
  int64_t linhasDe(const char* tabela) { return app->dtm.banco().qtdTabela(tabela); }
};

// Sends `n` generated names to the service as another user would (batches as large as the
// service takes: only loading it, not the program's own sending, is wanted here).
inline void semearBase(ServicePeer& servico, SyncProtocol& envio, int action, int64_t n,
                       const std::string& prefixo) {
  const int64_t kLote = 100000;
  uint64_t x = 0x9E3779B97F4A7C15ull;
  for (int64_t feito = 0; feito < n;) {
    std::string dados;
    const int64_t ate = std::min(n, feito + kLote);
    for (; feito < ate; ++feito) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      char nome[64];
      std::snprintf(nome, sizeof nome, "%s%llx%lld.com.br;", prefixo.c_str(),
                    static_cast<unsigned long long>(x & 0xFFFFFF), static_cast<long long>(feito));
      dados += nome;
    }
    if (envio.enviar(envio.campos({{"dados", dados}}, action)) != "inseriu")
      throw std::runtime_error("o serviço não guardou o lote: " + servico.log());
  }
}

}  // namespace quorvel::testing
