// MX lookups against a real dnsmasq on loopback.
#include "validation/cares_resolver.h"

#include <gtest/gtest.h>

#include <chrono>

#include "support/dns_peer.h"

namespace quorvel {
namespace {

TEST(CaresResolver, DefiniteAnswersAndFailures) {
  teste::DnsPeer dns;
  OpcoesResolver o;
  o.servidor = dns.servidor();
  o.timeoutMs = 300;
  o.tentativas = 1;
  CaresResolver r(o);
  struct Case {
    const char* dominio;
    RespostaMx resposta;
  };
  const Case cases[] = {
      {"good.test", RespostaMx::temMx},
      {"alias.test", RespostaMx::temMx},
      {"aonly.test", RespostaMx::semMx},      // NODATA
      {"nullmx.test", RespostaMx::semMx},     // RFC 7505
      {"naoexiste.test", RespostaMx::semMx},  // NXDOMAIN
      {"servfail.test", RespostaMx::semResposta},
      {"", RespostaMx::semResposta},
      {"com espaco..test", RespostaMx::semResposta},
  };
  for (const auto& c : cases)
    EXPECT_EQ(static_cast<int>(r.consultar(c.dominio)), static_cast<int>(c.resposta)) << c.dominio;
}

TEST(CaresResolver, ASilentServerTimesOutWithNoAnswer) {
  teste::DnsPeer dns;
  OpcoesResolver o;
  o.servidor = dns.servidorSilencioso();
  o.timeoutMs = 100;
  o.tentativas = 1;
  CaresResolver r(o);
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(r.consultar("good.test"), RespostaMx::semResposta);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
}

TEST(CaresResolver, ManyQueriesInFlightAtOnce) {
  std::vector<std::string> hosts;
  for (int i = 0; i < 300; ++i) hosts.push_back("d" + std::to_string(i) + ".test");
  teste::DnsPeer dns(hosts);
  OpcoesResolver o;
  o.servidor = dns.servidor();
  o.maxEmVoo = 100;
  CaresResolver r(o);
  for (const auto& h : hosts) r.iniciar(h);
  r.iniciar("naoexiste.test");
  int respondidas = 0;
  for (int k = 0; k < 200 && respondidas < 301; ++k) {
    r.processar(50);
    for (const auto& h : hosts)
      if (auto a = r.tomar(h)) {
        EXPECT_EQ(*a, RespostaMx::temMx) << h;
        ++respondidas;
      }
    if (auto a = r.tomar("naoexiste.test")) {
      EXPECT_EQ(*a, RespostaMx::semMx);
      ++respondidas;
    }
  }
  EXPECT_EQ(respondidas, 301);
  EXPECT_EQ(r.maiorEmVoo(), 100u);
  EXPECT_EQ(r.emAndamento(), 0u);
}

}  // namespace
}  // namespace quorvel
