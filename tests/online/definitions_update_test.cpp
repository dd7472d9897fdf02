// The definitions window's online part against the real service: the comparison of dates, the
// update of the filter files and the three shared bases, and what a failure leaves behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/format.h"
#include "common/text.h"
#include "online/definition_dates.h"
#include "online/definitions_window.h"
#include "support/dns_peer.h"
#include "support/online_fixture.h"
#include "support/scripted_http_server.h"

namespace quorvel {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::OnlineFixture;
using ::testing::StartsWith;

constexpr Definicao kBaixaveis[] = {Definicao::armadilhas,     Definicao::paises,
                                    Definicao::nomesRaros,     Definicao::sitesIgnorados,
                                    Definicao::mxValidos,      Definicao::mxInvalidos,
                                    Definicao::emailsInvalidos};

std::vector<std::string> linhasDoArquivo(const testing::TempFolder& p, const std::string& nome) {
  return splitLines(trim(decodeText(p.bytes(nome))));
}

TEST(DefinitionDates, DatesAreReadByPositionAndAnythingElseIs20200101) {
  NameValueList datas = datasDoTexto(
      "armadilhas=2021-03-05\r\npaises=2021-3-05\r\nnomes_raros=2021-02-30\r\nsites_ignorados="
      "\r\n");
  using namespace std::chrono;
  const year_month_day padrao{year{2020}, month{1}, day{1}};
  EXPECT_EQ(dataDe(datas, kDataArmadilhas), (year_month_day{year{2021}, month{3}, day{5}}));
  EXPECT_EQ(dataDe(datas, kDataPaises), padrao);
  EXPECT_EQ(dataDe(datas, kDataNomesRaros), padrao);
  EXPECT_EQ(dataDe(datas, kDataSitesIgnorados), padrao);
  EXPECT_EQ(dataDe(datas, kDataMxValidos), padrao);  // missing
}

TEST(AtualizarDefinicao, AFirstUpdateWithoutADateFileDownloadsEverythingThenNothingIsNewer) {
  OnlineFixture f;
  f.servico.publicar("nomes_raros", "reyansh\r\n");
  f.servico.publicar("sites_ignorados", "empresa.com.br\r\n");
  SyncProtocol& sync = f.app->online.sync;
  SharingFlags& flags = f.app->dtm.colaboracao;
  flags.gCompartilha = true;
  ASSERT_TRUE(sync.sincronizarSitesValidos("gmail.com\r\nuol.com.br\r\n"));
  ASSERT_TRUE(sync.sincronizarSitesInValidos("semmx.com.br\r\n"));
  ASSERT_TRUE(sync.sincronizarEmailsInValidos("joao@cliente.com.br\r\n"));
  f.pasta.write("dados/config/sys_paises.filter", ".zz\r\n");  // a line of this computer's own

  f.mostrarDefinicoes();
  DefinitionsWindow& d = f.definicoes();
  for (Definicao x : kBaixaveis)
    EXPECT_THAT(d.linha(x).indicador, StartsWith("Definições de ")) << static_cast<int>(x);
  EXPECT_TRUE(d.painelVisivel);
  EXPECT_FALSE(flags.gSyncCheck);
  EXPECT_EQ(d.avisoServico, "");

  d.btnAtualizarClick();
  EXPECT_THAT(f.dialogs.texts("information"), ElementsAre(kDefinicoesAtualizadas));
  const auto armadilhas = linhasDoArquivo(f.pasta, "dados/config/sys_armadilhas.filter");
  EXPECT_GT(armadilhas.size(), 1000u);  // the service's seed
  EXPECT_THAT(armadilhas, Contains("*@mailinator.com"));
  auto paises = linhasDoArquivo(f.pasta, "dados/config/sys_paises.filter");
  EXPECT_THAT(paises, Contains(".zz"));
  EXPECT_THAT(paises, Contains(".fr"));
  EXPECT_THAT(linhasDoArquivo(f.pasta, "dados/config/sys_nomesraros.filter"),
              ElementsAre("reyansh"));
  EXPECT_THAT(linhasDoArquivo(f.pasta, "dados/config/local_sitesignorados.filter"),
              ElementsAre("empresa.com.br"));
  EXPECT_TRUE(f.app->validationWindow.chain.gNomesRaros->contem("reyansh"));
  // The providers' list of the suggestions comes with them, though it has no row.
  EXPECT_THAT(linhasDoArquivo(f.pasta, "dados/config/sys_provedores.filter"),
              Contains("uol.com.br"));
  EXPECT_TRUE(f.app->validationWindow.chain.gProvedores->contem("gmail.com"));
  EXPECT_EQ(f.linhasDe(kTbMxValidos), 2);
  EXPECT_EQ(f.linhasDe(kTbMxInvalidos), 1);
  EXPECT_EQ(f.linhasDe(kTbEmailsInvalidos), 1);
  std::vector<bool> proprios;
  f.app->dtm.banco().listarMX(
      kTbMxValidos, [&](std::string_view, std::string_view, bool seu) { proprios.push_back(seu); });
  EXPECT_THAT(proprios, ElementsAre(false, false));  // received, not learnt here
  const std::string hoje = getDataSQL(diaLocal(f.platform.clock));
  NameValueList datas = lerDatas(d.arquivoDatas());
  for (const char* nome : {kDataArmadilhas, kDataPaises, kDataNomesRaros, kDataSitesIgnorados,
                           kDataProvedores, kDataMxValidos, kDataMxInvalidos, kDataEmailsInvalidos})
    EXPECT_EQ(datas.value(nome), hoje) << nome;

  // The loading sequence started again: the dates are equal now, and nothing is offered.
  EXPECT_TRUE(d.timerAtivo());
  f.rodarSequencia();
  for (Definicao x : kBaixaveis) EXPECT_EQ(d.linha(x).indicador, "") << static_cast<int>(x);
  EXPECT_FALSE(d.painelVisivel);
  EXPECT_TRUE(flags.gSyncCheck);
  EXPECT_EQ(d.linha(Definicao::mxValidos).itens, "itens: 2");
}

TEST(AtualizarDefinicao, ASharedBaseOf1200000LinesArrivesInThreePagesAndIsStoredOnce) {
  OnlineFixture f({"--max-body", "67108864"});
  SyncProtocol& sync = f.app->online.sync;
  SyncProtocol carga(f.app->online.http, f.app->dtm.colaboracao);
  carga.baseUrl = sync.baseUrl;
  carga.credenciais = sync.credenciais;
  carga.timeouts = {10, 120};
  testing::semearBase(f.servico, carga, 1, 1200000, "d");
  f.app->dtm.colaboracao.gCompartilha = true;

  DefinitionsWindow& d = f.definicoes();
  int paginas = 0;
  int64_t ultimaPosicao = -1;
  auto contar = d.notices.listen([&](const DefinitionsNotice&) {
    if (d.lbAtualizando != "Baixando definições de sites MX válidos...") return;
    if (d.barraDownloadPos == 0 && ultimaPosicao != 0) ++paginas;
    ultimaPosicao = d.barraDownloadPos;
  });
  f.mostrarDefinicoes();
  ASSERT_NE(d.linha(Definicao::mxValidos).indicador, "");
  d.btnAtualizarClick();
  EXPECT_EQ(paginas, 3);
  EXPECT_EQ(f.linhasDe(kTbMxValidos), 1200000);
  // Forced: everything again, from 2020-10-10; the rows are there once.
  f.rodarSequencia();
  d.forcarAtualizacao();
  f.rodarSequencia();
  ASSERT_NE(d.linha(Definicao::mxValidos).indicador, "");
  paginas = 0;
  d.btnAtualizarClick();
  EXPECT_EQ(paginas, 3);
  EXPECT_EQ(f.linhasDe(kTbMxValidos), 1200000);
}

TEST(AtualizarDefinicao, SharedRowsAreStoredInBatchesAfterEveryHundredthLine) {
  OnlineFixture f;
  std::string dominios;
  for (int i = 0; i < 250; ++i) dominios += "lote" + std::to_string(i) + ".com.br\r\n";
  f.app->dtm.colaboracao.gCompartilha = true;
  ASSERT_TRUE(f.app->online.sync.sincronizarSitesValidos(dominios));
  DefinitionsWindow& d = f.definicoes();
  std::vector<int64_t> posicoes;
  auto seguir = d.notices.listen([&](const DefinitionsNotice&) {
    if (d.lbAtualizando == "Atualizando sites MX válidos... (250)" &&
        (posicoes.empty() || posicoes.back() != d.barraLinhasPos))
      posicoes.push_back(d.barraLinhasPos);
  });
  f.mostrarDefinicoes();
  d.btnAtualizarClick();
  // After the lines with index 100 and 200 (101 and 100 lines), then the remaining 49.
  EXPECT_THAT(posicoes, ElementsAre(0, 101, 201, 250));
  EXPECT_EQ(f.linhasDe(kTbMxValidos), 250);
}

TEST(AtualizarDefinicao, AUserWhoDoesNotShareGetsNoSharedBases) {
  OnlineFixture f;
  f.app->dtm.colaboracao.gCompartilha = true;
  ASSERT_TRUE(f.app->online.sync.sincronizarSitesValidos("gmail.com\r\n"));
  f.app->dtm.colaboracao.gCompartilha = false;
  DefinitionsWindow& d = f.definicoes();
  std::vector<std::string> etapas;
  auto seguir = d.notices.listen([&](const DefinitionsNotice&) {
    if (etapas.empty() || etapas.back() != d.lbAtualizando) etapas.push_back(d.lbAtualizando);
  });
  f.mostrarDefinicoes();
  EXPECT_TRUE(d.linksSemColaboracaoVisiveis);
  d.btnAtualizarClick();
  EXPECT_THAT(etapas, Contains(kColaboracaoDesativada));
  EXPECT_THAT(f.esperas, ElementsAre(1000, 1000, 1000));
  EXPECT_EQ(f.linhasDe(kTbMxValidos), 0);
  NameValueList datas = lerDatas(d.arquivoDatas());
  EXPECT_TRUE(datas.has(kDataArmadilhas));  // the traps always come
  EXPECT_FALSE(datas.has(kDataMxValidos));
  EXPECT_FALSE(datas.has(kDataEmailsInvalidos));
}

TEST(AtualizarDefinicao, ADownloadCutHalfwayLeavesTheInstalledFilesAndDatesAsTheyWere) {
  testing::ProgramFixture f;
  testing::ScriptedHttpServer roteiro;
  std::string novas;
  for (int i = 0; i < 20000; ++i) novas += "*@descartavel" + std::to_string(i) + ".com\r\n";
  roteiro.responder("/quorvel/download/definitions.txt", {200, "armadilhas=2030-01-01\r\n"});
  roteiro.responder("/quorvel/download/sys_armadilhas.filter",
                    {200, novas, false, novas.size() / 2});
  f.pasta.write("definitions.txt", "armadilhas=2026-01-01\r\n");
  std::filesystem::create_directories(f.pasta / "dados/config");
  f.pasta.write("dados/config/sys_armadilhas.filter", "spamtrap*\r\n");
  f.app->online.setBaseUrl(roteiro.url());
  f.app->abrirBD();
  DefinitionsWindow& d = f.app->definicoes;
  d.mostrar();
  while (d.timerAtivo()) d.tmCheckTimer();
  ASSERT_EQ(d.linha(Definicao::armadilhas).indicador, "Definições de 01/01/2030");
  EXPECT_THROW(d.btnAtualizarClick(), HttpError);
  EXPECT_EQ(f.pasta.bytes("dados/config/sys_armadilhas.filter"), "spamtrap*\r\n");
  EXPECT_EQ(f.pasta.bytes("definitions.txt"), "armadilhas=2026-01-01\r\n");
  EXPECT_TRUE(f.app->validationWindow.chain.gTraps->contem("spamtrap*"));
  EXPECT_EQ(f.app->validationWindow.chain.gTraps->linhas().size(), 1u);
  EXPECT_FALSE(d.painelVisivel);
  EXPECT_FALSE(d.btnAtualizarHabilitado);  // until the window is opened again
}

TEST(ChecarDefinicoesOnline, WithoutAServiceOrWithOneThatCannotBeReachedOneLineSaysSo) {
  const int fechada = testing::freePort(SOCK_STREAM);
  struct Caso {
    std::string url;
    std::string aviso;
  } casos[] = {
      {"", kAvisoSemServico},
      {"http://127.0.0.1:" + std::to_string(fechada),
       "Não foi possível consultar o serviço online (não foi possível conectar ao serviço em "
       "http://127.0.0.1:" +
           std::to_string(fechada) + "): o Quorvel segue com as definições instaladas."},
  };
  for (const auto& c : casos) {
    testing::ProgramFixture f;
    f.app->online.setBaseUrl(c.url);
    f.app->dtm.colaboracao.gSyncCheck = true;
    DefinitionsWindow& d = f.app->definicoes;
    d.mostrar();
    while (d.timerAtivo()) d.tmCheckTimer();
    EXPECT_EQ(d.avisoServico, c.aviso);
    EXPECT_THAT(d.titulo, StartsWith(kTituloChecagem));
    EXPECT_FALSE(d.painelVisivel);
    EXPECT_TRUE(f.app->dtm.colaboracao.gSyncCheck);  // kept from before
    EXPECT_TRUE(f.dialogs.messages.empty());
  }
}

}  // namespace
}  // namespace quorvel
