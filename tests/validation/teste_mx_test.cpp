// The MX stage: exemption, cache, DNS, what is stored and what is queued for sharing.
#include <gtest/gtest.h>

#include "support/mx_fixture.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using Fixture = testing::MxFixture;

TEST(SiteTemMX, ExemptCachedAndAskedDomains) {
  Fixture m;
  m.f.v.chain.gSitesIgnorados = filterListOf({"isento.test"});
  ValidationWindow& v = m.f.v;
  EXPECT_EQ(m.mx->siteTemMX("isento.test", v.chain.mxContext()),
            1);  // no query, nothing counted or stored
  EXPECT_EQ(m.mx->ultimaOrigem, TesteMX::Origem::isento);
  EXPECT_EQ(m.mx->siteTemMX("good.test", v.chain.mxContext()), 1);
  EXPECT_EQ(m.mx->ultimaOrigem, TesteMX::Origem::dns);
  EXPECT_EQ(m.mx->siteTemMX("naoexiste.test", v.chain.mxContext()), 0);
  EXPECT_EQ(m.mx->siteTemMX("nullmx.test", v.chain.mxContext()), 0);
  EXPECT_EQ(v.chain.counters.text(Counter::lbBases), "0");
  EXPECT_EQ(m.rows("SELECT dominio, data_cadastro, seu, hits FROM tbmxvalidos"),
            "good.test|2026-12-10|1|NULL|");
  EXPECT_EQ(m.rows("SELECT dominio FROM tbmxinvalidos ORDER BY 1"), "naoexiste.test|nullmx.test|");
  // Asked again: from the cache, counted in lbBases.
  EXPECT_EQ(m.mx->siteTemMX("good.test", v.chain.mxContext()), 1);
  EXPECT_EQ(m.mx->siteTemMX("naoexiste.test", v.chain.mxContext()), 0);
  EXPECT_EQ(m.mx->ultimaOrigem, TesteMX::Origem::cache);
  EXPECT_EQ(v.chain.counters.text(Counter::lbBases), "2");
}

TEST(SiteTemMX, NoDefiniteAnswerPassesAndStoresNothing) {
  Fixture m;
  ValidationWindow& v = m.f.v;
  EXPECT_EQ(m.mx->siteTemMX("servfail.test", v.chain.mxContext()), 2);
  m.platform.online = false;
  EXPECT_EQ(m.mx->siteTemMX("good.test", v.chain.mxContext()),
            2);  // offline: not even the cache is read
  EXPECT_EQ(m.mx->ultimaOrigem, TesteMX::Origem::semInternet);
  m.database->inserirMX(kTbMxInvalidos, "cacheado.test", "2026-01-01", true);
  EXPECT_EQ(m.mx->siteTemMX("cacheado.test", v.chain.mxContext()), 2);
  EXPECT_EQ(m.rows("SELECT count(*) FROM tbmxvalidos"), "0|");
  EXPECT_EQ(m.rows("SELECT dominio FROM tbmxinvalidos"), "cacheado.test|");
}

TEST(SiteTemMX, AReceivedRowIsAskedAgainWhenCollaborationIsOff) {
  Fixture m;
  m.database->inserirMX(kTbMxValidos, "good.test", "2024-01-01", false);
  EXPECT_EQ(m.mx->siteTemMX("good.test", m.f.v.chain.mxContext()), 1);
  EXPECT_EQ(m.mx->ultimaOrigem, TesteMX::Origem::dns);
  EXPECT_EQ(m.rows("SELECT data_cadastro, seu FROM tbmxvalidos"), "2024-01-01|1|");
  // Collaboration on: received rows count as cache.
  m.database->inserirMX(kTbMxInvalidos, "recebido.test", "2024-01-01", false);
  m.colaboracao.gCompartilha = true;
  EXPECT_EQ(m.mx->siteTemMX("recebido.test", m.f.v.chain.mxContext()), 0);
  EXPECT_EQ(m.mx->ultimaOrigem, TesteMX::Origem::cache);
}

TEST(SiteTemMX, ADomainThatCannotBeANameHasNoMailServerAndIsCached) {
  Fixture m;
  m.f.v.chain.opcoes.ckbSintaxe = false;  // the MX stage meets what the syntax would refuse
  std::string erro;
  EXPECT_EQ(m.f.v.chain.validarEmail("ana@gmail..com", erro), "");
  EXPECT_EQ(erro, "Teste MX - gmail..com");
  EXPECT_EQ(m.rows("SELECT dominio FROM tbmxinvalidos"), "gmail..com|");
  EXPECT_EQ(m.mx->siteTemMX("gmail..com", m.f.v.chain.mxContext()), 0);
  EXPECT_EQ(m.mx->ultimaOrigem, TesteMX::Origem::cache);
}

TEST(SiteTemMX, LearntDomainsAreQueuedAndSharedInBatches) {
  std::vector<std::string> hosts;
  for (int i = 0; i < 60; ++i) hosts.push_back("h" + std::to_string(i) + ".test");
  Fixture m(hosts);
  ValidationWindow& v = m.f.v;
  // Definitions not current: nothing is queued.
  EXPECT_EQ(m.mx->siteTemMX("h0.test", v.chain.mxContext()), 1);
  EXPECT_TRUE(v.chain.gSyncValidos.empty());
  m.colaboracao.gSyncCheck = true;
  // Collaboration off: the queues are emptied after every answer.
  EXPECT_EQ(m.mx->siteTemMX("h1.test", v.chain.mxContext()), 1);
  EXPECT_TRUE(v.chain.gSyncValidos.empty());
  m.colaboracao.gCompartilha = true;
  m.colaboracao.gPodeSincronizar = true;
  for (int i = 2; i < 51; ++i) m.mx->siteTemMX(hosts[i], v.chain.mxContext());
  ASSERT_EQ(v.chain.gSyncValidos.size(), 49u);
  EXPECT_TRUE(m.shares.valid.empty());
  m.mx->siteTemMX("h51.test",
                  v.chain.mxContext());  // the 50th learnt domain triggers a send, which fails
  ASSERT_EQ(m.shares.valid.size(), 1u);
  EXPECT_EQ(v.chain.gSyncValidos.size(), 50u);
  EXPECT_EQ(m.shares.valid[0].substr(0, 18), "h2.test\r\nh3.test\r\n");
  m.shares.accept = true;
  m.mx->siteTemMX("naoexiste.test", v.chain.mxContext());  // retried after the next DNS answer
  EXPECT_EQ(m.shares.valid.size(), 2u);
  EXPECT_TRUE(v.chain.gSyncValidos.empty());
  EXPECT_THAT(v.chain.gSyncInvalidos, ElementsAre("naoexiste.test"));
  EXPECT_FALSE(v.chain.notaSincronizando);
}

// The grid run with read-ahead gives exactly what the one-by-one chain gives.
TEST(TesteMXInARun, ReadAheadChangesNothingButTheTime) {
  std::vector<std::string> hosts;
  for (int i = 0; i < 40; ++i) hosts.push_back("m" + std::to_string(i) + ".test");
  std::vector<std::string> enderecos;
  for (int i = 0; i < 300; ++i) {
    int k = (i * 7) % 60;  // 40 with MX, 20 unknown, repeated in a shuffled order
    enderecos.push_back("u" + std::to_string(i) + "@" +
                        (k < 40 ? hosts[k] : "x" + std::to_string(k) + ".test"));
  }
  enderecos.push_back("v@servfail.test");
  enderecos.push_back("w@servfail.test");
  enderecos.push_back("teste@m1.test");  // rejected by a rule before the MX stage

  auto rodar = [&](auto& m) {
    m.f.v.chain.gRegras = filterListOf({"teste*"});
    m.database->inserirMX(kTbMxInvalidos, "m3.test", "2020-01-01", true);  // cached answer wins
    m.colaboracao.gSyncCheck = true;
    m.f.emails(enderecos);
    m.f.v.iniciarValidacao();
    std::string out;
    for (const auto& s : m.f.valid()) out += "V " + s + "\n";
    auto inv = m.f.invalid();
    auto mot = m.f.reasons();
    for (size_t i = 0; i < inv.size(); ++i) out += "I " + inv[i] + " " + mot[i] + "\n";
    for (size_t i = 0; i < kCounterCount; ++i)
      out += m.f.v.chain.counters.text(static_cast<Counter>(i)) + ",";
    out += "\n" + m.rows("SELECT * FROM tbmxvalidos ORDER BY rowid") + "\n" +
           m.rows("SELECT * FROM tbmxinvalidos ORDER BY rowid") + "\n";
    for (const auto& d : m.f.v.chain.gSyncValidos) out += d + ",";
    for (const auto& d : m.f.v.chain.gSyncInvalidos) out += d + ";";
    return out;
  };
  testing::MxFixture antecipado(hosts);
  testing::MxFixture umAUm(hosts);
  umAUm.mx->antecipacao = false;
  std::string a = rodar(antecipado), b = rodar(umAUm);
  EXPECT_EQ(a, b);
  EXPECT_NE(a.find("I u9@m3.test Teste MX - m3.test"), std::string::npos);
  EXPECT_NE(a.find("V v@servfail.test"), std::string::npos);
  EXPECT_GT(antecipado.resolver->maxSeenInFlight(), 10u);
  EXPECT_EQ(umAUm.resolver->maxSeenInFlight(), 1u);
}

TEST(NegativeBaseInARun, TypesOwnRowsAndTheInMemorySwitch) {
  for (size_t antes : {size_t{20000}, size_t{2}}) {
    Fixture m;
    m.base->consultasAntesDeCarregar = antes;
    auto data = std::chrono::year_month_day{std::chrono::year{2026}, std::chrono::month{1},
                                            std::chrono::day{1}};
    m.database->inserirEmailInvalido("sumiu@good.test", "", "", data, 1, 0, true);
    m.database->inserirEmailInvalido("cheia@good.test", "", "", data, 2, 0, true);
    m.database->inserirEmailInvalido("recebido@good.test", "", "", data, 1, 0, false);
    m.database->inserirEmailInvalido("zero@good.test", "", "", data, 0, 0, true);
    m.f.emails({"a@good.test", "sumiu@good.test", "b@good.test", "cheia@good.test",
                "recebido@good.test", "zero@good.test"});
    m.f.v.iniciarValidacao();
    EXPECT_THAT(m.f.valid(),
                ElementsAre("a@good.test", "b@good.test", "recebido@good.test", "zero@good.test"))
        << antes;
    EXPECT_THAT(m.f.reasons(), ElementsAre("Base negativa: e-mail inexistente",
                                           "Base negativa: e-mail indisponível para recebimento"));
    EXPECT_EQ(m.base->carregadaNaMemoria(), antes == 2);
    EXPECT_EQ(m.f.v.chain.counters.text(Counter::lbEmailsInvalidos), "2");
  }
}

}  // namespace
}  // namespace quorvel
