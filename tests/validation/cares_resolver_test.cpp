// MX lookups against a real dnsmasq on loopback.
#include "validation/cares_resolver.h"

#include <gtest/gtest.h>

#include <chrono>

#include "support/dns_peer.h"

namespace quorvel {
namespace {

TEST(CaresResolver, DefiniteAnswersAndFailures) {
  testing::DnsPeer dns;
  ResolverOptions o;
  o.server = dns.server();
  o.timeoutMs = 300;
  o.tries = 1;
  CaresResolver r(o);
  struct Case {
    const char* dominio;
    MxAnswer resposta;
  };
  const Case cases[] = {
      {"good.test", MxAnswer::hasMx},
      {"alias.test", MxAnswer::hasMx},
      {"aonly.test", MxAnswer::noMx},      // NODATA
      {"nullmx.test", MxAnswer::noMx},     // RFC 7505
      {"naoexiste.test", MxAnswer::noMx},  // NXDOMAIN
      {"servfail.test", MxAnswer::noAnswer},
      // A zone the server refuses (no upstream beyond its own): nothing is known of the name.
      {"hotmail.con", MxAnswer::noAnswer},
      // Names that cannot exist have no mail server, without asking.
      {"", MxAnswer::noMx},
      {"com espaco.test", MxAnswer::noMx},
      {"gmail..com", MxAnswer::noMx},
      {".gmail.com", MxAnswer::noMx},
      {"gmail.com.", MxAnswer::noMx},
  };
  for (const auto& c : cases)
    EXPECT_EQ(static_cast<int>(r.query(c.dominio)), static_cast<int>(c.resposta)) << c.dominio;
  const std::string rotulo64(64, 'a'), rotulo63(63, 'a');
  EXPECT_EQ(r.query(rotulo64 + ".test"), MxAnswer::noMx);
  EXPECT_EQ(r.query(rotulo63 + ".test"), MxAnswer::noMx);  // possible, and NXDOMAIN
  std::string longo;
  while (longo.size() < 250) longo += rotulo63.substr(0, 9) + ".";
  EXPECT_FALSE(dnsNamePossible(longo + "test"));
  EXPECT_TRUE(dnsNamePossible(rotulo63 + "." + rotulo63 + ".com.br"));
}

TEST(CaresResolver, ASilentServerTimesOutWithNoAnswer) {
  testing::DnsPeer dns;
  ResolverOptions o;
  o.server = dns.silentServer();
  o.timeoutMs = 100;
  o.tries = 1;
  CaresResolver r(o);
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(r.query("good.test"), MxAnswer::noAnswer);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
}

TEST(CaresResolver, ManyQueriesInFlightAtOnce) {
  std::vector<std::string> hosts;
  for (int i = 0; i < 300; ++i) hosts.push_back("d" + std::to_string(i) + ".test");
  testing::DnsPeer dns(hosts);
  ResolverOptions o;
  o.server = dns.server();
  o.maxInFlight = 100;
  CaresResolver r(o);
  for (const auto& h : hosts) r.start(h);
  r.start("naoexiste.test");
  int respondidas = 0;
  for (int k = 0; k < 200 && respondidas < 301; ++k) {
    r.process(50);
    for (const auto& h : hosts)
      if (auto a = r.take(h)) {
        EXPECT_EQ(*a, MxAnswer::hasMx) << h;
        ++respondidas;
      }
    if (auto a = r.take("naoexiste.test")) {
      EXPECT_EQ(*a, MxAnswer::noMx);
      ++respondidas;
    }
  }
  EXPECT_EQ(respondidas, 301);
  EXPECT_EQ(r.maxSeenInFlight(), 100u);
  EXPECT_EQ(r.inFlight(), 0u);
}

}  // namespace
}  // namespace quorvel
