// Bulk runs with the MX stage over a real database file and the DNS peer on loopback.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bulk/bulk_validation.h"

#include "app/bulk_run_window.h"
#include "common/format.h"
#include "common/text_file.h"
#include "support/mx_fixture.h"

namespace quorvel {
namespace {

// The same file with and without read-ahead: the same two output files and the same cache rows;
// with it, many lookups are in flight at once.
TEST(BulkValidationMx, ReadAheadChangesNothingButTheTime) {
  std::vector<std::string> hosts;
  for (int i = 0; i < 40; ++i) hosts.push_back("m" + std::to_string(i) + ".test");
  std::string texto;
  for (int i = 0; i < 300; ++i) {
    int k = (i * 7) % 60;  // 40 with MX, 20 unknown, repeated in a shuffled order
    texto += "Nome;u" + std::to_string(i % 250) + "@" +
             (k < 40 ? hosts[k] : "x" + std::to_string(k) + ".test") + ";SP\r\n";
  }
  texto += "v@servfail.test\r\nteste@m1.test\r\n";

  auto rodar = [&](testing::MxFixture& m) {
    m.f.v.chain.gRegras = filterListOf({"teste*"});
    m.database->inserirMX(kTbMxInvalidos, "m3.test", "2020-01-01", true);  // cached answer wins
    std::filesystem::create_directories(m.home / "dados");
    std::string entrada = (m.home / "entrada.txt").string();
    std::ofstream(entrada, std::ios::binary) << texto;
    RecordingProgress progress;
    FakePlatform platform;
    platform.folder = m.home.string();
    BulkValidation g(m.f.v.chain, m.f.dialogs, progress, m.f.pump, platform);
    auto janela = mostrarGrandesNaJanela(g, m.f.v);
    g.adicionarArquivos({entrada});
    g.iniciar();
    std::string out = readFileBytes(g.arquivoValidos).value_or("?") + "|" +
                      readFileBytes(g.arquivoInvalidos).value_or("?") + "|";
    for (size_t i = 0; i < kCounterCount; ++i)
      out += m.f.v.chain.counters.text(static_cast<Counter>(i)) + ",";
    return out + m.rows("SELECT * FROM tbmxvalidos ORDER BY rowid") + "|" +
           m.rows("SELECT * FROM tbmxinvalidos ORDER BY rowid");
  };
  testing::MxFixture antecipado(hosts);
  testing::MxFixture umAUm(hosts);
  umAUm.mx->antecipacao = false;
  std::string a = rodar(antecipado), b = rodar(umAUm);
  EXPECT_EQ(a, b);
  EXPECT_NE(a.find("u3@m21.test\r\n"), std::string::npos);
  EXPECT_NE(a.find("@m3.test\tTeste MX - m3.test\r\n"), std::string::npos);
  EXPECT_NE(a.find("@x41.test\tTeste MX - x41.test\r\n"), std::string::npos);
  EXPECT_NE(a.find("teste@m1.test\tRegra personalizada"), std::string::npos);
  EXPECT_GT(antecipado.resolver->maxSeenInFlight(), 10u);
  EXPECT_EQ(umAUm.resolver->maxSeenInFlight(), 1u);
}

// A rejected line with a suggestion gets it as a third field; the others keep two.
TEST(BulkValidationMx, ASuggestionIsAThirdFieldOfTheInvalidFile) {
  testing::MxFixture m({"loja.test"});
  m.f.v.chain.gProvedores = filterListOf({"loja.test"});
  std::filesystem::create_directories(m.home / "dados");
  const std::string entrada = (m.home / "entrada.txt").string();
  std::ofstream(entrada, std::ios::binary)
      << "Ana;Ana@Lojaa.test;SP\r\nbia@loja.test\r\n\"caio@loj.test\"\r\ndani@naoexiste.test\r\n";
  RecordingProgress progress;
  FakePlatform platform;
  platform.folder = m.home.string();
  BulkValidation g(m.f.v.chain, m.f.dialogs, progress, m.f.pump, platform);
  g.adicionarArquivos({entrada});
  g.iniciar();
  EXPECT_EQ(readFileBytes(g.arquivoInvalidos).value_or("?"),
            "\xEF\xBB\xBF"
            "Ana@Lojaa.test\tTeste MX - lojaa.test\tana@loja.test\r\n"
            "caio@loj.test\tTeste MX - loj.test\tcaio@loja.test\r\n"
            "dani@naoexiste.test\tTeste MX - naoexiste.test\r\n");
  // What the run met of each domain is counted in the store for later runs.
  EXPECT_EQ(m.rows("SELECT dominio, hits FROM tbmxvalidos"), "loja.test|1|");
}

}  // namespace
}  // namespace quorvel
